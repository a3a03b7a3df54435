// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "toolkit/qt/keys.h"

#include <string>

#include "toolkit/keys.h"

namespace tk::qt {

namespace {

// The shared table's name of a Qt key (toolkit/keys.h), or empty. Qt's digit and letter
// keys are their characters, letters upper case whatever the text.
std::string keyName(int key, Qt::KeyboardModifiers modifiers) {
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return (modifiers.testFlag(Qt::KeypadModifier) ? "NUM" : "") + std::string(1, char(key));
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return std::string(1, char(key));
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12) return "F" + std::to_string(key - Qt::Key_F1 + 1);
    switch (key) {
        case Qt::Key_Space:
            return "SPACE";
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return "ENTER";
        case Qt::Key_Escape:
            return "ESC";
        case Qt::Key_Left:
            return "LEFT";
        case Qt::Key_Up:
            return "UP";
        case Qt::Key_Right:
            return "RIGHT";
        case Qt::Key_Down:
            return "DOWN";
        default:
            return {};
    }
}

}  // namespace

std::optional<std::uint8_t> virtualKeyCode(int key, Qt::KeyboardModifiers modifiers) {
    const int code = tk::virtualKeyOf(keyName(key, modifiers));
    if (code < 0) return std::nullopt;
    return std::uint8_t(code);
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
