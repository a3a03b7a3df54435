// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Keeping a real window's place and size in step with the model's, against a scripted
// platform: what the host asked for comes back as echoes, what the user did is news.
#include "toolkit/qt/geometry_sync.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <vector>

#include "tests/qt_support.h"
#include "toolkit/headless.h"
#include "toolkit/qt/echo_filter.h"
#include "toolkit/timer.h"

using tk::BorderStyle;
using tk::FrameExtents;
using tk::WindowState;
using tk::qt::EchoFilter;
using tk::qt::GeometrySync;

TEST(EchoFilter, OnlyWhatWasAskedForLatelyIsAnEcho) {
    qint64 now = 0;
    EchoFilter echo([&] { return now; });
    const QPoint nowhere(-1000, -1000);
    echo.askedSize(QSize(487, 270));
    echo.askedPosition(QPoint(278, 208), QPoint(283, 237));
    now = 100;
    echo.askedPosition(QPoint(300, 200), QPoint(305, 229));
    EXPECT_TRUE(echo.sizeEcho(QSize(487, 270)));
    EXPECT_TRUE(echo.positionEcho(QPoint(278, 208), nowhere));
    EXPECT_TRUE(echo.positionEcho(QPoint(300, 200), nowhere));
    // The client area where it was asked, whatever frame it is counted with now.
    EXPECT_TRUE(echo.positionEcho(QPoint(278, 232), QPoint(283, 237)));
    // The user's own: never asked for, or a size where only a place was asked.
    EXPECT_FALSE(echo.sizeEcho(QSize(300, 200)));
    EXPECT_FALSE(echo.positionEcho(QPoint(279, 208), QPoint(284, 237)));
    EXPECT_FALSE(echo.positionEcho(QPoint(487, 270), QPoint(492, 299)));
    // Too old to come back as a confirmation: the user put it there.
    now = EchoFilter::kMemoryMs;
    EXPECT_TRUE(echo.positionEcho(QPoint(278, 208), nowhere));
    now = EchoFilter::kMemoryMs + 1;
    EXPECT_FALSE(echo.positionEcho(QPoint(278, 208), QPoint(283, 237)));
    EXPECT_FALSE(echo.sizeEcho(QSize(487, 270)));
    EXPECT_TRUE(echo.positionEcho(nowhere, QPoint(305, 229)));
    now = 2 * EchoFilter::kMemoryMs;
    echo.askedSize(QSize(1, 1));  // old requests forgotten on the way
    EXPECT_FALSE(echo.positionEcho(QPoint(300, 200), QPoint(305, 229)));
    EXPECT_TRUE(echo.sizeEcho(QSize(1, 1)));
}

namespace {

constexpr FrameExtents kFrame{5, 29, 5, 5};
constexpr FrameExtents kMaximisedFrame{0, 24, 0, 0};

// A real window as the test scripts it. Like Qt's, its geometry is what was last asked
// until the platform reports otherwise.
struct ScriptedWindow : GeometrySync::Platform {
    QRect client{0, 0, 640, 480};
    bool shown = false;
    bool isExposed = false;
    WindowState reported = WindowState::Normal;
    std::optional<FrameExtents> wmFrame;
    bool held = false;
    BorderStyle hasBorder = BorderStyle::Sizeable;
    bool inReframe = false;
    std::vector<QRect> placed;
    std::vector<QSize> sized;

    QRect clientGeometry() const override { return client; }
    bool visible() const override { return shown; }
    bool exposed() const override { return isExposed; }
    WindowState state() const override { return reported; }
    std::optional<FrameExtents> frame() const override { return wmFrame; }
    bool heldByWindowManager() const override { return held; }
    BorderStyle border() const override { return hasBorder; }
    bool reframing() const override { return inReframe; }
    void place(QRect r) override {
        placed.push_back(r);
        client = r;
    }
    void resize(QSize s) override {
        sized.push_back(s);
        client.setSize(s);
    }
};

struct Sync : ::testing::Test {
    QApplication& qapp = qt_support::application();
    tk::SimClock clock;
    tk::FixedTextMetrics metrics;
    tk::Application app{clock, metrics, "t"};
    tk::Window model{"w", app};
    ScriptedWindow platform;
    qint64 now = 1000;
    int userResizes = 0;
    GeometrySync sync{model, platform, [this] { ++userResizes; }, [this] { return now; }};

    Sync() { model.setBounds(278, 208, 497, 304); }

    // Shown and framed as the window manager does it, then left to settle.
    void showFramed() {
        sync.apply();
        platform.shown = true;
        platform.isExposed = true;
        sync.watch();
        platform.wmFrame = kFrame;
        sync.frameChanged();
        settle();
    }
    void settle() {
        now += GeometrySync::kSettleMs;
        sync.watchTick();
        ASSERT_FALSE(sync.watching()) << "the window never settled";
    }
    // The platform reports the client area at `r`; the report is taken.
    void report(QRect r) {
        platform.client = r;
        sync.takeUserGeometry();
    }
    QRect modelRect() const { return {model.left(), model.top(), model.width(), model.height()}; }
};

}  // namespace

TEST_F(Sync, TheClientAreaIsSizedForTheLearntFrameSoThatTheOuterSizeIsTheModels) {
    sync.apply();  // hidden, no frame known: placed by its outer geometry
    EXPECT_EQ(platform.placed, std::vector<QRect>{QRect(278, 208, 497, 304)});
    platform.shown = true;
    sync.watch();
    sync.frameChanged();  // the window manager has said nothing yet
    EXPECT_EQ(platform.placed.size(), 1u);
    platform.wmFrame = kFrame;
    sync.frameChanged();
    EXPECT_EQ(sync.frame(), kFrame);
    EXPECT_EQ(platform.placed.back(), QRect(283, 237, 487, 270));
    // Borderless, the client area is the whole window.
    platform.hasBorder = BorderStyle::None;
    model.setBorder(BorderStyle::None);
    sync.apply();
    EXPECT_EQ(platform.placed.back(), QRect(278, 208, 497, 304));
}

TEST_F(Sync, WhatTheUserDoesToASettledWindowGoesToTheModel) {
    showFramed();
    now += 5000;  // nothing asked lately
    report(QRect(383, 337, 487, 270));
    EXPECT_EQ(modelRect(), QRect(378, 308, 497, 304));
    report(QRect(383, 337, 300, 200));
    EXPECT_EQ(modelRect(), QRect(378, 308, 310, 234));
    EXPECT_EQ(userResizes, 1);
    // What the model then asks is no user action when it comes back, even late.
    model.setBounds(100, 100, 497, 304);
    sync.apply();
    model.setBounds(278, 208, 497, 304);
    sync.apply();
    ASSERT_EQ(platform.placed.back(), QRect(283, 237, 487, 270));
    report(QRect(105, 129, 487, 270));
    EXPECT_EQ(modelRect(), QRect(278, 208, 497, 304));
    EXPECT_EQ(userResizes, 1);
}

TEST_F(Sync, AReportIsTakenOnlyOnceQtHasHandledWhatCameWithIt) {
    showFramed();
    now += 5000;
    platform.client = QRect(383, 337, 487, 270);
    sync.reported();
    EXPECT_EQ(model.left(), 278);
    QElapsedTimer t;
    t.start();
    while (model.left() == 278 && t.elapsed() < 10'000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_EQ(model.left(), 378);
}

TEST_F(Sync, WhileThePlatformSettlesOrHoldsTheWindowItsReportsAreNotTheUsers) {
    const QRect elsewhere(10, 40, 300, 200);
    sync.apply();
    platform.shown = true;
    sync.watch();
    report(elsewhere);  // placed by the window manager just after the show
    EXPECT_EQ(modelRect(), QRect(278, 208, 497, 304));
    platform.wmFrame = kFrame;
    sync.frameChanged();
    platform.isExposed = true;
    settle();

    now += 5000;
    platform.inReframe = true;
    report(elsewhere);
    platform.inReframe = false;
    platform.held = true;  // maximised by the window manager, Qt not told yet
    report(QRect(0, 24, 1024, 744));
    platform.held = false;
    platform.reported = WindowState::Minimized;
    report(elsewhere);
    EXPECT_EQ(modelRect(), QRect(278, 208, 497, 304));
    EXPECT_EQ(userResizes, 0);
}

TEST_F(Sync, ARestoredWindowIsPlacedOnceTheNormalFrameIsBack) {
    showFramed();
    model.userStateChanged(WindowState::Maximized);
    platform.reported = WindowState::Maximized;
    platform.wmFrame = kMaximisedFrame;
    platform.client = QRect(0, 24, 1024, 744);
    const std::size_t placed = platform.placed.size();

    model.setState(WindowState::Normal);
    platform.reported = WindowState::Normal;
    sync.restored();
    sync.apply();
    now += 100;
    sync.watchTick();  // the maximised frame still shows
    EXPECT_TRUE(sync.restoring());
    EXPECT_EQ(platform.placed.size(), placed) << "placed by the maximised frame";
    platform.wmFrame = kFrame;
    now += 25;
    sync.watchTick();
    EXPECT_FALSE(sync.restoring());
    EXPECT_EQ(platform.placed.back(), QRect(283, 237, 487, 270));
    EXPECT_EQ(sync.frame(), kFrame);

    // A window manager that never shows the normal frame again is waited for a while.
    sync.restored();
    platform.wmFrame = kMaximisedFrame;
    now += GeometrySync::kRestoreWaitMs - 1;
    sync.watchTick();
    EXPECT_TRUE(sync.restoring());
    now += 1;
    sync.watchTick();
    EXPECT_FALSE(sync.restoring());
}

// xfwm4 tells a maximised window's frame a moment before Qt reports the state: had that
// frame been learnt as the normal one, the restored window would be placed by it.
TEST_F(Sync, TheFrameOfAWindowTheWindowManagerHoldsMaximisedIsNotLearnt) {
    showFramed();
    const std::size_t placed = platform.placed.size();
    platform.held = true;
    platform.wmFrame = kMaximisedFrame;
    sync.frameChanged();
    EXPECT_EQ(sync.frame(), kFrame);
    EXPECT_EQ(platform.placed.size(), placed);
}

// The place asked for before the frame was known comes back late, after the window
// settled at the place asked for with the frame: it is no move of the user's.
TEST_F(Sync, AnEchoOfAPlaceAskedForWithAnEarlierFrameIsNoUserMove) {
    showFramed();
    ASSERT_EQ(platform.placed.front(), QRect(278, 208, 497, 304));
    report(platform.placed.front());
    EXPECT_EQ(modelRect(), QRect(278, 208, 497, 304));
    // The user's move to anywhere else is still the user's.
    report(QRect(280, 208, 487, 270));
    EXPECT_EQ(modelRect(), QRect(275, 179, 497, 304));
}
