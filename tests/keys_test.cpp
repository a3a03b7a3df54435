// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The shortcut dispatch as the game sees it: which key presses reach a handler.
#include <gtest/gtest.h>

#include <stdexcept>

#include "tools/replay/script.h"
#include "tools/replay/session.h"

using namespace brisco2;

namespace {
// The first menu screen, bar untouched.
struct OnMenu : ::testing::Test {
    Session g;
    void SetUp() override { g.runUntil(3005); }
};
}  // namespace

TEST_F(OnMenu, DMovesTheBarAndModifiedOrKeypadKeysDoNothing) {
    for (const char* k : {"shift+D", "ctrl+D", "alt+D", "ctrl+alt+D", "NUM1", "ctrl+1", "alt+M"})
        g.key(k);
    EXPECT_EQ(g.form1().c->left(), 216);
    EXPECT_TRUE(g.form1().m->visible());  // no mission started, no M
    // A name that is no key is a fault of the test, never a key that does nothing.
    for (const char* k : {"ctl+D", "DD", "NUM10", "F13", ""})
        EXPECT_THROW(g.key(k), std::invalid_argument) << k;
    g.key("d");  // the same key whatever its case
    EXPECT_EQ(g.form1().c->left(), 226);
    EXPECT_EQ(BarLeft, 10);
    EXPECT_EQ(g.form1().c2a->caption(), "Left+:10");
    EXPECT_EQ(g.form1().c2b->caption(), "Left-:10");
}

TEST_F(OnMenu, ADisabledItemRunsNothingAndTheKeyGoesNowhereElse) {
    g.key("M");  // the return-to-menu steps disable the bar keys
    EXPECT_FALSE(g.form1().Left1->enabled());
    g.key("D");
    g.key("A");
    EXPECT_EQ(g.form1().c->left(), 216);
    EXPECT_EQ(BarLeft, 0);
}

TEST_F(OnMenu, ADisabledParentOnThePathBlocksItsChildren) {
    g.form1().Player1->setEnabled(false);  // invisible, but still on the path
    g.key("1");
    EXPECT_TRUE(g.form1().m->visible());
    g.form1().Player1->setEnabled(true);
    g.key("1");
    EXPECT_FALSE(g.form1().m->visible());
}

TEST_F(OnMenu, KeysAreDroppedWhileTheMouseIsCaptured) {
    g.app().setMouseCaptured(true);
    g.key("D");
    g.key("D", true);
    EXPECT_EQ(g.form1().c->left(), 216);
    g.app().setMouseCaptured(false);
    g.key("D");
    EXPECT_EQ(g.form1().c->left(), 226);
}

TEST_F(OnMenu, KeysToTheSecondWindowFallThroughToTheMainWindowsMenu) {
    ASSERT_TRUE(g.window2().visible());
    g.key("D", true);
    EXPECT_EQ(g.form1().c->left(), 226);
    g.window1().setEnabled(false);  // only an enabled main window takes them
    g.key("D", true);
    EXPECT_EQ(g.form1().c->left(), 226);
    g.key("F5");  // the main window's own keys still work, F5 enables it again
    EXPECT_TRUE(g.window1().enabled());
    g.key("D", true);
    EXPECT_EQ(g.form1().c->left(), 236);
}

TEST_F(OnMenu, F5RestoresTheWindowAndChangesNothingWhenNormal) {
    g.window1().userStateChanged(tk::WindowState::Maximized);
    g.key("F5");
    EXPECT_EQ(g.window1().state(), tk::WindowState::Normal);
    g.key("F5");
    EXPECT_EQ(g.window1().state(), tk::WindowState::Normal);
    EXPECT_TRUE(g.window1().enabled());
}

TEST(Keys, BarKeysWorkOnTheBorderlessTitleScreenAndAutoRepeatCountsEachPress) {
    Session g;
    g.runUntil(100);
    for (int i = 0; i < 5; ++i) g.key("D");  // a held key: first press and repeats alike
    EXPECT_EQ(g.form1().c->left(), 266);
    EXPECT_EQ(BarLeft, 50);
    g.runUntil(3000);
    EXPECT_TRUE(g.form1().c->visible());
    EXPECT_EQ(g.form1().c->left(), 266);  // the bar shows where the keys left it
}

TEST(Keys, KeyNamesParseAsTheReplayScriptsWriteThem) {
    std::uint8_t vk = 0;
    tk::Shortcut mods = 0;
    ASSERT_TRUE(replay::parseKeyName("ctrl+alt+1", vk, mods));
    EXPECT_EQ(vk, 49);
    EXPECT_EQ(mods, tk::kCtrl | tk::kAlt);
    ASSERT_TRUE(replay::parseKeyName("vk:52", vk, mods));
    EXPECT_EQ(vk, 52);
    ASSERT_TRUE(replay::parseKeyName("num9", vk, mods));
    EXPECT_EQ(vk, 105);
    ASSERT_TRUE(replay::parseKeyName("f5", vk, mods));
    EXPECT_EQ(vk, 116);
    ASSERT_TRUE(replay::parseKeyName("F12", vk, mods));
    EXPECT_EQ(vk, 123);
    for (const char* bad : {"", "F0", "F13", "VK:256", "VK:", "hyper+D", "DD", "+D", "NUM10"})
        EXPECT_FALSE(replay::parseKeyName(bad, vk, mods)) << bad;
}
