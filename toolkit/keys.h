// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The key vocabulary every side of the game shares: the virtual-key codes of the keys the
// game and its tools can name, and the modifier bits of a shortcut. The desktop maps Qt's
// keys to these names, the replay scripts write them, and the page's JavaScript gets its
// copy generated from this table at build time (tools/shared_constants).

#include <cstdint>
#include <string_view>

namespace tk {

// Shortcut value: low byte the virtual-key code, high bits the modifiers held.
using Shortcut = std::uint16_t;
inline constexpr Shortcut kShift = 0x2000;
inline constexpr Shortcut kCtrl = 0x4000;
inline constexpr Shortcut kAlt = 0x8000;

// What a key is, which tells a platform how it recognises it: letters and function keys
// by what they type, the digit row and the keypad by where they are.
enum class KeyGroup { Letter, Digit, Keypad, Function, Named };

struct KeyName {
    std::string_view name;  // upper case, as the replay scripts write it
    std::uint8_t code;      // the virtual-key code
    KeyGroup group;
};

// clang-format off
inline constexpr KeyName kKeyNames[] = {
    {"A", 65, KeyGroup::Letter}, {"B", 66, KeyGroup::Letter}, {"C", 67, KeyGroup::Letter},
    {"D", 68, KeyGroup::Letter}, {"E", 69, KeyGroup::Letter}, {"F", 70, KeyGroup::Letter},
    {"G", 71, KeyGroup::Letter}, {"H", 72, KeyGroup::Letter}, {"I", 73, KeyGroup::Letter},
    {"J", 74, KeyGroup::Letter}, {"K", 75, KeyGroup::Letter}, {"L", 76, KeyGroup::Letter},
    {"M", 77, KeyGroup::Letter}, {"N", 78, KeyGroup::Letter}, {"O", 79, KeyGroup::Letter},
    {"P", 80, KeyGroup::Letter}, {"Q", 81, KeyGroup::Letter}, {"R", 82, KeyGroup::Letter},
    {"S", 83, KeyGroup::Letter}, {"T", 84, KeyGroup::Letter}, {"U", 85, KeyGroup::Letter},
    {"V", 86, KeyGroup::Letter}, {"W", 87, KeyGroup::Letter}, {"X", 88, KeyGroup::Letter},
    {"Y", 89, KeyGroup::Letter}, {"Z", 90, KeyGroup::Letter},
    {"0", 48, KeyGroup::Digit}, {"1", 49, KeyGroup::Digit}, {"2", 50, KeyGroup::Digit},
    {"3", 51, KeyGroup::Digit}, {"4", 52, KeyGroup::Digit}, {"5", 53, KeyGroup::Digit},
    {"6", 54, KeyGroup::Digit}, {"7", 55, KeyGroup::Digit}, {"8", 56, KeyGroup::Digit},
    {"9", 57, KeyGroup::Digit},
    {"NUM0", 96, KeyGroup::Keypad}, {"NUM1", 97, KeyGroup::Keypad},
    {"NUM2", 98, KeyGroup::Keypad}, {"NUM3", 99, KeyGroup::Keypad},
    {"NUM4", 100, KeyGroup::Keypad}, {"NUM5", 101, KeyGroup::Keypad},
    {"NUM6", 102, KeyGroup::Keypad}, {"NUM7", 103, KeyGroup::Keypad},
    {"NUM8", 104, KeyGroup::Keypad}, {"NUM9", 105, KeyGroup::Keypad},
    {"F1", 112, KeyGroup::Function}, {"F2", 113, KeyGroup::Function},
    {"F3", 114, KeyGroup::Function}, {"F4", 115, KeyGroup::Function},
    {"F5", 116, KeyGroup::Function}, {"F6", 117, KeyGroup::Function},
    {"F7", 118, KeyGroup::Function}, {"F8", 119, KeyGroup::Function},
    {"F9", 120, KeyGroup::Function}, {"F10", 121, KeyGroup::Function},
    {"F11", 122, KeyGroup::Function}, {"F12", 123, KeyGroup::Function},
    {"SPACE", 32, KeyGroup::Named}, {"ENTER", 13, KeyGroup::Named}, {"ESC", 27, KeyGroup::Named},
    {"LEFT", 37, KeyGroup::Named}, {"UP", 38, KeyGroup::Named}, {"RIGHT", 39, KeyGroup::Named},
    {"DOWN", 40, KeyGroup::Named},
};
// clang-format on

// The code of the key named exactly `name` (upper case), or -1.
constexpr int virtualKeyOf(std::string_view name) {
    for (const KeyName& k : kKeyNames)
        if (k.name == name) return k.code;
    return -1;
}

// The name of a code, or empty for a code the table does not name.
constexpr std::string_view keyNameOf(std::uint8_t code) {
    for (const KeyName& k : kKeyNames)
        if (k.code == code) return k.name;
    return {};
}

}  // namespace tk
