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

// A strict reader of the JSON the tool prints. Objects keep their members in order.
struct Json {
    enum class Type { Null, Bool, Number, String, Array, Object } type = Type::Null;
    bool boolean = false;
    double number = 0;
    std::string string;
    std::vector<Json> array;
    std::vector<std::pair<std::string, Json>> members;

    const Json& operator[](const std::string& key) const {
        if (type != Type::Object) throw std::runtime_error("not an object, looking for " + key);
        for (const auto& [k, v] : members)
            if (k == key) return v;
        throw std::runtime_error("no member " + key);
    }
    bool has(const std::string& key) const {
        for (const auto& m : members)
            if (m.first == key) return true;
        return false;
    }
    std::vector<std::string> keys() const {
        std::vector<std::string> k;
        for (const auto& m : members) k.push_back(m.first);
        return k;
    }
    long long integer() const {
        if (type != Type::Number) throw std::runtime_error("not a number");
        return static_cast<long long>(number);
    }
    bool truth() const {
        if (type != Type::Bool) throw std::runtime_error("not a boolean");
        return boolean;
    }
    const std::string& text() const {
        if (type != Type::String) throw std::runtime_error("not a string");
        return string;
    }

    static Json parse(const std::string& s) {
        std::size_t pos = 0;
        Json v = value(s, pos);
        space(s, pos);
        if (pos != s.size()) throw std::runtime_error("trailing text at " + std::to_string(pos));
        return v;
    }

  private:
    [[noreturn]] static void bad(const std::string& what, std::size_t pos) {
        throw std::runtime_error("bad JSON: " + what + " at " + std::to_string(pos));
    }
    static void space(const std::string& s, std::size_t& pos) {
        while (pos < s.size() &&
               (s[pos] == ' ' || s[pos] == '\t' || s[pos] == '\n' || s[pos] == '\r'))
            ++pos;
    }
    static void expect(const std::string& s, std::size_t& pos, char c) {
        space(s, pos);
        if (pos >= s.size() || s[pos] != c) bad(std::string("expected ") + c, pos);
        ++pos;
    }
    static void utf8(std::string& out, std::uint32_t cp) {
        if (cp < 0x80) {
            out += char(cp);
        } else if (cp < 0x800) {
            out += char(0xC0 | (cp >> 6));
            out += char(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += char(0xE0 | (cp >> 12));
            out += char(0x80 | ((cp >> 6) & 0x3F));
            out += char(0x80 | (cp & 0x3F));
        } else {
            out += char(0xF0 | (cp >> 18));
            out += char(0x80 | ((cp >> 12) & 0x3F));
            out += char(0x80 | ((cp >> 6) & 0x3F));
            out += char(0x80 | (cp & 0x3F));
        }
    }
    static std::uint32_t hex4(const std::string& s, std::size_t& pos) {
        if (pos + 4 > s.size()) bad("short \\u escape", pos);
        std::uint32_t v = 0;
        for (int k = 0; k < 4; ++k) {
            const char c = s[pos++];
            v <<= 4;
            if (c >= '0' && c <= '9')
                v |= std::uint32_t(c - '0');
            else if (c >= 'a' && c <= 'f')
                v |= std::uint32_t(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                v |= std::uint32_t(c - 'A' + 10);
            else
                bad("bad hex digit", pos);
        }
        return v;
    }
    static std::string str(const std::string& s, std::size_t& pos) {
        expect(s, pos, '"');
        std::string out;
        for (;;) {
            if (pos >= s.size()) bad("unterminated string", pos);
            const unsigned char c = static_cast<unsigned char>(s[pos++]);
            if (c == '"') return out;
            if (c < 0x20) bad("raw control character", pos);
            if (c != '\\') {
                out += char(c);
                continue;
            }
            if (pos >= s.size()) bad("lone backslash", pos);
            const char e = s[pos++];
            switch (e) {
                case '"':
                    out += '"';
                    break;
                case '\\':
                    out += '\\';
                    break;
                case '/':
                    out += '/';
                    break;
                case 'b':
                    out += '\b';
                    break;
                case 'f':
                    out += '\f';
                    break;
                case 'n':
                    out += '\n';
                    break;
                case 'r':
                    out += '\r';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'u': {
                    std::uint32_t cp = hex4(s, pos);
                    if (cp >= 0xD800 && cp <= 0xDBFF) {
                        if (pos + 2 > s.size() || s[pos] != '\\' || s[pos + 1] != 'u')
                            bad("lone surrogate", pos);
                        pos += 2;
                        const std::uint32_t lo = hex4(s, pos);
                        if (lo < 0xDC00 || lo > 0xDFFF) bad("bad surrogate pair", pos);
                        cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
                    } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
                        bad("lone surrogate", pos);
                    }
                    utf8(out, cp);
                    break;
                }
                default:
                    bad("bad escape", pos);
            }
        }
    }
    static Json value(const std::string& s, std::size_t& pos) {
        space(s, pos);
        if (pos >= s.size()) bad("missing value", pos);
        Json v;
        const char c = s[pos];
        if (c == '{') {
            v.type = Type::Object;
            ++pos;
            space(s, pos);
            if (pos < s.size() && s[pos] == '}') {
                ++pos;
                return v;
            }
            for (;;) {
                std::string k = str(s, pos);
                for (const auto& m : v.members)
                    if (m.first == k) bad("duplicate key " + k, pos);
                expect(s, pos, ':');
                v.members.emplace_back(std::move(k), value(s, pos));
                space(s, pos);
                if (pos < s.size() && s[pos] == ',') {
                    ++pos;
                    continue;
                }
                expect(s, pos, '}');
                return v;
            }
        }
        if (c == '[') {
            v.type = Type::Array;
            ++pos;
            space(s, pos);
            if (pos < s.size() && s[pos] == ']') {
                ++pos;
                return v;
            }
            for (;;) {
                v.array.push_back(value(s, pos));
                space(s, pos);
                if (pos < s.size() && s[pos] == ',') {
                    ++pos;
                    continue;
                }
                expect(s, pos, ']');
                return v;
            }
        }
        if (c == '"') {
            v.type = Type::String;
            v.string = str(s, pos);
            return v;
        }
        if (s.compare(pos, 4, "true") == 0) {
            v.type = Type::Bool;
            v.boolean = true;
            pos += 4;
            return v;
        }
        if (s.compare(pos, 5, "false") == 0) {
            v.type = Type::Bool;
            pos += 5;
            return v;
        }
        if (s.compare(pos, 4, "null") == 0) {
            pos += 4;
            return v;
        }
        // Numbers: the tool prints integers only.
        const std::size_t start = pos;
        if (pos < s.size() && s[pos] == '-') ++pos;
        if (pos >= s.size() || s[pos] < '0' || s[pos] > '9') bad("unexpected character", pos);
        if (s[pos] == '0' && pos + 1 < s.size() && s[pos + 1] >= '0' && s[pos + 1] <= '9')
            bad("leading zero", pos);
        while (pos < s.size() && s[pos] >= '0' && s[pos] <= '9') ++pos;
        v.type = Type::Number;
        v.number = std::stod(s.substr(start, pos - start));
        return v;
    }
};

// Every line of the tool's output as a dump.
inline std::vector<Json> dumps(const std::string& out) {
    std::vector<Json> v;
    for (const std::string& l : lines(out)) v.push_back(Json::parse(l));
    return v;
}

}  // namespace replay_test
