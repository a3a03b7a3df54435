// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A Qt application for the tests that paint or open windows: the offscreen platform
// unless one is chosen, created once and kept for the whole test program.
#pragma once

#include <QApplication>
#include <QByteArray>

namespace qt_support {

inline QApplication& application() {
    static QApplication* app = [] {
        if (qgetenv("QT_QPA_PLATFORM").isEmpty()) qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "brisco2-tests";
        static char* argv[] = {name, nullptr};
        // Never destroyed: tearing Qt down after main() ends is not worth the risk.
        return new QApplication(argc, argv);
    }();
    return *app;
}

}  // namespace qt_support
