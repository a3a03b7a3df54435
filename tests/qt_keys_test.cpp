// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Qt's keys as the shortcut dispatch sees them, and the path of a real key event
// through a window to the game.
#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWindow>

#include "tests/qt_support.h"
#include "toolkit/qt/keys.h"
#include "toolkit/qt/text_metrics.h"
#include "toolkit/qt/window_host.h"
#include "tools/replay/session.h"

using tk::qt::toVirtualKey;
using tk::qt::VirtualKey;

namespace {

std::optional<VirtualKey> vk(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    return toVirtualKey(key, mods);
}

}  // namespace

TEST(QtKeys, LettersGiveTheirUpperCaseCodeAndModifiersTheirBits) {
    EXPECT_EQ(vk(Qt::Key_A), (VirtualKey{65, 0}));
    EXPECT_EQ(vk(Qt::Key_D), (VirtualKey{68, 0}));
    EXPECT_EQ(vk(Qt::Key_M), (VirtualKey{77, 0}));
    EXPECT_EQ(vk(Qt::Key_Z), (VirtualKey{90, 0}));
    EXPECT_EQ(vk(Qt::Key_D, Qt::ShiftModifier), (VirtualKey{68, tk::kShift}));
    EXPECT_EQ(vk(Qt::Key_D, Qt::ControlModifier), (VirtualKey{68, tk::kCtrl}));
    EXPECT_EQ(vk(Qt::Key_M, Qt::AltModifier), (VirtualKey{77, tk::kAlt}));
    EXPECT_EQ(vk(Qt::Key_1, Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier),
              (VirtualKey{49, tk::Shortcut(tk::kShift | tk::kCtrl | tk::kAlt)}));
    // Modifiers the dispatch has no bit for add nothing.
    EXPECT_EQ(vk(Qt::Key_D, Qt::MetaModifier | Qt::GroupSwitchModifier), (VirtualKey{68, 0}));
}

TEST(QtKeys, DigitRowAndKeypadHaveDifferentCodes) {
    for (int d = 0; d <= 9; ++d) {
        EXPECT_EQ(vk(Qt::Key_0 + d), (VirtualKey{std::uint8_t(48 + d), 0})) << d;
        EXPECT_EQ(vk(Qt::Key_0 + d, Qt::KeypadModifier), (VirtualKey{std::uint8_t(96 + d), 0}))
            << d;
    }
}

TEST(QtKeys, FunctionAndControlKeys) {
    for (int f = 1; f <= 12; ++f)
        EXPECT_EQ(vk(Qt::Key_F1 + f - 1), (VirtualKey{std::uint8_t(111 + f), 0})) << "F" << f;
    EXPECT_EQ(vk(Qt::Key_F5)->code, 116);
    EXPECT_EQ(vk(Qt::Key_Space)->code, 32);
    EXPECT_EQ(vk(Qt::Key_Return)->code, 13);
    EXPECT_EQ(vk(Qt::Key_Enter, Qt::KeypadModifier)->code, 13);
    EXPECT_EQ(vk(Qt::Key_Escape)->code, 27);
    EXPECT_EQ(vk(Qt::Key_Left)->code, 37);
    EXPECT_EQ(vk(Qt::Key_Up)->code, 38);
    EXPECT_EQ(vk(Qt::Key_Right)->code, 39);
    EXPECT_EQ(vk(Qt::Key_Down)->code, 40);
}

TEST(QtKeys, KeysWithoutACodeAreNotOffered) {
    for (int key : {int(Qt::Key_Exclam), int(Qt::Key_Tab), int(Qt::Key_F13), int(Qt::Key_Shift),
                    int(Qt::Key_Control), int(Qt::Key_Adiaeresis), int(Qt::Key_unknown)})
        EXPECT_FALSE(vk(key).has_value()) << std::hex << key;
}

namespace {

// The whole game on the simulated clock, its windows shown by real Qt windows on the
// offscreen platform. Events go to the platform windows, where the system puts them.
struct RealWindows : ::testing::Test {
    QApplication& qapp = qt_support::application();
    tk::qt::QtTextMetrics metrics;
    brisco2::Session g{brisco2::Session::Options{
        .seed = 0, .media = nullptr, .metrics = &metrics, .quietTicks = tk::QuietTicks::Run}};
    tk::qt::QtWindowHost host1{g.window1()};
    tk::qt::QtWindowHost host2{g.window2()};
    int inputs = 0;

    void SetUp() override {
        host1.setInputListener([this] { ++inputs; });
        g.runUntil(3005);  // the first menu screen; the second window shown and disabled
        // Let the platform show both windows, as the event loop would.
        QElapsedTimer t;
        t.start();
        while (!(exposed(host1) && exposed(host2)) && t.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        ASSERT_TRUE(exposed(host1) && exposed(host2));
    }

    static bool exposed(tk::qt::QtWindowHost& h) {
        return h.widget().windowHandle() && h.widget().windowHandle()->isExposed();
    }

    static QWindow* platformWindow(tk::qt::QtWindowHost& h) {
        h.widget().winId();  // makes sure the platform window exists
        return h.widget().windowHandle();
    }
    bool send(tk::qt::QtWindowHost& h, QEvent& e) {
        return QCoreApplication::sendEvent(platformWindow(h), &e);
    }
    void press(tk::qt::QtWindowHost& h, int key, Qt::KeyboardModifiers mods = Qt::NoModifier,
               const QString& text = {}, bool repeat = false) {
        QKeyEvent e(QEvent::KeyPress, key, mods, text, repeat);
        send(h, e);
    }
    int bar() { return g.form1().c->left(); }
};

}  // namespace

TEST_F(RealWindows, LetterKeysActWhateverTheirTextAndModifiedOnesDoNot) {
    const int start = bar();
    press(host1, Qt::Key_D, Qt::NoModifier, "d");
    EXPECT_EQ(bar(), start + 10);
    press(host1, Qt::Key_D, Qt::NoModifier, "D");  // Caps Lock on
    EXPECT_EQ(bar(), start + 20);
    press(host1, Qt::Key_D, Qt::ShiftModifier, "D");
    press(host1, Qt::Key_D, Qt::ControlModifier, "\x04");
    EXPECT_EQ(bar(), start + 20);
    press(host1, Qt::Key_A, Qt::NoModifier, "a");
    EXPECT_EQ(bar(), start + 10);
    EXPECT_EQ(inputs, 5);  // every offered key lets the timers catch up
}

TEST_F(RealWindows, AutoRepeatedPressesActAndReleasesDoNot) {
    const int start = bar();
    press(host1, Qt::Key_D, Qt::NoModifier, "d");
    press(host1, Qt::Key_D, Qt::NoModifier, "d", true);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_D, Qt::NoModifier, "d", true);
    send(host1, release);
    press(host1, Qt::Key_D, Qt::NoModifier, "d", true);
    EXPECT_EQ(bar(), start + 30);
}

TEST_F(RealWindows, KeypadDigitsStartNoMissionButTheDigitRowDoes) {
    press(host1, Qt::Key_1, Qt::KeypadModifier, "1");
    EXPECT_TRUE(g.form1().m->visible());
    press(host1, Qt::Key_1, Qt::NoModifier, "1");
    EXPECT_FALSE(g.form1().m->visible());
    EXPECT_EQ(g.form1().l->caption(), "Level: 1");
}

TEST_F(RealWindows, KeysReachingTheDisabledSecondWindowActThroughTheMainWindow) {
    ASSERT_TRUE(g.window2().visible());
    ASSERT_FALSE(g.window2().enabled());
    // Qt itself would drop these: the window is disabled.
    ASSERT_FALSE(host2.widget().isEnabled());
    const int start = bar();
    press(host2, Qt::Key_D, Qt::NoModifier, "d");
    EXPECT_EQ(bar(), start + 10);
    press(host2, Qt::Key_3, Qt::NoModifier, "3");
    EXPECT_EQ(g.form1().l->caption(), "Level: 3");
    press(host2, Qt::Key_M, Qt::NoModifier, "m");
    EXPECT_TRUE(g.form1().m->visible());
}

TEST_F(RealWindows, AHeldMouseButtonKeepsKeysFromTheGame) {
    const int start = bar();
    const QPointF at(100, 100);
    QMouseEvent down(QEvent::MouseButtonPress, at, at, at, Qt::LeftButton, Qt::LeftButton,
                     Qt::NoModifier);
    send(host1, down);
    EXPECT_TRUE(g.app().mouseCaptured());
    press(host1, Qt::Key_D, Qt::NoModifier, "d");
    press(host2, Qt::Key_D, Qt::NoModifier, "d");
    EXPECT_EQ(bar(), start);
    QMouseEvent up(QEvent::MouseButtonRelease, at, at, at, Qt::LeftButton, Qt::NoButton,
                   Qt::NoModifier);
    send(host1, up);
    EXPECT_FALSE(g.app().mouseCaptured());
    press(host1, Qt::Key_D, Qt::NoModifier, "d");
    EXPECT_EQ(bar(), start + 10);
}

TEST_F(RealWindows, ReFramingTheWindowLetsGoOfAHeldButton) {
    const QPointF at(100, 100);
    QMouseEvent down(QEvent::MouseButtonPress, at, at, at, Qt::LeftButton, Qt::LeftButton,
                     Qt::NoModifier);
    send(host1, down);
    ASSERT_TRUE(g.app().mouseCaptured());
    g.window1().setBorder(tk::BorderStyle::None);  // the window is made anew
    EXPECT_FALSE(g.app().mouseCaptured());
    EXPECT_TRUE(host1.widget().isVisible());
    EXPECT_TRUE(host1.widget().windowFlags().testFlag(Qt::FramelessWindowHint));
    const int start = bar();
    press(host1, Qt::Key_D, Qt::NoModifier, "d");
    EXPECT_EQ(bar(), start + 10);
}

TEST_F(RealWindows, ClicksOnTheDisabledSecondWindowCaptureNothing) {
    const QPointF at(50, 50);
    QMouseEvent down(QEvent::MouseButtonPress, at, at, at, Qt::LeftButton, Qt::LeftButton,
                     Qt::NoModifier);
    send(host2, down);
    EXPECT_FALSE(g.app().mouseCaptured());
}

TEST_F(RealWindows, TheDisabledSecondWindowRefusesToCloseAndTheMainWindowEndsTheProgram) {
    QCloseEvent close2;
    QCoreApplication::sendEvent(&host2.widget(), &close2);
    EXPECT_FALSE(close2.isAccepted());
    EXPECT_TRUE(g.window2().visible());
    EXPECT_FALSE(g.app().quitRequested());

    QCloseEvent close1;
    QCoreApplication::sendEvent(&host1.widget(), &close1);
    EXPECT_TRUE(close1.isAccepted());
    EXPECT_TRUE(g.app().quitRequested());
}
