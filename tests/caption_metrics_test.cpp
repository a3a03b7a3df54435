// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The replay tool measures captions with tables made at build time; the real window
// measures them with Qt. Captioned widgets' sizes are left out of the stored replays,
// so here the two are held against each other for every caption the game can show.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "app/forms/font_tables.h"
#include "engine/arith.h"
#include "tests/qt_support.h"
#include "toolkit/error.h"
#include "toolkit/qt/text_metrics.h"
#include "tools/replay/session.h"

namespace {

class CaptionMetrics : public ::testing::Test {
  protected:
    void SetUp() override { qt_support::application(); }

    // The font a widget of the main window draws its caption in.
    const tk::Font& fontOf(const std::string& name) {
        tk::Widget* w = game.window1().find(name);
        if (!w) throw std::runtime_error("no widget " + name);
        return w->font();
    }

    void expectSame(const tk::Font& font, const std::string& text) {
        EXPECT_EQ(table.measure(font, text), desktop.measure(font, text))
            << '"' << text << "\" in " << font.name << ' ' << font.height;
    }

    tk::qt::QtTextMetrics desktop;
    tk::TableTextMetrics table{forms::fontTables()};
    brisco2::Session game;
};

TEST_F(CaptionMetrics, EveryCaptionOfBothTreesAndTheBlankOfAnEmptyOne) {
    int captions = 0;
    for (tk::Form* form : {&game.window1(), &game.window2()}) {
        expectSame(form->font(), " ");
        for (const tk::Widget* w : form->widgets()) {
            if (!w->hasCaption()) continue;
            expectSame(w->font(), w->caption().empty() ? " " : w->caption());
            expectSame(w->font(), " ");
            ++captions;
        }
    }
    EXPECT_GT(captions, 30);
}

TEST_F(CaptionMetrics, TheTextsHandlersWrite) {
    for (const char* text : {"Game Over!", "Winner!", "Welcome"}) expectSame(fontOf("va"), text);
    for (char level = '1'; level <= '9'; ++level)
        expectSame(fontOf("l"), std::string("Level: ") + level);
    expectSame(fontOf("tt"), "Time: 0s");
    expectSame(fontOf("p"), "Points: 0");
    expectSame(fontOf("c2a"), "Left+: 0");
    expectSame(fontOf("c2b"), "Left-: 0");
}

TEST_F(CaptionMetrics, EveryCounterCaptionInItsLabelsFont) {
    struct Counter {
        const char* label;
        const char* prefix;
        const char* suffix;
    };
    const Counter counters[] = {{"tt", "Time:", "s."},
                                {"Label5", "Game Time:", "s."},
                                {"c2a", "Left+:", ""},
                                {"c2b", "Left-:", ""},
                                {"p", "Points:", ""}};
    // Every pair of neighbouring digits, the minus sign before each digit, the blank of
    // five digits and more, and the ends of the range.
    std::vector<int> values;
    for (int v = -1100; v <= 11000; ++v) values.push_back(v);
    for (int v : {99999, 100000, 999999, 1234567890, INT_MAX, INT_MIN, INT_MIN + 1})
        values.push_back(v);
    for (const Counter& c : counters) {
        const tk::Font& font = fontOf(c.label);
        for (int v : values) {
            const std::string text = brisco2::counterCaption(c.prefix, v, c.suffix);
            ASSERT_EQ(table.measure(font, text), desktop.measure(font, text))
                << '"' << text << "\" in " << font.name << ' ' << font.height;
        }
    }
}

TEST_F(CaptionMetrics, WhatTheTablesDoNotHoldIsAnErrorNotAGuess) {
    tk::Font unknown = fontOf("p");
    unknown.height = -12;
    try {
        table.measure(unknown, "Points: 1");
        FAIL() << "an unknown font was measured";
    } catch (const tk::Error& e) {
        EXPECT_NE(std::string(e.what()).find("MS Sans Serif"), std::string::npos) << e.what();
    }
    EXPECT_THROW(table.measure(fontOf("p"), "Punkte: \xC3\xBC"), tk::Error);
    EXPECT_THROW(table.measure(fontOf("p"), std::string("a\tb")), tk::Error);
}

}  // namespace
