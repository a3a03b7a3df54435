// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The commands a recording of a real window adds, run on the simulated session: a late
// round, the window manager's frame, the music device's answers, a report closed by
// number, and the user's changes to the second window.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tools/replay/runner.h"
#include "tools/replay/script.h"
#include "tools/replay/session.h"

using namespace brisco2;

namespace {

// A script run on a fresh session whose music has no device beyond the recorded answers.
struct Played {
    replay::Script script;
    std::unique_ptr<Session> session;
    std::vector<std::string> ticks;  // "name due@delivered" of the watched timer

    explicit Played(const std::string& text, const char* watched = "s1") {
        std::string error;
        EXPECT_TRUE(replay::parseScript(text, "test", script, error)) << error;
        Session::Options o;
        o.seed = script.seed;
        o.media = replay::recordedMusic(script, nullptr);
        session = std::make_unique<Session>(std::move(o));
        session->app().scheduler().setTickObserver(
            [this, watched](const tk::Timer& t, tk::Nanos due, tk::Nanos now) {
                if (t.name() == watched)
                    ticks.push_back(std::to_string(due / tk::kMillisecond) + "@" +
                                    std::to_string(now / tk::kMillisecond));
            });
        replay::runScript(script, *session, [](const std::string&) {});
    }
    TForm1& f() { return session->form1(); }
};

using Ticks = std::vector<std::string>;

}  // namespace

TEST(RecordedCommands, ALateRoundComesOnceAtItsTimeAndDropsTheMissedPeriods) {
    Played onTime("40 dump\n", "Timer6");
    EXPECT_EQ(onTime.ticks, (Ticks{"10@10", "20@20", "30@30", "40@40"}));
    Played late("35 late 10\n50 dump\n", "Timer6");
    EXPECT_EQ(late.ticks, (Ticks{"10@35", "45@45"}));
    // Rounds due before the late one run on time first.
    Played after("35 late 20\n40 dump\n", "Timer6");
    EXPECT_EQ(after.ticks, (Ticks{"10@10", "20@35"}));
    // By 50 ms actors 1 and 3 moved twice where they moved five times on time.
    onTime.session->runUntil(50);
    EXPECT_EQ(onTime.f().act1->left() - late.f().act1->left(), 30);
}

TEST(RecordedCommands, TheFrameSetsTheClientAreaOfAWindowWithABorder) {
    Played r("0 frame 1 20 2 5\n5 dump\n");
    tk::Form& w = r.session->window1();
    EXPECT_EQ(w.clientWidth(), w.width() - 3);
    EXPECT_EQ(w.clientHeight(), w.height() - 25);
    r.session->runUntil(10);  // borderless from the first tick: no frame at all
    EXPECT_EQ(w.clientWidth(), w.width());
    EXPECT_EQ(Played("5 dump\n").session->window1().clientWidth(), w.width() - 8);  // the default
}

TEST(RecordedCommands, TheMusicAnswersAsRecordedWhateverTheFolderHolds) {
    // Opened at 3000 ms although no file is there; the failure at 85000 ms is reported
    // with its recorded text; nothing is left to answer the open after it.
    Played r("3000 music ok\n85000 music fail Broken%20file\n90000 dump\n");
    const tk::MediaPlayer& m = *r.f().Media;
    EXPECT_EQ(m.opens(), 1u);
    EXPECT_EQ(m.failures(), 1u);
    EXPECT_FALSE(m.isOpen());
    EXPECT_EQ(r.f().Timer4->interval(), 82000u);
    ASSERT_EQ(r.session->app().reports().size(), 1u);
    EXPECT_EQ(r.session->app().reports()[0].text, "Broken file.");
    r.session->runUntil(167000);
    ASSERT_EQ(r.session->app().reports().size(), 1u);  // one open box per source
    EXPECT_EQ(m.failures(), 2u);
}

TEST(RecordedCommands, ADismissByNumberClosesThatReportOnly) {
    Played r("3000 music fail a\n3001 dismiss 7\n3002 dump\n");
    ASSERT_EQ(r.session->app().reports().size(), 1u);
    EXPECT_TRUE(r.session->app().reports()[0].open);  // there is no report 7
    Played closed("3000 music fail a\n3001 dismiss 1\n3002 dump\n");
    EXPECT_FALSE(closed.session->app().reports()[0].open);
}

TEST(RecordedCommands, TheUserSizesAndMaximisesTheSecondWindow) {
    Played r("2600 resize 300 200 form2\n2600 maximize form2\n2600 minimize\n2601 dump\n");
    EXPECT_EQ(r.session->window2().width(), 300);
    EXPECT_EQ(r.session->window2().height(), 200);
    EXPECT_EQ(r.session->window2().state(), tk::WindowState::Maximized);
    EXPECT_EQ(r.session->window1().state(), tk::WindowState::Minimized);
    EXPECT_EQ(r.session->window1().width(), 497);
}
