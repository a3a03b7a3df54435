// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The first seconds of a run and the menu screen, on the simulated clock.
#include <gtest/gtest.h>

#include "tools/replay/session.h"

using namespace brisco2;

TEST(TitleScreen, LoadsAsTheTreeSaysAndLosesItsBorderAtTheFirstTick) {
    Session g;
    TForm1& f = g.form1();
    EXPECT_EQ(f.Form1.border(), tk::BorderStyle::Sizeable);
    EXPECT_TRUE(f.vd->visible());
    EXPECT_TRUE(f.logo1->visible());
    EXPECT_FALSE(f.act1->visible());
    EXPECT_TRUE(f.act1b->visible());
    EXPECT_FALSE(f.m->visible());
    g.runUntil(9);
    EXPECT_EQ(f.Form1.border(), tk::BorderStyle::Sizeable);
    g.runUntil(10);
    EXPECT_EQ(f.Form1.border(), tk::BorderStyle::None);
    EXPECT_FALSE(f.s1->enabled());
}

TEST(TitleScreen, GivesWayToTheMenuAt3000ms) {
    Session g;
    TForm1& f = g.form1();
    g.runUntil(2999);
    EXPECT_FALSE(f.m->visible());
    EXPECT_TRUE(f.st->visible());
    g.runUntil(3000);
    EXPECT_TRUE(f.m->visible());
    EXPECT_FALSE(f.st->visible());
    EXPECT_FALSE(f.vd->visible());
    EXPECT_TRUE(f.c->visible());
    EXPECT_EQ(f.Form1.border(), tk::BorderStyle::Sizeable);
    EXPECT_TRUE(f.Timer7->enabled());
    EXPECT_EQ(f.act1->left(), 55);
    EXPECT_EQ(f.act1->top(), 23);
    EXPECT_EQ(f.act2->left(), 155);
    EXPECT_EQ(f.act2->top(), 20);
    EXPECT_EQ(f.act3b->left(), 255);
    for (tk::Timer* t : {f.aTimer46, f.aTimer47, f.aTimer48, f.aTimer49, f.bTimer46, f.bTimer47,
                         f.bTimer48, f.bTimer49})
        EXPECT_FALSE(t->enabled()) << t->name();
    g.runUntil(4000);
    EXPECT_EQ(GameSeconds, 1);
    EXPECT_EQ(f.Label5->caption(), "Game Time:1s.");
}

TEST(SecondWindow, ShowsDisabledAt2500ms) {
    Session g;
    g.runUntil(2499);
    EXPECT_FALSE(g.window2().visible());
    g.runUntil(2500);
    EXPECT_TRUE(g.window2().visible());
    EXPECT_FALSE(g.window2().enabled());
    EXPECT_FALSE(g.form2().i->enabled());
}
