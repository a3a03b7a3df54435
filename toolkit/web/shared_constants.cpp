// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "toolkit/web/shared_constants.h"

#include <string_view>
#include <utility>

#include "toolkit/keys.h"
#include "toolkit/media/audio_output.h"
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
            // The decoder's output rate: the page plays the music at it.
            {"MUSIC_RATE", AudioOutput::kSampleRate},
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

}  // namespace tk::web
