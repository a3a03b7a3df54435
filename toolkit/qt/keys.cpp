// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "toolkit/qt/keys.h"

namespace tk::qt {

std::optional<std::uint8_t> virtualKeyCode(int key, Qt::KeyboardModifiers modifiers) {
    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        const int digit = key - Qt::Key_0;
        return std::uint8_t(modifiers.testFlag(Qt::KeypadModifier) ? 96 + digit : 48 + digit);
    }
    // Qt reports letters by their upper-case key whatever the case of the text.
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return std::uint8_t('A' + (key - Qt::Key_A));
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12) return std::uint8_t(112 + (key - Qt::Key_F1));
    switch (key) {
        case Qt::Key_Space:
            return 32;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return 13;
        case Qt::Key_Escape:
            return 27;
        case Qt::Key_Left:
            return 37;
        case Qt::Key_Up:
            return 38;
        case Qt::Key_Right:
            return 39;
        case Qt::Key_Down:
            return 40;
        default:
            return std::nullopt;
    }
}

std::optional<VirtualKey> toVirtualKey(int key, Qt::KeyboardModifiers modifiers) {
    auto code = virtualKeyCode(key, modifiers);
    if (!code) return std::nullopt;
    VirtualKey v{*code, 0};
    if (modifiers.testFlag(Qt::ShiftModifier)) v.modifiers |= kShift;
    if (modifiers.testFlag(Qt::ControlModifier)) v.modifiers |= kCtrl;
    if (modifiers.testFlag(Qt::AltModifier)) v.modifiers |= kAlt;
    return v;
}

}  // namespace tk::qt
