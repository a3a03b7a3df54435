// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <optional>

#include <Qt>

#include "toolkit/keys.h"

namespace tk::qt {

// A key press as the shortcut dispatch sees it.
struct VirtualKey {
    std::uint8_t code = 0;
    Shortcut modifiers = 0;  // kShift, kCtrl, kAlt
    bool operator==(const VirtualKey&) const = default;
};

// The virtual-key code of a Qt key, or none for a key the game cannot name. Letters
// give their upper-case code whatever Shift or Caps Lock did to the text; keypad
// digits have codes of their own, apart from the digit row.
std::optional<std::uint8_t> virtualKeyCode(int qtKey, Qt::KeyboardModifiers modifiers);

// The code plus the modifier bits held with it.
std::optional<VirtualKey> toVirtualKey(int qtKey, Qt::KeyboardModifiers modifiers);

}  // namespace tk::qt
