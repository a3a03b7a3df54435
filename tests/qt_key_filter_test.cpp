// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The key filter on a bare Qt window for the game's main window: which keys and buttons
// reach the game, and which keys the frame trace notes.
#include "toolkit/qt/key_filter.h"

#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>
#include <cstdio>

#include "replay_support.h"
#include "tests/qt_support.h"
#include "toolkit/qt/frame_trace.h"
#include "toolkit/qt/frame_tracer.h"
#include "tools/replay/session.h"

namespace {

struct QtKeyFilter : ::testing::Test {
    QApplication& qapp = qt_support::application();
    brisco2::Session g;
    replay_test::TempDir dir;
    std::string tracePath = (dir.path() / "trace").string();
    tk::qt::FrameTracer tracer{
        std::make_shared<tk::qt::FrameTrace>(std::fopen(tracePath.c_str(), "w"))};
    QWidget widget;
    QWidget other;
    tk::qt::KeyFilter filter{g.window1(), widget, tracer};
    int inputs = 0;

    QtKeyFilter() {
        widget.winId();
        other.winId();
        filter.setInputListener([this] { ++inputs; });
        g.runUntil(3005);  // the menu screen
    }
    bool press(QWidget& w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QKeyEvent e(QEvent::KeyPress, key, mods);
        return QCoreApplication::sendEvent(w.windowHandle(), &e);
    }
    void mouse(QEvent::Type type, Qt::MouseButtons held) {
        const QPointF at(10, 10);
        QMouseEvent e(type, at, at, at, Qt::LeftButton, held, Qt::NoModifier);
        QCoreApplication::sendEvent(widget.windowHandle(), &e);
    }
    int bar() { return g.form1().c->left(); }
};

}  // namespace

TEST_F(QtKeyFilter, OnlyTheWatchedWindowsKeysReachTheGame) {
    const int start = bar();
    EXPECT_TRUE(press(widget, Qt::Key_D));  // taken by the dispatch
    EXPECT_EQ(bar(), start + 10);
    press(other, Qt::Key_D);
    EXPECT_EQ(bar(), start + 10);
    EXPECT_EQ(inputs, 1);
    // Qt would drop a disabled window's keys: the game still gets them.
    widget.setEnabled(false);
    press(widget, Qt::Key_D);
    EXPECT_EQ(bar(), start + 20);
}

TEST_F(QtKeyFilter, AModalReportBlocksTheKeysUntilItCloses) {
    QWidget box;
    box.setWindowModality(Qt::ApplicationModal);
    box.show();
    ASSERT_TRUE(QGuiApplication::modalWindow());
    const int start = bar();
    press(widget, Qt::Key_D);
    mouse(QEvent::MouseButtonPress, Qt::LeftButton);
    EXPECT_EQ(bar(), start);
    EXPECT_FALSE(g.app().mouseCaptured());
    box.close();
    press(widget, Qt::Key_D);
    EXPECT_EQ(bar(), start + 10);
}

TEST_F(QtKeyFilter, AButtonHeldOverTheEnabledWindowKeepsKeysFromTheGame) {
    mouse(QEvent::MouseButtonPress, Qt::LeftButton);
    EXPECT_TRUE(g.app().mouseCaptured());
    const int start = bar();
    press(widget, Qt::Key_D);
    EXPECT_EQ(bar(), start);
    mouse(QEvent::MouseButtonRelease, Qt::NoButton);
    EXPECT_FALSE(g.app().mouseCaptured());
    g.window1().setEnabled(false);
    mouse(QEvent::MouseButtonPress, Qt::LeftButton);
    EXPECT_FALSE(g.app().mouseCaptured());
}

TEST_F(QtKeyFilter, TheTraceNotesOnlyKeysThatChangedWhatShows) {
    press(widget, Qt::Key_D);
    press(widget, Qt::Key_D, Qt::ShiftModifier);  // no shortcut: changes nothing
    tracer.frameShown(5);
    const auto lines = replay_test::lines(replay_test::readFile(tracePath));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].rfind("key ", 0), 0u) << lines[0];
    EXPECT_EQ(lines[0].substr(lines[0].size() - 2), " 5") << lines[0];
    EXPECT_EQ(lines[1], "frame 5");
}
