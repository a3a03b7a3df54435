// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Small shared pieces: the random generator, the counter caption, the title, the loader.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "app/forms/forms.h"
#include "app/forms/pictures.h"
#include "app/main_window.h"
#include "engine/arith.h"
#include "toolkit/error.h"
#include "toolkit/headless.h"

using namespace brisco2;

TEST(Random, MatchesTheGeneratorsKnownValues) {
    RandomSeed(0);
    EXPECT_EQ(RandomNext(), 0);
    EXPECT_EQ(RandomNext(), 346);
    EXPECT_EQ(RandomNext(), 13854878);
}

TEST(Random, BoundZeroLeavesTheStateAndNegativeBoundsStayNonNegative) {
    RandomSeed(12345);
    const std::uint64_t before = RandomState();
    EXPECT_EQ(RandomBelow(0), 0);
    EXPECT_EQ(RandomState(), before);
    for (int i = 0; i < 1000; ++i) {
        const int v = RandomBelow(-5);
        EXPECT_GE(v, 0);
        EXPECT_LE(v, 4);
    }
    for (int i = 0; i < 1000; ++i) EXPECT_GE(RandomBelow(INT32_MIN), 0);
    RandomSeed(0xFFFFFFFFu);
    EXPECT_EQ(RandomState(), 0xFFFFFFFFull);  // upper 32 bits zero
}

TEST(CounterCaption, BlankFromTenThousandAndMinusStraightAfterThePrefix) {
    EXPECT_EQ(counterCaption("Points:", 0), "Points:0");
    EXPECT_EQ(counterCaption("Points:", 9999), "Points:9999");
    EXPECT_EQ(counterCaption("Points:", 10000), "Points: 10000");
    EXPECT_EQ(counterCaption("Points:", -1), "Points:-1");
    EXPECT_EQ(counterCaption("Left+:", -10000), "Left+:-10000");
    EXPECT_EQ(counterCaption("Time:", 9999, "s."), "Time:9999s.");
    EXPECT_EQ(counterCaption("Time:", 10000, "s."), "Time: 10000s.");
    EXPECT_EQ(counterCaption("Game Time:", INT32_MAX, "s."), "Game Time: 2147483647s.");
    EXPECT_EQ(counterCaption("Left-:", INT32_MIN), "Left-:-2147483648");
}

TEST(CounterCaption, GameArithmeticWrapsInsteadOfOverflowing) {
    EXPECT_EQ(add32(INT32_MAX, 1), INT32_MIN);
    EXPECT_EQ(add32(INT32_MIN, -1), INT32_MAX);
    EXPECT_EQ(add32(-5, 3), -2);
}

TEST(ApplicationTitle, ProgramNameWithoutExtensionRestLowerCase) {
    EXPECT_EQ(tk::applicationTitle("/usr/games/brisco2"), "brisco2");
    EXPECT_EQ(tk::applicationTitle("C:\\Games\\BRISCO2.EXE"), "Brisco2");
    EXPECT_EQ(tk::applicationTitle("Game.Tool.bin"), "Game.tool");
}

namespace {
struct LoaderRig {
    tk::SimClock clock;
    tk::FixedTextMetrics metrics;
    tk::Application app{clock, metrics, "t"};
    tk::FormBindings bindings;
    LoaderRig() {
        bindings.handler = [](const std::string& n) -> tk::Handler {
            if (n == "known") return [](tk::Object*) {};
            return {};
        };
        bindings.picture = forms::picture;
    }
    // The text of the tk::Error that `fn` throws; "" when it throws none.
    static std::string errorOf(const std::function<void()>& fn) {
        try {
            fn();
        } catch (const tk::Error& e) {
            return e.what();
        }
        return "";
    }
    std::string errorOf(const tk::FormDesc& d) {
        return errorOf([&] { tk::Form f(app, d, bindings); });
    }
};

tk::FormDesc small() {
    tk::FormDesc d;
    d.name = "F";
    d.caption = "F";
    d.left = d.top = 0, d.width = 100, d.height = 100;
    d.widgets.push_back({"pan", tk::WidgetKind::Panel, "F", 0, 0, 10, 10, std::nullopt,
                         std::nullopt, std::nullopt, true});
    d.timers.push_back({"t", 1, true, "known"});
    return d;
}
}  // namespace

TEST(FormLoader, ErrorsNameWhatIsWrong) {
    LoaderRig r;
    EXPECT_EQ(r.errorOf(small()), "");
    auto d = small();
    d.timers[0].handler = "Nope";
    EXPECT_NE(r.errorOf(d).find("\"Nope\""), std::string::npos);
    d = small();
    d.widgets.push_back(d.widgets[0]);
    EXPECT_NE(r.errorOf(d).find("\"pan\" is defined twice"), std::string::npos);
    d = small();
    d.widgets[0].parent = "ghost";
    EXPECT_NE(r.errorOf(d).find("\"ghost\""), std::string::npos);
    d = small();
    d.widgets[0].kind = tk::WidgetKind::Picture;
    d.widgets[0].picture = "no-such-picture";
    EXPECT_NE(r.errorOf(d).find("\"no-such-picture\""), std::string::npos);

    tk::Form f(r.app, small(), r.bindings);
    EXPECT_THROW(f.label("pan"), tk::Error);
    EXPECT_NE(r.errorOf([&] { f.picture("missing"); }).find("\"missing\""), std::string::npos);
    EXPECT_THROW(f.timer("u"), tk::Error);
    EXPECT_NO_THROW(f.panel("pan"));
}

TEST(FormLoader, AWindowThatIsGoneIsNoLongerOneOfTheApplications) {
    LoaderRig r;
    auto bad = small();
    bad.widgets[0].parent = "ghost";
    EXPECT_THROW(tk::Form(r.app, bad, r.bindings), tk::Error);
    EXPECT_EQ(r.app.mainWindow(), nullptr);
    EXPECT_TRUE(r.app.windows().empty());
    // The first window built whole is the main window; one that closes leaves the rest.
    tk::Form main(r.app, small(), r.bindings);
    {
        tk::Form second(r.app, small(), r.bindings);
        EXPECT_THROW(tk::Form(r.app, bad, r.bindings), tk::Error);
        EXPECT_EQ(r.app.windows(), (std::vector<tk::Window*>{&main, &second}));
    }
    EXPECT_EQ(r.app.mainWindow(), &main);
    EXPECT_EQ(r.app.windows(), (std::vector<tk::Window*>{&main}));
}

TEST(FormLoader, TheMainTreeLoadsWithEveryTimerInTableOrderAndTheRightOnesRunning) {
    tk::SimClock clock;
    tk::FixedTextMetrics metrics;
    tk::Application app(clock, metrics, "t");
    Game game(app, nullptr);
    const auto& timers = app.scheduler().timers();
    ASSERT_EQ(timers.size(), 40u);
    EXPECT_EQ(timers.front()->name(), "tr");
    EXPECT_EQ(timers[38]->name(), "str");
    EXPECT_EQ(timers.back()->name(), "i");
    std::vector<std::string> armed;
    for (tk::Timer* t : timers)
        if (t->armed()) armed.push_back(t->name());
    EXPECT_EQ(armed,
              (std::vector<std::string>{"s", "s1", "bTimer48", "Timer4", "bTimer46", "Timer6",
                                        "Timer2", "Timer5", "aTimer46", "aTimer48", "tr1", "i"}));
    EXPECT_TRUE(game.Form1.Timer1->enabled());  // enabled but silent
    EXPECT_EQ(game.Form1.form().widgets().size(), 52u);
    EXPECT_EQ(game.Form1.MainMenu1->find(116), game.Form1.form1);
    EXPECT_EQ(BarLeft | BarRight | Points | MissionSeconds | GameSeconds, 0);
}
