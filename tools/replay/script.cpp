// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tools/replay/script.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>

#include "toolkit/application.h"
#include "toolkit/keys.h"
#include "toolkit/text.h"

namespace brisco2::replay {

namespace {

// The most tokens a line may hold that the parser looks at: one more than the longest
// command ("T frame L T R B") has.
constexpr std::size_t kMaxTokens = 7;
// Whole scripts are held in memory; this keeps an endless standard input from taking
// all of it.
constexpr std::size_t kMaxScriptBytes = std::size_t(256) << 20;
// The longest token worth quoting in a message.
constexpr std::size_t kQuoteLimit = 32;

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

// A token for a message: printable ASCII as is, anything else as \xHH, cut short.
std::string quote(std::string_view token) {
    static const char hex[] = "0123456789abcdef";
    std::string q = "'";
    for (std::size_t i = 0; i < token.size() && i < kQuoteLimit; ++i) {
        const unsigned char c = static_cast<unsigned char>(token[i]);
        if (c >= 0x20 && c < 0x7f && c != '\\' && c != '\'') {
            q += char(c);
        } else {
            q += "\\x";
            q += hex[c >> 4];
            q += hex[c & 15];
        }
    }
    if (token.size() > kQuoteLimit) q += "...";
    q += "'";
    return q;
}

// A non-negative decimal integer of digits only, at most `max`.
enum class Num { Ok, NotANumber, TooLarge };
Num parseUnsigned(std::string_view s, std::uint64_t max, std::uint64_t& value) {
    if (s.empty()) return Num::NotANumber;
    for (char c : s)
        if (c < '0' || c > '9') return Num::NotANumber;
    std::uint64_t v = 0;
    for (char c : s) {
        const unsigned d = unsigned(c - '0');
        if (v > (max - d) / 10) return Num::TooLarge;
        v = v * 10 + d;
    }
    value = v;
    return Num::Ok;
}

bool isCommandName(std::string_view s) {
    for (const char* c : {"key", "mouse-down", "mouse-up", "resize", "maximize", "minimize",
                          "restore", "dismiss", "dump", "end", "late", "frame", "music", "check"})
        if (s == c) return true;
    return false;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The bytes a token of encodeText stands for; false for a malformed one.
bool decodeText(std::string_view token, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < token.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(token[i]);
        if (c < 0x21 || c > 0x7e) return false;
        if (c != '%') {
            out += char(c);
            continue;
        }
        if (i + 2 >= token.size()) return false;
        const int hi = hexDigit(token[i + 1]);
        const int lo = hexDigit(token[i + 2]);
        if (hi < 0 || lo < 0) return false;
        out += char(hi * 16 + lo);
        i += 2;
    }
    return true;
}

class Parser {
  public:
    Parser(const std::string& name, Script& out) : name_(name), out_(out) {}

    bool run(std::string_view text, std::string& error) {
        out_ = Script{};
        std::size_t pos = 0;
        int line = 0;
        while (pos < text.size()) {
            ++line;
            std::size_t end = text.find('\n', pos);
            if (end == std::string_view::npos) end = text.size();
            std::string_view body = text.substr(pos, end - pos);
            if (std::size_t hash = body.find('#'); hash != std::string_view::npos)
                body = body.substr(0, hash);
            if (!parseLine(body, line)) {
                error = name_ + ":" + std::to_string(line) + ": " + message_;
                return false;
            }
            pos = end + 1;
        }
        return true;
    }

  private:
    bool fail(std::string message) {
        message_ = std::move(message);
        return false;
    }

    bool parseLine(std::string_view body, int line) {
        // At most seven tokens matter: one more than the longest command has.
        std::string_view tok[kMaxTokens];
        std::size_t n = 0;
        std::size_t i = 0;
        while (n < kMaxTokens) {
            while (i < body.size() && isBlank(body[i])) ++i;
            if (i == body.size()) break;
            const std::size_t start = i;
            while (i < body.size() && !isBlank(body[i])) ++i;
            tok[n++] = body.substr(start, i - start);
        }
        if (n == 0) return true;

        if (tok[0] == "seed") return parseSeed(tok, n);
        if (ended_) return fail("nothing may follow 'end'");

        std::uint64_t t = 0;
        switch (parseUnsigned(tok[0], std::uint64_t(kMaxTimeMs), t)) {
            case Num::Ok:
                break;
            case Num::TooLarge:
                return fail("time " + quote(tok[0]) + " out of range (0.." +
                            std::to_string(kMaxTimeMs) + ")");
            case Num::NotANumber:
                if (isCommandName(tok[0]))
                    return fail("'" + std::string(tok[0]) + "' needs a time first");
                return fail("bad time " + quote(tok[0]) +
                            ": expected a non-negative number of milliseconds");
        }
        if (std::int64_t(t) < lastTime_)
            return fail("time " + std::to_string(t) + " is before the previous command's time " +
                        std::to_string(lastTime_));
        if (n < 2) return fail("missing command after time " + std::to_string(t));

        Command c;
        c.timeMs = std::int64_t(t);
        c.line = line;
        const std::string_view cmd = tok[1];
        std::size_t want = 2;  // tokens the command takes, time included
        if (cmd == "key") {
            c.op = Op::Key;
            if (n < 3) return fail("'key' needs a key name");
            if (!parseKeyName(tok[2], c.vk, c.modifiers))
                return fail("unknown key " + quote(tok[2]));
            want = 3;
            if (n >= 4) {
                if (tok[3] != "form2")
                    return fail("unexpected " + quote(tok[3]) + " after the key (only 'form2')");
                c.toForm2 = true;
                want = 4;
            }
        } else if (cmd == "resize") {
            c.op = Op::Resize;
            if (n < 4) return fail("'resize' needs a width and a height");
            if (!parseSize(tok[2], "width", c.width) || !parseSize(tok[3], "height", c.height))
                return false;
            want = 4;
            if (!parseWindow(tok, n, want, c)) return false;
        } else if (cmd == "mouse-down") {
            c.op = Op::MouseDown;
        } else if (cmd == "mouse-up") {
            c.op = Op::MouseUp;
        } else if (cmd == "maximize" || cmd == "minimize" || cmd == "restore") {
            c.op = cmd == "maximize"   ? Op::Maximize
                   : cmd == "minimize" ? Op::Minimize
                                       : Op::Restore;
            if (!parseWindow(tok, n, want, c)) return false;
        } else if (cmd == "dismiss") {
            c.op = Op::Dismiss;
            if (n >= 3) {
                std::uint64_t id = 0;
                if (parseUnsigned(tok[2], std::numeric_limits<int>::max(), id) != Num::Ok ||
                    id == 0)
                    return fail("bad report number " + quote(tok[2]) + ": expected 1.." +
                                std::to_string(std::numeric_limits<int>::max()));
                c.reportId = int(id);
                want = 3;
            }
        } else if (cmd == "late") {
            c.op = Op::Late;
            if (n < 3) return fail("'late' needs the time its round was due");
            std::uint64_t due = 0;
            if (parseUnsigned(tok[2], std::uint64_t(kMaxTimeMs), due) != Num::Ok)
                return fail("bad due time " + quote(tok[2]) +
                            ": expected a non-negative number of milliseconds");
            if (std::int64_t(due) >= c.timeMs)
                return fail("a round due at " + std::to_string(due) + " is not late at " +
                            std::to_string(c.timeMs));
            if (std::int64_t(due) < lastTime_)
                return fail("due time " + std::to_string(due) +
                            " is before the previous command's time " + std::to_string(lastTime_));
            c.dueMs = std::int64_t(due);
            want = 3;
        } else if (cmd == "frame") {
            c.op = Op::Frame;
            if (n < 6) return fail("'frame' needs left, top, right and bottom");
            int* sides[] = {&c.frame.left, &c.frame.top, &c.frame.right, &c.frame.bottom};
            const char* names[] = {"left", "top", "right", "bottom"};
            for (int k = 0; k < 4; ++k) {
                std::uint64_t v = 0;
                if (parseUnsigned(tok[2 + k], kMaxFrame, v) != Num::Ok)
                    return fail(std::string("bad frame ") + names[k] + " " + quote(tok[2 + k]) +
                                ": expected 0.." + std::to_string(kMaxFrame));
                *sides[k] = int(v);
            }
            want = 6;
        } else if (cmd == "music") {
            c.op = Op::Music;
            if (n < 3 || (tok[2] != "ok" && tok[2] != "fail"))
                return fail("'music' needs 'ok' or 'fail'");
            c.musicOk = tok[2] == "ok";
            want = 3;
            if (!c.musicOk && n >= 4) {
                if (!decodeText(tok[3], c.text))
                    return fail("bad text " + quote(tok[3]) +
                                ": printable characters and %XX escapes only");
                want = 4;
            }
        } else if (cmd == "check") {
            c.op = Op::Check;
            if (n < 3) return fail("'check' needs the digest of the state");
            if (tok[2].size() != kDigestDigits ||
                !std::all_of(tok[2].begin(), tok[2].end(), [](char d) { return hexDigit(d) >= 0; }))
                return fail("bad digest " + quote(tok[2]) + ": expected " +
                            std::to_string(kDigestDigits) + " hex digits");
            for (char d : tok[2]) c.text += char(std::tolower(static_cast<unsigned char>(d)));
            want = 3;
        } else if (cmd == "dump") {
            c.op = Op::Dump;
        } else if (cmd == "end") {
            c.op = Op::End;
            ended_ = true;
        } else if (cmd == "seed") {
            return fail("'seed' takes no time and comes before every other command");
        } else {
            return fail("unknown command " + quote(cmd));
        }
        if (n > want)
            return fail("unexpected " + quote(tok[want]) + " after '" + std::string(cmd) + "'");

        lastTime_ = c.timeMs;
        seen_ = true;
        out_.commands.push_back(c);
        return true;
    }

    bool parseSeed(const std::string_view* tok, std::size_t n) {
        if (seen_) return fail("'seed' must be the first command");
        if (n < 2) return fail("'seed' needs a number");
        std::uint64_t v = 0;
        switch (parseUnsigned(tok[1], std::numeric_limits<std::uint32_t>::max(), v)) {
            case Num::Ok:
                break;
            case Num::TooLarge:
                return fail("seed " + quote(tok[1]) + " out of range (0..4294967295)");
            case Num::NotANumber:
                return fail("bad seed " + quote(tok[1]) + ": expected a number 0..4294967295");
        }
        if (n > 2) return fail("unexpected " + quote(tok[2]) + " after 'seed'");
        out_.seed = std::uint32_t(v);
        seen_ = true;
        return true;
    }

    // An optional "form2" at tok[want]: the command is for the second window.
    bool parseWindow(const std::string_view* tok, std::size_t n, std::size_t& want, Command& c) {
        if (n <= want) return true;
        if (tok[want] != "form2")
            return fail("unexpected " + quote(tok[want]) + " after '" + std::string(tok[1]) +
                        "' (only 'form2')");
        c.toForm2 = true;
        ++want;
        return true;
    }

    bool parseSize(std::string_view s, const char* what, int& value) {
        std::uint64_t v = 0;
        const Num r = parseUnsigned(s, std::numeric_limits<std::uint64_t>::max(), v);
        if (r == Num::NotANumber || r == Num::TooLarge || v < std::uint64_t(kMinWindowSize) ||
            v > std::uint64_t(kMaxWindowSize))
            return fail(std::string("bad ") + what + " " + quote(s) + ": expected " +
                        std::to_string(kMinWindowSize) + ".." + std::to_string(kMaxWindowSize));
        value = int(v);
        return true;
    }

    const std::string& name_;
    Script& out_;
    std::string message_;
    std::int64_t lastTime_ = 0;
    bool seen_ = false;  // a command (seed included) came already
    bool ended_ = false;
};

}  // namespace

bool parseKeyName(std::string_view text, std::uint8_t& vk, tk::Shortcut& modifiers) {
    tk::Shortcut mods = 0;
    std::string_view rest = text;
    for (;;) {
        const std::size_t plus = rest.find('+');
        if (plus == std::string_view::npos) break;
        const std::string_view mod = rest.substr(0, plus);
        if (tk::equalsIgnoreCase(mod, "shift"))
            mods |= tk::kShift;
        else if (tk::equalsIgnoreCase(mod, "ctrl"))
            mods |= tk::kCtrl;
        else if (tk::equalsIgnoreCase(mod, "alt"))
            mods |= tk::kAlt;
        else
            return false;
        rest = rest.substr(plus + 1);
    }
    int code = -1;
    if (rest.size() > 3 && tk::equalsIgnoreCase(rest.substr(0, 3), "vk:")) {
        std::uint64_t n = 0;
        if (parseUnsigned(rest.substr(3), 255, n) != Num::Ok) return false;
        code = int(n);
    } else {
        code = tk::virtualKeyFromName(std::string(rest));
    }
    if (code < 0) return false;
    vk = std::uint8_t(code);
    modifiers = mods;
    return true;
}

std::string keyName(std::uint8_t vk, tk::Shortcut modifiers) {
    std::string name;
    if (modifiers & tk::kShift) name += "shift+";
    if (modifiers & tk::kCtrl) name += "ctrl+";
    if (modifiers & tk::kAlt) name += "alt+";
    if (const std::string_view known = tk::keyNameOf(vk); !known.empty()) return name.append(known);
    return name + "VK:" + std::to_string(vk);
}

std::string encodeText(std::string_view text) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (char ch : text) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c > 0x20 && c < 0x7f && c != '%' && c != '#') {
            out += ch;
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

bool parseScript(std::string_view text, const std::string& name, Script& out, std::string& error) {
    return Parser(name, out).run(text, error);
}

bool loadScript(const std::string& path, Script& out, std::string& error) {
    const bool useStdin = path == "-";
    std::FILE* f = useStdin ? stdin : std::fopen(path.c_str(), "rb");
    if (!f) {
        error = path + ":0: cannot open: " + std::strerror(errno);
        return false;
    }
    std::string text;
    char buf[1 << 16];
    bool tooLarge = false;
    for (;;) {
        const std::size_t got = std::fread(buf, 1, sizeof buf, f);
        if (got == 0) break;
        if (text.size() + got > kMaxScriptBytes) {
            tooLarge = true;
            break;
        }
        text.append(buf, got);
    }
    const bool readError = std::ferror(f) != 0;
    const int readErrno = errno;
    if (!useStdin) std::fclose(f);
    if (readError) {
        error = path + ":0: cannot read: " + std::strerror(readErrno);
        return false;
    }
    if (tooLarge) {
        error = path + ":0: script larger than " + std::to_string(kMaxScriptBytes) + " bytes";
        return false;
    }
    return parseScript(text, path, out, error);
}

}  // namespace brisco2::replay
