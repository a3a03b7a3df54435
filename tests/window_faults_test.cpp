// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// What the user can do to the windows, done over and over, never breaks the game.
#include <gtest/gtest.h>

#include "tools/replay/session.h"

using namespace brisco2;

TEST(WindowFaults, TheDisabledSecondWindowRefusesToCloseAndTheMainWindowEndsTheProgram) {
    Session g;
    g.runUntil(2600);
    EXPECT_FALSE(g.app().userClose(g.window2()));
    EXPECT_TRUE(g.window2().visible());
    EXPECT_FALSE(g.app().quitRequested());
    int quits = 0;
    g.app().setQuitHandler([&] { ++quits; });
    EXPECT_TRUE(g.app().userClose(g.window1()));
    EXPECT_TRUE(g.app().quitRequested());
    EXPECT_EQ(quits, 1);
}

TEST(WindowFaults, ClosingTheMainWindowWorksWhileAReportIsOpen) {
    Session g;  // no media device: the music timer reports at 3 s
    g.runUntil(3500);
    ASSERT_TRUE(g.app().reportOpenFrom("Media"));
    EXPECT_TRUE(g.app().userClose(g.window1()));
    EXPECT_TRUE(g.app().quitRequested());
}

TEST(WindowFaults, MinimiseMaximiseAndResizeStormsDuringAMissionKeepTheState) {
    Session g;
    g.runUntil(3005);
    g.key("6");
    TForm1& f = g.form1();
    for (int i = 0; i < 2000; ++i) {
        g.window1().userStateChanged(i % 3 == 0   ? tk::WindowState::Minimized
                                     : i % 3 == 1 ? tk::WindowState::Maximized
                                                  : tk::WindowState::Normal);
        g.window1().userResized(100 + (i * 37) % 1900, 50 + (i * 53) % 1100);
        if (i % 7 == 0) g.key("D");
        g.advance(5);
    }
    // Keys went on acting whatever the state; the mission runs on.
    EXPECT_FALSE(f.m->visible());
    EXPECT_TRUE(f.m6->enabled());
    EXPECT_EQ(MissionSeconds, 10);
    EXPECT_EQ(GameSeconds, 10);
    g.key("F5");
    EXPECT_EQ(g.window1().state(), tk::WindowState::Normal);
    g.advance(1000);
    EXPECT_EQ(g.window1().width(), 497);
    EXPECT_EQ(g.window1().height(), 304);
    int running = 0;
    for (tk::Timer* t : {f.Timer5, f.Timer9, f.Timer10, f.Timer11}) running += t->enabled();
    EXPECT_EQ(running, 1);
}

TEST(WindowFaults, AFailingDeviceForDaysKeepsABoundedReportHistory) {
    // Every tick runs: a check of the quiet ones would dump a thousand reports at each
    // of the 1500, for minutes under the sanitizers, and this is about the reports.
    Session::Options options;  // no media device: a report every 3 s once one is closed
    options.quietTicks = tk::QuietTicks::Run;
    Session g(std::move(options));
    for (int i = 0; i < 1500; ++i) {
        g.advance(3000);
        g.app().dismissOldest();
    }
    const auto& reports = g.app().reports();
    EXPECT_EQ(reports.size(), tk::Application::kClosedReportsKept);
    EXPECT_GT(reports.front().id, 1);  // the oldest went first
    EXPECT_EQ(reports.back().id, 1500);
    EXPECT_EQ(g.form1().Media->failures(), 1500u);
}
