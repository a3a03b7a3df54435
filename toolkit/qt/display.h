// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Whether Qt's windowing platform will find a display. Without one Qt aborts with a
// core dump and the advice to reinstall, so the program asks first, before Qt starts.

#include <string>

namespace tk::qt {

// Empty when the platform can start: QT_QPA_PLATFORM names a platform that needs no
// display (offscreen, minimal, vnc, ...), or an X display (DISPLAY, connectable) or a
// Wayland display (WAYLAND_DISPLAY, its socket present) is reachable. Otherwise one
// line without a newline that says what is missing and what to set.
std::string missingDisplay();

}  // namespace tk::qt
