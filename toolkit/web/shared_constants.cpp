// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "toolkit/web/shared_constants.h"

#include <string_view>
#include <utility>

#include "toolkit/keys.h"
#include "toolkit/web/canvas.h"
#include "toolkit/window.h"

namespace tk::web {

const std::vector<SharedConstant>& sharedConstants() {
    static const std::vector<SharedConstant> all = [] {
        std::vector<SharedConstant> out = {
            {"SHIFT", kShift},
            {"CTRL", kCtrl},
            {"ALT", kAlt},
            {"STATE_NORMAL", int(WindowState::Normal)},
            {"STATE_MINIMIZED", int(WindowState::Minimized)},
            {"STATE_MAXIMIZED", int(WindowState::Maximized)},
            {"OP_CLIP", WebCanvas::kClip},
            {"OP_FILL", WebCanvas::kFill},
            {"OP_TEXT", WebCanvas::kText},
            {"OP_PICTURE", WebCanvas::kPicture},
        };
        for (const KeyName& k : kKeyNames) out.push_back({"KEY_" + std::string(k.name), k.code});
        return out;
    }();
    return all;
}

int sharedConstant(const std::string& name) {
    for (const SharedConstant& c : sharedConstants())
        if (c.name == name) return c.value;
    return -1;
}

const std::vector<DomKey>& domKeys() {
    // The keys named by what they type whose text is not their name.
    static constexpr std::pair<std::string_view, std::string_view> kTyped[] = {
        {"SPACE", " "},    {"ENTER", "Enter"},      {"ESC", "Escape"},     {"LEFT", "ArrowLeft"},
        {"UP", "ArrowUp"}, {"RIGHT", "ArrowRight"}, {"DOWN", "ArrowDown"},
    };
    static const std::vector<DomKey> all = [] {
        std::vector<DomKey> out;
        for (const KeyName& k : kKeyNames) {
            std::string name(k.name);
            switch (k.group) {
                case KeyGroup::Letter:
                case KeyGroup::Function:
                    out.push_back({false, name, k.code});
                    break;
                case KeyGroup::Digit:
                    out.push_back({true, "Digit" + name, k.code});
                    break;
                case KeyGroup::Keypad:
                    out.push_back({true, "Numpad" + name.substr(3), k.code});
                    break;
                case KeyGroup::Named:
                    for (const auto& [ours, typed] : kTyped)
                        if (ours == k.name) out.push_back({false, std::string(typed), k.code});
                    break;
            }
        }
        return out;
    }();
    return all;
}

namespace {

// A JSON string: the names are plain ASCII, but a quote or a backslash must not break
// the file.
std::string quoted(std::string_view s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + '"';
}

}  // namespace

std::string sharedConstantsScript() {
    std::string shared, byKey, byCode;
    for (const SharedConstant& c : sharedConstants())
        shared += (shared.empty() ? "" : ", ") + quoted(c.name) + ": " + std::to_string(c.value);
    for (const DomKey& k : domKeys()) {
        std::string& to = k.byCode ? byCode : byKey;
        to += (to.empty() ? "" : ", ") + quoted(k.value) + ": " + std::to_string(k.virtualKey);
    }
    return "// The values the page shares with the game's module, written by the build from the\n"
           "// module's own C++ (tools/shared_constants): not to be edited.\n"
           "'use strict';\n\n"
           "(function (B) {\n"
           "  // By name; page.js checks them against the module's at start.\n"
           "  B.SHARED = {" +
           shared +
           "};\n"
           "  // The virtual-key codes of a KeyboardEvent's `key` (a letter in upper case)\n"
           "  // and of its `code`.\n"
           "  B.KEYS_BY_KEY = {" +
           byKey +
           "};\n"
           "  B.KEYS_BY_CODE = {" +
           byCode +
           "};\n"
           "})(window.Brisco = window.Brisco || {});\n";
}

}  // namespace tk::web
