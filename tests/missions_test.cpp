// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Missions end to end on the simulated clock: starts, ends, results, M, effects.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "tools/replay/session.h"

using namespace brisco2;

namespace {
constexpr std::int64_t kStart = 3005;  // missions here start just after the first menu

struct Play {
    Session g;
    TForm1& f = g.form1();
    explicit Play(const char* digit, std::uint32_t seed = 0) : g(seed) {
        g.runUntil(kStart);
        g.key(digit);
    }
    // Holds every actor still, away from the bar and the walls.
    void hold() {
        for (tk::Timer* t : {f.aTimer46, f.aTimer47, f.aTimer48, f.aTimer49, f.bTimer46, f.bTimer47,
                             f.bTimer48, f.bTimer49})
            t->setEnabled(false);
        for (tk::Widget* w : {f.act1, f.act1b, f.act2, f.act2b, f.act3, f.act3b}) {
            w->setLeft(300);
            w->setTop(40);
        }
    }
    void at(std::int64_t missionMs) { g.runUntil(kStart + missionMs); }
    void intoZone(tk::Widget* a, tk::Widget* b) {
        for (tk::Widget* w : {a, b}) {
            w->setLeft(BarLeft);
            w->setTop(100);
        }
    }
};

const tk::Color kSilver = tk::colors::silver, kGreen = tk::colors::green, kRed = tk::colors::red;
}  // namespace

TEST(MissionStart, MissionOneFromTheFirstMenu) {
    Play p("1");
    EXPECT_FALSE(p.f.m->visible());
    EXPECT_EQ(p.f.c->left(), 216);
    EXPECT_EQ(p.f.c->width(), 50);
    EXPECT_EQ(BarLeft, 216);
    EXPECT_EQ(BarRight, 266);
    EXPECT_EQ(p.f.tt->caption(), "Time: 0s");
    EXPECT_EQ(p.f.p->caption(), "Points: 0");
    EXPECT_EQ(p.f.c2a->caption(), "Left+: 0");
    EXPECT_EQ(p.f.c2b->caption(), "Left-: 0");
    EXPECT_EQ(p.f.l->caption(), "Level: 1");
    EXPECT_EQ(p.f.va->caption(), "Game Over!");
    EXPECT_EQ(p.f.va->color(), kRed);
    EXPECT_TRUE(p.f.bTimer46->enabled() && p.f.bTimer49->enabled());
    EXPECT_FALSE(p.f.bTimer47->enabled() || p.f.bTimer48->enabled());
    EXPECT_TRUE(p.f.m1->enabled() && p.f.Ttt->enabled() && p.f.ck->enabled());
    p.g.advance(20);
    EXPECT_FALSE(p.f.ck->enabled());  // a one-shot
}

namespace {
// What a mission's start sets for every mission, whatever was before it.
struct Started {
    std::string level;
    int barLeft, barWidth, barRight, points, seconds;
    bool ca2, ca3;
    std::vector<bool> checks;  // m1..m9
    bool operator==(const Started&) const = default;
};
void PrintTo(const Started& s, std::ostream* os) {
    *os << s.level << ", bar " << s.barLeft << "+" << s.barWidth << " to " << s.barRight
        << ", points " << s.points << ", " << s.seconds << " s, ca2 " << s.ca2 << ", ca3 " << s.ca3
        << ", checks";
    for (bool c : s.checks) *os << ' ' << c;
}
Started started(Play& p) {
    TForm1& f = p.f;
    std::vector<bool> checks;
    for (tk::Timer* t : {f.m1, f.m2, f.m3, f.m4, f.m5, f.m6, f.m7, f.m8, f.m9})
        checks.push_back(t->enabled());
    return {f.l->caption(), f.c->left(),      f.c->width(),     BarRight, Points,
            MissionSeconds, f.ca2->enabled(), f.ca3->enabled(), checks};
}
}  // namespace

TEST(MissionStart, EachDigitStartsItsMissionTheSameWhicheverMissionCameBefore) {
    for (int n = 1; n <= 9; ++n) {
        const std::string digit = std::to_string(n);
        SCOPED_TRACE("mission " + digit);
        Started fresh;
        {
            Play p(digit.c_str());
            fresh = started(p);
        }
        // The digit's own mission, and its end check alone.
        EXPECT_EQ(fresh.level, "Level: " + digit);
        for (int i = 0; i < 9; ++i) EXPECT_EQ(fresh.checks[std::size_t(i)], i == n - 1) << i;
        EXPECT_EQ(fresh.barLeft, BarLeft);
        EXPECT_GT(fresh.barWidth, 0);
        EXPECT_GT(fresh.barRight, fresh.barLeft);
        // Nothing of an earlier mission, played a while and left by the menu, is left.
        for (int before = 1; before <= 9; ++before) {
            if (before == n) continue;
            SCOPED_TRACE("after mission " + std::to_string(before));
            Play p(std::to_string(before).c_str());
            p.g.advance(1'500);
            p.g.key("M");
            p.g.key(digit);
            EXPECT_EQ(started(p), fresh);
        }
        // Nor of a state that no mission leaves: every part is the start's own.
        Play p(digit.c_str());
        p.g.key("M");
        TForm1& f = p.f;
        f.ca2->setEnabled(!fresh.ca2);
        f.ca3->setEnabled(!fresh.ca3);
        for (tk::Timer* t : {f.m1, f.m2, f.m3, f.m4, f.m5, f.m6, f.m7, f.m8, f.m9})
            t->setEnabled(!t->enabled());
        f.l->setCaption("Level: 0");
        f.c->setLeft(7);
        f.c->setWidth(3);
        BarLeft = 7;
        BarRight = 10;
        Points = 77;
        MissionSeconds = 77;
        p.g.key(digit);
        EXPECT_EQ(started(p), fresh);
    }
}

TEST(MissionStart, DigitKeysDuringPlayChangeNothing) {
    Play p("1");
    p.g.advance(500);
    p.g.key("5");
    EXPECT_FALSE(p.f.m5->enabled());
    EXPECT_EQ(p.f.l->caption(), "Level: 1");
    EXPECT_EQ(p.f.c->width(), 50);
}

TEST(MissionStart, MissionFourLeavesThePicturesAsTheyWere) {
    Play p("2");  // shows act3, hides act3b and actor 2
    p.g.key("M");
    p.g.key("4");
    EXPECT_FALSE(p.f.act2->visible() || p.f.act2b->visible());
    EXPECT_TRUE(p.f.aTimer46->enabled() && p.f.aTimer48->enabled());
    p.g.advance(600);  // actor 2 takes part: the frame chain shows one of its frames
    EXPECT_NE(p.f.act2->visible(), p.f.act2b->visible());
}

TEST(EndChecks, MissionOneAtOneHundredSecondsWithNinetyNineOrOneHundredPoints) {
    for (int points : {99, 100}) {
        Play p("1");
        p.hold();
        p.at(99'000);
        Points = points;
        EXPECT_FALSE(p.f.m->visible());
        p.at(100'000);
        EXPECT_TRUE(p.f.m->visible());
        EXPECT_FALSE(p.f.Ttt->enabled());
        EXPECT_FALSE(p.f.Left1->enabled() || p.f.Left2->enabled());
        EXPECT_TRUE(p.f.m1->enabled());  // the check keeps running
        if (points == 100) {
            EXPECT_EQ(p.f.l1->color(), kGreen);
            EXPECT_EQ(p.f.va->caption(), "Winner!");
            EXPECT_EQ(p.f.va->color(), kGreen);
        } else {
            EXPECT_EQ(p.f.l1->color(), kSilver);
            EXPECT_EQ(p.f.va->caption(), "Game Over!");
            EXPECT_EQ(p.f.va->color(), kRed);
        }
    }
}

TEST(EndChecks, TheWinTestIsMadeAgainWhileContactsGoOn) {
    Play p("1");
    p.hold();
    p.at(100'000);
    EXPECT_EQ(p.f.l1->color(), kSilver);
    Points = 99;
    p.intoZone(p.f.act1, p.f.act1b);  // a stopped actor over the bar counts every tick
    p.g.advance(10);
    EXPECT_EQ(Points, 100);
    EXPECT_EQ(p.f.l1->color(), kGreen);
    EXPECT_EQ(p.f.va->caption(), "Winner!");
    p.hold();
    Points = 50;
    p.g.advance(10);
    EXPECT_EQ(p.f.l1->color(), kSilver);
    EXPECT_EQ(p.f.va->caption(), "Winner!");  // the label keeps what it was given
}

TEST(EndChecks, MissionTwosHundredthPointAtSeventyFiveWinsAtSeventySixLoses) {
    for (int second : {75, 76}) {
        Play p("2");
        p.hold();
        p.at(second * 1000 + 2);
        ASSERT_EQ(MissionSeconds, second);
        Points = 99;
        p.intoZone(p.f.act1, p.f.act1b);
        p.g.advance(10);
        EXPECT_EQ(Points, 100);
        EXPECT_TRUE(p.f.m->visible());
        EXPECT_EQ(p.f.l2->color(), second == 75 ? kGreen : kSilver);
        EXPECT_EQ(p.f.va->caption(), second == 75 ? "Winner!" : "Game Over!");
    }
}

TEST(EndChecks, MissionThreeEndsAtTheTickTheBarReachesThreePixels) {
    Play p("3");
    p.hold();
    p.intoZone(p.f.act1, p.f.act1b);
    p.g.advance(10 * 246);  // 246 contacts: 4 pixels left
    EXPECT_EQ(p.f.c->width(), 4);
    EXPECT_FALSE(p.f.m->visible());
    p.g.advance(10);
    EXPECT_EQ(p.f.c->width(), 3);
    EXPECT_TRUE(p.f.m->visible());
    EXPECT_EQ(p.f.va->caption(), "Winner!");
    EXPECT_EQ(p.f.l3->color(), kGreen);
    // m3 stays enabled: the stopped actor goes on narrowing the bar, below zero, until
    // BarRight, shrinking with it, passes the actor's left edge.
    p.g.advance(100);
    EXPECT_EQ(p.f.c->width(), -1);
    EXPECT_EQ(BarRight, 215);
}

TEST(EndChecks, MissionSixNeedsTwoHundredFiftyAtThreeHundredSeconds) {
    for (int points : {249, 250}) {
        Play p("6");
        p.hold();
        p.f.aTimer47->setEnabled(true);  // actor 2 moving, far from the bar
        p.f.act2->setLeft(20);
        p.f.act2b->setLeft(20);
        p.at(299'500);
        Points = points;
        p.at(300'000);
        EXPECT_TRUE(p.f.m->visible());
        EXPECT_EQ(p.f.l6->color(), points == 250 ? kGreen : kSilver);
        // The end of mission 6 leaves actor 2 moving; the b-group stops.
        EXPECT_TRUE(p.f.aTimer46->enabled() || p.f.aTimer47->enabled());
        EXPECT_FALSE(p.f.bTimer46->enabled() || p.f.bTimer47->enabled());
    }
}

TEST(EndChecks, MissionFoursEndStopsActorTwoToo) {
    Play p("4");
    p.at(100'000);
    EXPECT_TRUE(p.f.m->visible());
    for (tk::Timer* t : {p.f.aTimer46, p.f.aTimer47, p.f.aTimer48, p.f.aTimer49})
        EXPECT_FALSE(t->enabled()) << t->name();
}

TEST(EndChecks, LineColoursOutliveLaterMissionsAndMissionNineIsNeverColoured) {
    Play p("1");
    p.hold();
    p.at(100'000);
    EXPECT_EQ(p.f.l1->color(), kSilver);
    p.g.key("5");
    p.hold();
    p.g.advance(49'000);
    Points = 50;
    p.g.advance(2'000);
    EXPECT_EQ(p.f.l5->color(), kGreen);
    EXPECT_EQ(p.f.l1->color(), kSilver);
    EXPECT_FALSE(p.f.l2->hasOwnColor());
    p.g.key("9");
    p.g.advance(1000);
    p.g.key("M");
    EXPECT_TRUE(p.f.m->visible());
    EXPECT_EQ(p.f.va->caption(), "Game Over!");
    EXPECT_EQ(p.f.va->color(), kRed);
    EXPECT_FALSE(p.f.l9->hasOwnColor());
    EXPECT_EQ(p.f.l1->color(), kSilver);
}

TEST(MenuKey, OnTheTitleScreenShowsTheMenuAndActorTwoMovesOn) {
    Session g;
    TForm1& f = g.form1();
    g.runUntil(500);
    g.key("M");
    EXPECT_TRUE(f.m->visible());
    EXPECT_FALSE(f.Left1->enabled());
    const int left2 = f.act2->left(), top2 = f.act2->top();
    g.runUntil(600);
    EXPECT_NE(std::pair(left2, top2), std::pair(f.act2->left(), f.act2->top()));
    g.key("1");  // digits now start missions, on the title screen
    EXPECT_FALSE(f.m->visible());
    EXPECT_TRUE(f.Left1->enabled());
    g.runUntil(3000);  // overtaken by the title end
    EXPECT_TRUE(f.m->visible());
    EXPECT_TRUE(f.Ttt->enabled());
    EXPECT_TRUE(f.m1->enabled());
    EXPECT_TRUE(f.Left1->enabled());
    EXPECT_FALSE(f.bTimer46->enabled() || f.bTimer49->enabled());
    EXPECT_EQ(f.act1->left(), 55);
}

TEST(MenuKey, InMissionsOneToSixActorTwoAndTheEndCheckRunOn) {
    Play p("6");
    p.g.advance(1000);
    p.g.key("M");
    EXPECT_TRUE(p.f.m->visible());
    EXPECT_FALSE(p.f.Ttt->enabled());
    EXPECT_TRUE(p.f.m6->enabled());
    EXPECT_TRUE(p.f.aTimer47->enabled() || p.f.aTimer46->enabled());
    EXPECT_FALSE(p.f.str->enabled());
    EXPECT_EQ(p.f.va->caption(), "Game Over!");
}

TEST(MenuKey, InMissionSevenRunsTheTitleEndOnceAndTheHeightsComeBack) {
    Play p("7");
    p.at(2'500);  // tr1 ticks at 5500 ms: the first frames flatten
    EXPECT_EQ(p.f.act1->height(), 1);
    EXPECT_EQ(p.f.act2->height(), 1);
    EXPECT_EQ(p.f.act3->height(), 1);
    EXPECT_EQ(p.f.act1b->height(), 33);
    p.g.advance(100);
    p.g.key("M");
    EXPECT_FALSE(p.f.m7->enabled());
    p.f.act1->setLeft(400);
    p.g.advance(10);  // str's tick: the title-end steps
    EXPECT_EQ(p.f.act1->left(), 55);
    EXPECT_FALSE(p.f.str->enabled());
    EXPECT_FALSE(p.f.s->enabled());
    EXPECT_EQ(p.f.act1->height(), 1);
    p.g.runUntil(8000);  // the pending tr2 tick, on its old period
    EXPECT_EQ(p.f.act1->height(), 33);
    EXPECT_EQ(p.f.act3->height(), 33);
}

TEST(MenuKey, InMissionEightRunsTheTitleEndTwiceAndOvertakesAMissionStartedBetween) {
    Play p("8");
    p.at(1000);
    p.g.key("M");
    EXPECT_TRUE(p.f.s->enabled());
    p.g.advance(10);
    EXPECT_FALSE(p.f.str->enabled());
    p.g.advance(490);
    p.g.key("1");
    EXPECT_FALSE(p.f.m->visible());
    p.g.runUntil(kStart + 1000 + 3000);  // s, armed again by M, ticks 3000 ms after it
    EXPECT_TRUE(p.f.m->visible());
    EXPECT_FALSE(p.f.s->enabled());
    EXPECT_TRUE(p.f.Ttt->enabled());
    EXPECT_TRUE(p.f.Left1->enabled());
    EXPECT_EQ(p.f.act1->left(), 55);
}

TEST(Effects, TheTransfersEightDrawsFollowTheSeed) {
    constexpr std::uint32_t kSeed = 4242;
    Play p("8", kSeed);
    p.hold();  // nothing moves the pictures after the draws
    p.at(2'490);
    EXPECT_EQ(p.g.window1().clientWidth(), 489);
    EXPECT_EQ(p.g.window1().clientHeight(), 277);
    p.at(2'495);  // tr1 ticks at 5500 ms
    // The same generator written out here, so a fault in either shows.
    std::uint64_t state = kSeed;
    auto below = [&](std::int64_t n) {
        state = state * ((std::uint64_t(0x15A) << 32) + 0x4E35) + 1;
        return std::int32_t(std::int64_t((state >> 32) & 0x7FFFFFFF) % n);
    };
    for (tk::Widget* w : {p.f.act1, p.f.act1b, p.f.act2, p.f.act2b}) {
        const int left = below(489 - 33);
        const int top = below(277 - 33);
        EXPECT_EQ(w->left(), left) << w->name();
        EXPECT_EQ(w->top(), top) << w->name();
    }
    EXPECT_FALSE(p.f.tr1->enabled());
    EXPECT_TRUE(p.f.tr2->enabled());
}

TEST(Effects, TheCycleRunsWithoutAnEffectMissionAndChangesNothing) {
    for (const char* mission : {"1", "9"}) {
        SCOPED_TRACE(mission);
        Play p(mission);
        p.hold();  // nothing but an effect could move or flatten the pictures now
        auto pictures = [&p] {
            std::vector<int> v;
            for (tk::Widget* w : {p.f.act1, p.f.act1b, p.f.act2, p.f.act2b, p.f.act3, p.f.act3b})
                v.insert(v.end(), {w->left(), w->top(), w->width(), w->height()});
            return v;
        };
        p.at(2'490);
        const auto before = pictures();
        ASSERT_TRUE(p.f.tr1->enabled());
        p.at(2'500);  // tr1 ticks at 5500 ms
        EXPECT_FALSE(p.f.tr1->enabled());
        EXPECT_TRUE(p.f.tr2->enabled());
        EXPECT_EQ(pictures(), before);
        p.at(5'000);  // tr2 ticks at 8000 ms
        EXPECT_TRUE(p.f.tr1->enabled());
        EXPECT_FALSE(p.f.tr2->enabled());
        EXPECT_EQ(pictures(), before);
    }
}

TEST(Effects, ANegativeOrZeroBoundComesFromATinyClientArea) {
    Play p("8");
    p.hold();
    p.at(2'490);                        // after the game clock's last size lock at 5000 ms
    p.g.window1().userResized(20, 40);  // client 12 x 13, smaller than a picture
    p.at(2'495);
    for (tk::Widget* w : {p.f.act1, p.f.act1b, p.f.act2, p.f.act2b}) {
        EXPECT_NE(w->left(), 300) << w->name();  // moved by the transfer
        EXPECT_GE(w->left(), 0);
        EXPECT_LT(w->left(), 33 - 12);
        EXPECT_GE(w->top(), 0);
        EXPECT_LT(w->top(), 33 - 13);
    }
}
