#pragma once

// Helpers of the replay tests: running the tool as a child process and reading its
// JSON back.

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "tools/replay/json.h"

namespace replay_test {

namespace fs = std::filesystem;

// A fresh folder, removed with what is in it.
class TempDir {
  public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "brisco2-replay-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }
    fs::path write(const std::string& name, const std::string& content) const {
        fs::path p = path_ / name;
        std::ofstream(p, std::ios::binary) << content;
        return p;
    }

  private:
    fs::path path_;
};

inline std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

struct RunResult {
    int status = -1;  // exit status, or -1 when the tool did not exit normally
    std::string out;
    std::string err;
};

// Runs `program` with `args` in the folder `cwd`, feeding `input` on standard input;
// `env` is set on top of this process's environment. With a timeout, a program still
// running then is killed (status -1).
inline RunResult runProgram(const std::string& program, const std::vector<std::string>& args,
                            const std::string& input, const fs::path& cwd,
                            const std::map<std::string, std::string>& env = {},
                            int timeoutSeconds = 0) {
    TempDir io;
    const fs::path in = io.write("stdin", input);
    const fs::path out = io.path() / "stdout";
    const fs::path err = io.path() / "stderr";
    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        const int fi = ::open(in.c_str(), O_RDONLY);
        const int fo = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int fe = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (fi < 0 || fo < 0 || fe < 0 || ::dup2(fi, 0) < 0 || ::dup2(fo, 1) < 0 ||
            ::dup2(fe, 2) < 0 || ::chdir(cwd.c_str()) != 0)
            ::_exit(127);
        for (const auto& [name, value] : env) ::setenv(name.c_str(), value.c_str(), 1);
        std::vector<char*> argv;
        std::string path = program;
        argv.push_back(path.data());
        std::vector<std::string> copy = args;
        for (std::string& a : copy) argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(path.c_str(), argv.data());
        ::_exit(127);
    }
    int wstatus = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    for (;;) {
        const pid_t done = ::waitpid(pid, &wstatus, timeoutSeconds > 0 ? WNOHANG : 0);
        if (done == pid) break;
        if (done == 0 && std::chrono::steady_clock::now() > deadline) {
            ::kill(pid, SIGKILL);  // reaped on the next turn; the status tells
            timeoutSeconds = 0;
            continue;
        }
        if (done == 0) ::usleep(20'000);
    }
    RunResult r;
    r.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
    r.out = readFile(out);
    r.err = readFile(err);
    return r;
}

// Runs brisco2-replay with `args` in the folder `cwd` (no music file there unless the
// test puts one), feeding `input` on standard input.
inline RunResult runReplay(const std::vector<std::string>& args, const std::string& input,
                           const fs::path& cwd) {
    return runProgram(BRISCO2_REPLAY, args, input, cwd);
}

// Runs a script given as text, in an empty folder.
inline RunResult runScriptText(const std::string& script) {
    TempDir cwd;
    return runReplay({"-"}, script, cwd.path());
}

// The text's lines, without their newlines.
inline std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> v;
    std::istringstream s(text);
    for (std::string l; std::getline(s, l);) v.push_back(l);
    return v;
}

// Whether `s` is well-formed UTF-8 (no overlong forms, no surrogates, nothing above
// U+10FFFF).
inline bool validUtf8(const std::string& s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        std::uint32_t cp = 0;
        std::size_t n = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            cp = c & 0x1F, n = 1;
        } else if ((c & 0xF0) == 0xE0) {
            cp = c & 0x0F, n = 2;
        } else if ((c & 0xF8) == 0xF0) {
            cp = c & 0x07, n = 3;
        } else {
            return false;
        }
        if (i + n >= s.size()) return false;
        for (std::size_t k = 1; k <= n; ++k) {
            const unsigned char d = static_cast<unsigned char>(s[i + k]);
            if ((d & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (d & 0x3F);
        }
        static const std::uint32_t minimum[] = {0, 0x80, 0x800, 0x10000};
        if (cp < minimum[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += n + 1;
    }
    return true;
}

using Json = brisco2::replay::Json;

// Every line of the tool's output as a dump.
inline std::vector<Json> dumps(const std::string& out) {
    std::vector<Json> v;
    for (const std::string& l : lines(out)) v.push_back(Json::parse(l));
    return v;
}

}  // namespace replay_test
