// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tools/replay/runner.h"

#include "tools/replay/dump.h"

namespace brisco2::replay {

void runScript(const Script& script, Session& session,
               const std::function<void(const std::string&)>& onDump) {
    std::string line;
    tk::Application& app = session.app();
    tk::Form& main = session.window1();
    for (const Command& c : script.commands) {
        session.runUntil(c.timeMs);
        switch (c.op) {
            case Op::Key:
                session.keyCode(c.vk, c.modifiers, c.toForm2);
                break;
            case Op::MouseDown:
                app.setMouseCaptured(true);
                break;
            case Op::MouseUp:
                app.setMouseCaptured(false);
                break;
            case Op::Resize:
                main.userResized(c.width, c.height);
                break;
            case Op::Maximize:
                main.userStateChanged(tk::WindowState::Maximized);
                break;
            case Op::Minimize:
                main.userStateChanged(tk::WindowState::Minimized);
                break;
            case Op::Restore:
                main.userStateChanged(tk::WindowState::Normal);
                break;
            case Op::Dismiss:
                app.dismissOldest();
                break;
            case Op::Dump:
                line.clear();
                appendDump(line, session);
                onDump(line);
                break;
            case Op::End:
                return;  // the parser lets nothing follow it
        }
    }
}

}  // namespace brisco2::replay
