// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Movement, rebound, frames, bar, contacts and clocks, on the simulated clock.
#include <gtest/gtest.h>

#include <algorithm>

#include "tools/replay/session.h"

using namespace brisco2;

namespace {
void stopAll(TForm1& f) {
    for (tk::Timer* t : {f.aTimer46, f.aTimer47, f.aTimer48, f.aTimer49, f.bTimer46, f.bTimer47,
                         f.bTimer48, f.bTimer49})
        t->setEnabled(false);
}
void place(tk::Widget* a, tk::Widget* b, int left, int top) {
    for (tk::Widget* w : {a, b}) {
        w->setLeft(left);
        w->setTop(top);
    }
}
// Mission `n` started from the first menu screen.
struct InMission {
    Session g;
    TForm1& f = g.form1();
    explicit InMission(const char* digit) {
        g.runUntil(3005);
        g.key(digit);
    }
};
}  // namespace

TEST(Movement, TitleScreenActorsTurnAtTheirLimits) {
    Session g;
    TForm1& f = g.form1();
    int minLeft1 = 1000, maxLeft1 = -1000, minTop1 = 1000, maxTop1 = -1000;
    int maxTop2 = -1000, maxLeft2 = -1000;
    for (int t = 10; t < 3000; t += 10) {
        g.runUntil(t);
        minLeft1 = std::min(minLeft1, f.act1->left());
        maxLeft1 = std::max(maxLeft1, f.act1->left());
        minTop1 = std::min(minTop1, f.act1->top());
        maxTop1 = std::max(maxTop1, f.act1->top());
        maxTop2 = std::max(maxTop2, f.act2->top());
        maxLeft2 = std::max(maxLeft2, f.act2->left());
        // actor 3 keeps its offset from actor 1, the second frames stay with the first
        ASSERT_EQ(f.act3->left() - f.act1->left(), 176);
        ASSERT_EQ(f.act1b->top(), f.act1->top());
    }
    EXPECT_EQ(maxLeft1, 450);
    EXPECT_EQ(maxTop1, 230);  // 224 does not turn, the next step past it does
    EXPECT_EQ(minLeft1, 0);
    EXPECT_EQ(minTop1, -10);  // the first step goes up before the first rebound test
    EXPECT_EQ(maxTop2, 230);
    EXPECT_EQ(maxLeft2, 458);  // from 88 in steps of 10: the first value at or past 450
}

TEST(Movement, ReboundTestsActOnAStoppedGroupAndTheBottomTestIsStrict) {
    InMission m("9");
    stopAll(m.f);
    place(m.f.act1, m.f.act1b, 300, 224);
    m.g.advance(30);
    EXPECT_FALSE(m.f.bTimer46->enabled());
    EXPECT_EQ(m.f.act1->top(), 224);
    m.f.act1->setTop(225);
    m.g.advance(10);
    EXPECT_TRUE(m.f.bTimer46->enabled());
    EXPECT_FALSE(m.f.bTimer47->enabled());
    stopAll(m.f);
    place(m.f.act1, m.f.act1b, 450, 100);  // a stopped group at the right limit
    m.g.advance(10);
    EXPECT_TRUE(m.f.bTimer49->enabled());
    EXPECT_FALSE(m.f.bTimer46->enabled() || m.f.bTimer47->enabled());  // vertical stays still
    m.g.advance(100);
    EXPECT_EQ(m.f.act1->top(), 100);
    EXPECT_LT(m.f.act1->left(), 450);
}

TEST(Movement, ACornerTurnsBothAxesInOneTick) {
    InMission m("9");
    stopAll(m.f);
    m.f.aTimer46->setEnabled(true);
    m.f.aTimer49->setEnabled(true);
    place(m.f.act2, m.f.act2b, 0, 0);
    m.g.advance(10);  // the rebound test runs before the a-group's steps
    EXPECT_TRUE(m.f.aTimer47->enabled());
    EXPECT_TRUE(m.f.aTimer48->enabled());
    EXPECT_FALSE(m.f.aTimer46->enabled());
    EXPECT_FALSE(m.f.aTimer49->enabled());
    m.g.advance(10);
    EXPECT_EQ(m.f.act2->left(), 10);
    EXPECT_EQ(m.f.act2->top(), 10);
}

TEST(Frames, FirstSwitchAt3000msThenFiveHundredFiveHundredThreeHundredOneHundred) {
    Session g;
    TForm1& f = g.form1();
    struct Step {
        int at;
        bool secondShown;
    };
    g.runUntil(2999);
    EXPECT_FALSE(f.act1->visible());  // as loaded
    for (Step s : {Step{3000, true},
                   {3500, false},
                   {4000, true},
                   {4300, false},
                   {4400, true},
                   {4900, false},
                   {5400, true},
                   {5700, false},
                   {5800, true}}) {
        g.runUntil(s.at - 1);
        const bool before = f.act1b->visible();
        g.runUntil(s.at);
        EXPECT_EQ(f.act1b->visible(), s.secondShown) << s.at;
        EXPECT_EQ(f.act1->visible(), !s.secondShown) << s.at;
        if (s.at > 3000) {
            EXPECT_NE(before, f.act1b->visible()) << "switched early " << s.at;
        }
    }
    EXPECT_EQ(f.Timer5->interval(), 100u);
    int running = 0;
    for (tk::Timer* t : {f.Timer5, f.Timer9, f.Timer10, f.Timer11}) running += t->enabled();
    EXPECT_EQ(running, 1);
}

TEST(Frames, ActorsTwoAndThreeSwitchOnlyWhileTheyTakePart) {
    InMission m("1");  // leaves out actors 2 and 3: all their pictures hidden
    m.g.advance(3000);
    EXPECT_FALSE(m.f.act2->visible() || m.f.act2b->visible());
    EXPECT_FALSE(m.f.act3->visible() || m.f.act3b->visible());
    m.f.ca2->setEnabled(true);  // taking part again: one frame shows within a step
    m.g.advance(500);
    EXPECT_NE(m.f.act2->visible(), m.f.act2b->visible());
    EXPECT_FALSE(m.f.act3->visible() || m.f.act3b->visible());
}

TEST(Bar, OneStepAndTheDoubleStepOfMissionFive) {
    InMission m("1");
    EXPECT_EQ(m.f.c2a->caption(), "Left+: 0");
    m.g.key("D");
    EXPECT_EQ(m.f.c->left(), 226);
    EXPECT_EQ(m.f.c2a->caption(), "Left+:226");
    EXPECT_EQ(m.f.c2b->caption(), "Left-:276");
    m.g.key("A");
    EXPECT_EQ(m.f.c->left(), 216);
    EXPECT_EQ(BarLeft, 216);
    EXPECT_EQ(BarRight, 266);
    for (int i = 0; i < 30; ++i) m.g.key("A");  // nothing bounds the bar
    EXPECT_EQ(BarLeft, -84);
    EXPECT_EQ(m.f.c2a->caption(), "Left+:-84");

    InMission five("5");
    five.g.key("D");
    EXPECT_EQ(five.f.c->left(), 236);
    EXPECT_EQ(BarLeft, 236);
    EXPECT_EQ(BarRight, 251);
    EXPECT_EQ(five.f.c2b->caption(), "Left-:251");
}

TEST(Bar, CaptionTakesItsBlankWhenTheEdgeReachesTenThousand) {
    InMission m("1");
    BarLeft = 9990;
    m.g.key("D");
    EXPECT_EQ(m.f.c2a->caption(), "Left+: 10000");
}

namespace {
// Mission 1 with every actor held still at a known place.
struct Held : InMission {
    explicit Held(const char* digit = "1") : InMission(digit) {
        stopAll(f);
        place(f.act1, f.act1b, 300, 40);
        place(f.act2, f.act2b, 300, 40);
        place(f.act3, f.act3b, 300, 40);
        g.advance(10);
        Points = 0;
    }
    int pointsAfterOneTickAt(int left, int top) {
        place(f.act1, f.act1b, left, top);
        const int before = Points;
        g.advance(10);
        return Points - before;
    }
};
}  // namespace

TEST(Contacts, ZoneAndBandIncludeTheirBoundsAndNothingOutside) {
    Held h;  // BarLeft 216, BarRight 266
    EXPECT_EQ(h.pointsAfterOneTickAt(216, 88), 1);
    EXPECT_EQ(h.pointsAfterOneTickAt(266, 120), 1);
    EXPECT_EQ(h.pointsAfterOneTickAt(215, 100), 0);
    EXPECT_EQ(h.pointsAfterOneTickAt(267, 100), 0);
    EXPECT_EQ(h.pointsAfterOneTickAt(240, 87), 0);
    EXPECT_EQ(h.pointsAfterOneTickAt(240, 121), 0);
    EXPECT_EQ(h.pointsAfterOneTickAt(190, 100), 0);  // picture over the bar, left edge outside
}

TEST(Contacts, AStoppedActorInsideTheZoneCountsOnEveryTick) {
    Held h;
    place(h.f.act1, h.f.act1b, 240, 100);
    h.g.advance(100);
    EXPECT_EQ(Points, 10);
    EXPECT_EQ(h.f.p->caption(), "Points:10");
    EXPECT_TRUE(h.f.bc->enabled());  // nothing to swap, the latch stays set
}

TEST(Contacts, AContactTurnsTheActorVerticallyAndKeepsItsHorizontalDirection) {
    Held h;
    h.f.bTimer47->setEnabled(true);
    h.f.bTimer49->setEnabled(true);
    place(h.f.act1, h.f.act1b, 250, 80);  // the step takes it to 240, 90
    h.g.advance(15);                      // the step, then the next contact test
    EXPECT_EQ(Points, 1);
    EXPECT_TRUE(h.f.bTimer46->enabled());
    EXPECT_FALSE(h.f.bTimer47->enabled());
    EXPECT_TRUE(h.f.bTimer49->enabled());
    EXPECT_FALSE(h.f.bc->enabled());
}

TEST(Contacts, ActorsThreeAndOneInOneTickSwapTheGroupTwice) {
    Held h("2");  // actor 3 takes part, a contact of it widens the bar
    h.f.bTimer47->setEnabled(true);
    place(h.f.act1, h.f.act1b, 230, 80);
    place(h.f.act3, h.f.act3b, 240, 80);
    h.g.advance(15);
    EXPECT_EQ(Points, 1);
    EXPECT_EQ(h.f.c->width(), 51);
    EXPECT_EQ(BarRight, 267);
    EXPECT_EQ(h.f.c2b->caption(), "Left-:267");
    EXPECT_TRUE(h.f.bTimer47->enabled());  // still going down
    EXPECT_FALSE(h.f.bTimer46->enabled());
}

TEST(Contacts, MissionSixWidensByThreeAndActorTwoCostsAPointAndAPixel) {
    Held h("6");
    BarRight = 9997;
    place(h.f.act3, h.f.act3b, 220, 100);
    h.g.advance(10);
    EXPECT_EQ(h.f.c->width(), 28);
    EXPECT_EQ(BarRight, 10000);
    EXPECT_EQ(h.f.c2b->caption(), "Left-: 10000");
    place(h.f.act3, h.f.act3b, 300, 40);
    BarRight = 266;
    place(h.f.act2, h.f.act2b, 220, 100);
    h.g.advance(10);
    EXPECT_EQ(Points, -1);
    EXPECT_EQ(h.f.p->caption(), "Points:-1");
    EXPECT_EQ(h.f.c->width(), 27);
    EXPECT_EQ(BarRight, 265);
}

TEST(Contacts, BarWidthGoesBelowZeroAndIsKeptAsRequested) {
    Held h("4");
    BarRight = 100000;  // a zone wide enough to keep counting
    place(h.f.act2, h.f.act2b, 220, 100);
    h.g.advance(1200);  // 120 contacts of actor 2, each a pixel off the 100-pixel bar
    EXPECT_EQ(h.f.c->width(), -20);
    EXPECT_EQ(Points, -120);
    EXPECT_EQ(BarRight, 99880);
}

TEST(Clocks, MissionClockCaptionsAndTheSizeLock) {
    InMission m("9");  // no end check to stop the clock at a large count
    EXPECT_EQ(m.f.tt->caption(), "Time: 0s");
    m.g.advance(995);
    EXPECT_EQ(m.f.tt->caption(), "Time: 0s");
    m.g.advance(10);
    EXPECT_EQ(m.f.tt->caption(), "Time:1s.");
    m.g.window1().userResized(800, 600);
    m.g.advance(1000);
    EXPECT_EQ(m.g.window1().width(), 497);
    EXPECT_EQ(m.g.window1().height(), 304);
    MissionSeconds = 9999;
    m.g.advance(1000);
    EXPECT_EQ(m.f.tt->caption(), "Time: 10000s.");
}

TEST(Clocks, TheGameClockIsNotRestartedByLaterMenus) {
    Session g;
    g.runUntil(3000);
    const tk::Nanos due = g.form1().Timer7->due();
    g.runUntil(3500);
    g.key("7");
    g.key("M");  // M in mission 7 runs the title-end steps again at str's tick
    g.runUntil(3600);
    EXPECT_FALSE(g.form1().str->enabled());  // the steps ran
    EXPECT_EQ(g.form1().Timer7->due(), due);
    g.runUntil(4000);
    EXPECT_EQ(GameSeconds, 1);
}
