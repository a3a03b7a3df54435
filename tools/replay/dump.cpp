// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tools/replay/dump.h"

#include <algorithm>
#include <charconv>

#include "tools/replay/compare.h"
#include "tools/replay/json.h"
#include "tools/replay/script.h"
#include "tools/replay/session.h"

namespace brisco2::replay {

namespace {

const char kHex[] = "0123456789abcdef";

// Length of the valid UTF-8 sequence starting at s[i], or 0 when there is none.
std::size_t utf8Length(std::string_view s, std::size_t i) {
    auto at = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    auto cont = [&](std::size_t k, unsigned lo = 0x80, unsigned hi = 0xBF) {
        return k < s.size() && at(k) >= lo && at(k) <= hi;
    };
    const unsigned c = at(i);
    if (c < 0x80) return 1;
    if (c >= 0xC2 && c <= 0xDF) return cont(i + 1) ? 2 : 0;
    if (c >= 0xE0 && c <= 0xEF) {
        // No overlong forms (E0 80..9F) and no surrogates (ED A0..BF).
        const unsigned lo = c == 0xE0 ? 0xA0 : 0x80;
        const unsigned hi = c == 0xED ? 0x9F : 0xBF;
        return cont(i + 1, lo, hi) && cont(i + 2) ? 3 : 0;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        // No overlong forms (F0 80..8F) and nothing above U+10FFFF (F4 90..).
        const unsigned lo = c == 0xF0 ? 0x90 : 0x80;
        const unsigned hi = c == 0xF4 ? 0x8F : 0xBF;
        return cont(i + 1, lo, hi) && cont(i + 2) && cont(i + 3) ? 4 : 0;
    }
    return 0;
}

void appendInt(std::string& out, long long v) {
    char buf[24];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, r.ptr);
}

void appendBool(std::string& out, bool v) {
    out += v ? "true" : "false";
}

// `"name":` with a leading comma for every member but the first.
void appendKey(std::string& out, bool& first, std::string_view name) {
    if (!first) out += ',';
    first = false;
    appendJsonString(out, name);
    out += ':';
}

}  // namespace

void appendJsonString(std::string& out, std::string_view text) {
    out += '"';
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        switch (c) {
            case '"':
                out += "\\\"";
                ++i;
                continue;
            case '\\':
                out += "\\\\";
                ++i;
                continue;
            case '\n':
                out += "\\n";
                ++i;
                continue;
            case '\r':
                out += "\\r";
                ++i;
                continue;
            case '\t':
                out += "\\t";
                ++i;
                continue;
            default:
                break;
        }
        const std::size_t len = c < 0x20 || c == 0x7F ? 0 : utf8Length(text, i);
        if (len == 0) {
            out += "\\u00";
            out += kHex[c >> 4];
            out += kHex[c & 15];
            ++i;
        } else {
            out.append(text.data() + i, len);
            i += len;
        }
    }
    out += '"';
}

void appendDump(std::string& out, Session& session) {
    appendDump(out, session.game(), session.app(), session.nowMs());
}

void appendDump(std::string& out, const Game& game, const tk::Application& app, std::int64_t ms) {
    const TForm1& f = game.Form1;
    const tk::Form& w1 = game.Form1.form();
    const tk::Form& w2 = game.Form2.form();
    bool first = true;

    out += '{';
    appendKey(out, first, "t");
    appendInt(out, ms);

    appendKey(out, first, "globals");
    {
        out += '{';
        bool g = true;
        const std::pair<const char*, std::int32_t> globals[] = {{"BarLeft", BarLeft},
                                                                {"BarRight", BarRight},
                                                                {"Points", Points},
                                                                {"MissionSeconds", MissionSeconds},
                                                                {"GameSeconds", GameSeconds}};
        for (const auto& [name, value] : globals) {
            appendKey(out, g, name);
            appendInt(out, value);
        }
        out += '}';
    }

    appendKey(out, first, "timers");
    {
        out += '{';
        bool g = true;
        for (const tk::Form* w : {&w1, &w2})
            for (const auto& t : w->timers()) {
                appendKey(out, g, t->name());
                out += "{\"enabled\":";
                appendBool(out, t->enabled());
                out += ",\"interval\":";
                appendInt(out, t->interval());
                out += '}';
            }
        out += '}';
    }

    appendKey(out, first, "widgets");
    {
        out += '{';
        bool g = true;
        for (const tk::Widget* w : w1.widgets()) {
            appendKey(out, g, w->name());
            out += "{\"left\":";
            appendInt(out, w->left());
            out += ",\"top\":";
            appendInt(out, w->top());
            out += ",\"width\":";
            appendInt(out, w->width());
            out += ",\"height\":";
            appendInt(out, w->height());
            out += ",\"visible\":";
            appendBool(out, w->visible());
            out += ",\"color\":\"";
            out += w->color().hex();
            out += '"';
            if (w->hasCaption()) {
                out += ",\"caption\":";
                appendJsonString(out, w->caption());
            }
            out += '}';
        }
        out += '}';
    }

    appendKey(out, first, "menu");
    {
        out += '{';
        bool g = true;
        for (const auto& item : w1.menuItems()) {
            appendKey(out, g, item->name());
            out += "{\"enabled\":";
            appendBool(out, item->enabled());
            out += '}';
        }
        out += '}';
    }

    appendKey(out, first, "form1");
    out += "{\"border\":\"";
    out += tk::borderName(w1.border());
    out += "\",\"state\":\"";
    out += tk::stateName(w1.state());
    out += "\",\"enabled\":";
    appendBool(out, w1.enabled());
    out += ",\"visible\":";
    appendBool(out, w1.visible());
    out += ",\"width\":";
    appendInt(out, w1.width());
    out += ",\"height\":";
    appendInt(out, w1.height());
    out += '}';

    appendKey(out, first, "form2");
    out += "{\"visible\":";
    appendBool(out, w2.visible());
    out += ",\"enabled\":";
    appendBool(out, w2.enabled());
    out += ",\"width\":";
    appendInt(out, w2.width());
    out += ",\"height\":";
    appendInt(out, w2.height());
    out += '}';

    appendKey(out, first, "media");
    {
        const tk::MediaPlayer& m = *f.Media;
        out += "{\"file\":";
        appendJsonString(out, m.fileName());
        out += ",\"open\":";
        appendBool(out, m.isOpen());
        out += ",\"playing\":";
        appendBool(out, m.isPlaying());
        out += ",\"opens\":";
        appendInt(out, static_cast<long long>(m.opens()));
        out += ",\"failures\":";
        appendInt(out, static_cast<long long>(m.failures()));
        out += '}';
    }

    appendKey(out, first, "reports");
    out += '[';
    bool firstReport = true;
    for (const tk::Report& r : app.reports()) {
        if (!firstReport) out += ',';
        firstReport = false;
        out += "{\"caption\":";
        appendJsonString(out, r.caption);
        out += ",\"text\":";
        appendJsonString(out, r.text);
        out += ",\"open\":";
        appendBool(out, r.open);
        out += '}';
    }
    out += "]}";
}

std::string stateDigest(const Game& game, const tk::Application& app, std::int64_t ms) {
    std::string dump;
    appendDump(dump, game, app, ms);
    Json state = Json::parse(dump);
    dropMachineFields(state, Leave{.reportTexts = true});
    std::string text = state.str();
    const tk::Nanos now = ms * tk::kMillisecond;
    for (const tk::Form* w : {&game.Form1.form(), &game.Form2.form()})
        for (const auto& t : w->timers()) {
            text += ' ';
            text += t->name();
            if (!t->armed()) continue;
            const tk::Nanos period =
                tk::Nanos(std::max(t->interval(), tk::kShortestPeriodMs)) * tk::kMillisecond;
            tk::Nanos due = t->due();
            if (due <= now) due += ((now - due) / period + 1) * period;
            text += '@';
            text += std::to_string(due);
        }
    text += " random ";
    text += std::to_string(RandomState());
    // FNV-1a: short, and the same on every machine.
    std::uint64_t h = 0xcbf29ce484222325u;
    for (unsigned char c : text) h = (h ^ c) * 0x100000001b3u;
    std::string out(kDigestDigits, '0');
    for (std::size_t i = kDigestDigits; i-- > 0; h >>= 4) out[i] = kHex[h & 15];
    return out;
}

}  // namespace brisco2::replay
