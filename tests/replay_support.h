// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Helpers of the replay and program tests: running a program as a child process, and
// reading the replay tool's JSON back.

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "tools/replay/json.h"

namespace replay_test {

namespace fs = std::filesystem;

// The kept replay scripts: tests/replays/NAME.replay, by NAME in order.
inline fs::path replaysDir() {
    return fs::path(BRISCO2_SOURCE_DIR) / "tests" / "replays";
}
inline std::vector<std::string> replayNames() {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(replaysDir()))
        if (e.path().extension() == ".replay") names.push_back(e.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

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
    int signal = 0;   // the signal that ended it, if one did
    bool coreDumped = false;
    std::string out;
    std::string err;
};

// The replay tool to run: brisco2-replay of this build, or the command in the
// environment variable BRISCO2_REPLAY_COMMAND (words separated by blanks, such as
// "node build-web/brisco2-replay.js"), so that the same tests check another build of it.
inline std::vector<std::string> replayCommand() {
    const char* other = std::getenv("BRISCO2_REPLAY_COMMAND");
    if (!other || !*other) return {BRISCO2_REPLAY};
    std::vector<std::string> words;
    std::istringstream in(other);
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

// An environment change for a child: the variable's new value, or none to remove it.
struct EnvChange {
    std::string name;
    std::optional<std::string> value;
};

// Runs `command` (a program, found on PATH, and its first arguments) with `args` in the
// folder `cwd`, feeding `input` on standard input, in this process's environment with
// `env` applied. With a timeout, a program still running then is killed (status -1).
inline RunResult runProgram(const std::vector<std::string>& command,
                            const std::vector<std::string>& args, const std::string& input,
                            const fs::path& cwd, const std::vector<EnvChange>& env = {},
                            int timeoutSeconds = 0) {
    TempDir io;
    const fs::path in = io.write("stdin", input);
    const fs::path out = io.path() / "stdout";
    const fs::path err = io.path() / "stderr";
    // Everything the child needs is made before fork.
    std::vector<std::string> argStrings = command;
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : argStrings) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> envStrings;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        bool changed = false;
        for (const EnvChange& c : env) changed = changed || entry.rfind(c.name + "=", 0) == 0;
        if (!changed) envStrings.push_back(entry);
    }
    for (const EnvChange& c : env)
        if (c.value) envStrings.push_back(c.name + "=" + *c.value);
    std::vector<char*> envp;
    for (std::string& e : envStrings) envp.push_back(e.data());
    envp.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        const int fi = ::open(in.c_str(), O_RDONLY);
        const int fo = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int fe = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (fi < 0 || fo < 0 || fe < 0 || ::dup2(fi, 0) < 0 || ::dup2(fo, 1) < 0 ||
            ::dup2(fe, 2) < 0 || ::chdir(cwd.c_str()) != 0)
            ::_exit(127);
        ::execvpe(argv[0], argv.data(), envp.data());
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
    r.signal = WIFSIGNALED(wstatus) ? WTERMSIG(wstatus) : 0;
    r.coreDumped = WIFSIGNALED(wstatus) && WCOREDUMP(wstatus);
    r.out = readFile(out);
    r.err = readFile(err);
    return r;
}

inline RunResult runProgram(const std::string& program, const std::vector<std::string>& args,
                            const std::string& input, const fs::path& cwd,
                            const std::vector<EnvChange>& env = {}, int timeoutSeconds = 0) {
    return runProgram(std::vector<std::string>{program}, args, input, cwd, env, timeoutSeconds);
}

// Runs the replay tool (replayCommand()) with `args` in the folder `cwd` (no music file
// there unless the test puts one), feeding `input` on standard input.
inline RunResult runReplay(const std::vector<std::string>& args, const std::string& input,
                           const fs::path& cwd) {
    return runProgram(replayCommand(), args, input, cwd);
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
