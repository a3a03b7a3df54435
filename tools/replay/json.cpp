// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tools/replay/json.h"

#include <cstdio>

#include "tools/replay/dump.h"

namespace brisco2::replay {

namespace {
[[noreturn]] void bad(const std::string& what, std::size_t pos) {
    throw std::runtime_error("bad JSON: " + what + " at " + std::to_string(pos));
}
void space(const std::string& s, std::size_t& pos) {
    while (pos < s.size() && (s[pos] == ' ' || s[pos] == '\t' || s[pos] == '\n' || s[pos] == '\r'))
        ++pos;
}
void expect(const std::string& s, std::size_t& pos, char c) {
    space(s, pos);
    if (pos >= s.size() || s[pos] != c) bad(std::string("expected ") + c, pos);
    ++pos;
}
void utf8(std::string& out, std::uint32_t cp) {
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
std::uint32_t hex4(const std::string& s, std::size_t& pos) {
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
std::string str(const std::string& s, std::size_t& pos) {
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
Json value(const std::string& s, std::size_t& pos, int depth) {
    if (depth > Json::kMaxDepth) bad("nested too deep", pos);
    space(s, pos);
    if (pos >= s.size()) bad("missing value", pos);
    Json v;
    const char c = s[pos];
    if (c == '{') {
        v.type = Json::Type::Object;
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
            v.members.emplace_back(std::move(k), value(s, pos, depth + 1));
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
        v.type = Json::Type::Array;
        ++pos;
        space(s, pos);
        if (pos < s.size() && s[pos] == ']') {
            ++pos;
            return v;
        }
        for (;;) {
            v.array.push_back(value(s, pos, depth + 1));
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
        v.type = Json::Type::String;
        v.string = str(s, pos);
        return v;
    }
    if (s.compare(pos, 4, "true") == 0) {
        v.type = Json::Type::Bool;
        v.boolean = true;
        pos += 4;
        return v;
    }
    if (s.compare(pos, 5, "false") == 0) {
        v.type = Json::Type::Bool;
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
    v.type = Json::Type::Number;
    try {
        v.number = std::stod(s.substr(start, pos - start));
    } catch (const std::out_of_range&) {
        bad("number out of range", start);
    }
    return v;
}

void newline(std::string& out, int level) {
    out += '\n';
    out.append(std::size_t(level) * 2, ' ');
}

void writeValue(const Json& v, std::string& out, int indentDepth, int level) {
    const bool open = level < indentDepth;
    switch (v.type) {
        case Json::Type::Null:
            out += "null";
            return;
        case Json::Type::Bool:
            out += v.boolean ? "true" : "false";
            return;
        case Json::Type::Number: {
            char buf[32];
            std::snprintf(buf, sizeof buf, "%.0f", v.number);
            out += buf;
            return;
        }
        case Json::Type::String:
            appendJsonString(out, v.string);
            return;
        case Json::Type::Array:
        case Json::Type::Object: {
            const bool object = v.type == Json::Type::Object;
            const std::size_t n = object ? v.members.size() : v.array.size();
            out += object ? '{' : '[';
            for (std::size_t i = 0; i < n; ++i) {
                if (i > 0) out += ',';
                if (open) newline(out, level + 1);
                if (object) {
                    appendJsonString(out, v.members[i].first);
                    out += open ? ": " : ":";
                }
                writeValue(object ? v.members[i].second : v.array[i], out, indentDepth, level + 1);
            }
            if (open && n > 0) newline(out, level);
            out += object ? '}' : ']';
            return;
        }
    }
}

}  // namespace

const Json& Json::operator[](const std::string& key) const {
    if (type != Type::Object) throw std::runtime_error("not an object, looking for " + key);
    for (const auto& [k, v] : members)
        if (k == key) return v;
    throw std::runtime_error("no member " + key);
}

Json* Json::find(const std::string& key) {
    for (auto& [k, v] : members)
        if (k == key) return &v;
    return nullptr;
}

bool Json::has(const std::string& key) const {
    for (const auto& m : members)
        if (m.first == key) return true;
    return false;
}

std::vector<std::string> Json::keys() const {
    std::vector<std::string> k;
    for (const auto& m : members) k.push_back(m.first);
    return k;
}

long long Json::integer() const {
    if (type != Type::Number) throw std::runtime_error("not a number");
    return static_cast<long long>(number);
}

bool Json::truth() const {
    if (type != Type::Bool) throw std::runtime_error("not a boolean");
    return boolean;
}

const std::string& Json::text() const {
    if (type != Type::String) throw std::runtime_error("not a string");
    return string;
}

void Json::erase(const std::string& key) {
    std::erase_if(members, [&](const auto& m) { return m.first == key; });
}

Json Json::parse(const std::string& s) {
    std::size_t pos = 0;
    Json v = value(s, pos, 0);
    space(s, pos);
    if (pos != s.size()) throw std::runtime_error("trailing text at " + std::to_string(pos));
    return v;
}

void Json::write(std::string& out, int indentDepth) const {
    writeValue(*this, out, indentDepth, 0);
}

bool Json::operator==(const Json& o) const {
    return type == o.type && boolean == o.boolean && number == o.number && string == o.string &&
           array == o.array && members == o.members;
}

}  // namespace brisco2::replay
