// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The real event loop's timing without the platform: the game's whole-millisecond
// time, rounds delivered late, inputs that let due ticks run first, and what a
// recording is told of it. Driven by a simulated "real" clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "toolkit/headless.h"
#include "toolkit/loop.h"
#include "toolkit/state.h"
#include "toolkit/window.h"

namespace {

constexpr tk::Nanos ms(double v) {
    return tk::Nanos(v * double(tk::kMillisecond));
}

struct Seen : tk::LoopObserver {
    std::vector<std::string> log;
    void roundBegins(tk::Nanos at, tk::Nanos due) override {
        log.push_back("round@" + std::to_string(at / tk::kMillisecond) + " due " +
                      std::to_string(due / tk::kMillisecond));
    }
    void inputArrives(tk::Nanos at, const tk::Input& in) override {
        log.push_back("input" + std::to_string(int(in.kind)) + "@" +
                      std::to_string(at / tk::kMillisecond) + (in.nested ? " nested" : ""));
    }
};

struct Rig {
    tk::SimClock real;
    tk::LoopClock clock{real};
    tk::FixedTextMetrics metrics;
    tk::Application app{clock, metrics, "t"};
    tk::Window window{"w", app};
    tk::RealLoop loop{app, clock};
    Seen seen;
    Rig() { loop.setObserver(&seen); }

    // Each tick changes the game, as a moving actor does, unless `quiet`.
    void logTicks(tk::Timer& t, std::uint32_t interval, bool quiet = false) {
        t.setInterval(interval);
        t.setOnTimer([this, quiet](tk::Object* o) {
            seen.log.push_back(o->name() + "@" + std::to_string(clock.now() / tk::kMillisecond));
            if (!quiet) tk::noteStateChange();
        });
    }
};

using Log = std::vector<std::string>;

}  // namespace

TEST(LoopTiming, TheGameSeesWholeMillisecondsThatStandStillBetweenEvents) {
    tk::SimClock real;
    tk::LoopClock clock(real);
    real.set(ms(12.9));
    EXPECT_EQ(clock.now(), 0);  // not moved yet
    EXPECT_EQ(clock.advance(), ms(12));
    real.set(ms(13.5));
    EXPECT_EQ(clock.now(), ms(12));
    EXPECT_EQ(clock.advance(), ms(13));
    real.set(ms(5));  // a real clock going back moves nothing
    EXPECT_EQ(clock.advance(), ms(13));
}

TEST(LoopTiming, AWakeUpWithinTheDueMillisecondIsOnTimeALaterOneIsOneLateRound) {
    Rig r;
    tk::Timer a(r.app.scheduler(), "a"), b(r.app.scheduler(), "b");
    r.logTicks(a, 10);
    r.logTicks(b, 25);
    r.real.set(ms(10.7));
    EXPECT_EQ(r.loop.wake(), 1);
    // 37.2 ms: a (due 20, 30) and b (due 25) come once each, in one round at 37 ms.
    r.real.set(ms(37.2));
    EXPECT_EQ(r.loop.wake(), 2);
    EXPECT_EQ(a.due(), ms(47));  // missed periods dropped: one period after 37
    EXPECT_EQ(b.due(), ms(50));
    r.real.set(ms(46.9));  // a wake-up before anything is due runs nothing
    EXPECT_EQ(r.loop.wake(), 0);
    EXPECT_EQ(r.seen.log, (Log{"round@10 due 10", "a@10", "round@37 due 20", "a@37", "b@37"}));
}

TEST(LoopTiming, AnInputLetsTheTicksDueByItsTimeRunFirstAndAHandlersInputIsNested) {
    Rig r;
    tk::Timer a(r.app.scheduler(), "a"), b(r.app.scheduler(), "b");
    r.logTicks(a, 10);
    b.setInterval(30);
    b.setOnTimer([&](tk::Object*) { r.app.setMouseCaptured(true); });
    // The wake-up for 10 ms has not come yet when a key arrives at 14.6 ms.
    r.real.set(ms(14.6));
    r.app.keyDown(r.window, 'D', 0);
    // Due exactly at the input's millisecond: on time, before the input.
    r.real.set(ms(20.4));
    r.app.keyDown(r.window, 'D', 0);
    r.real.set(ms(30.2));
    r.loop.wake();
    EXPECT_EQ(r.seen.log, (Log{"round@14 due 10", "a@14", "input0@14", "round@20 due 20", "a@20",
                               "input0@20", "round@30 due 30", "a@30", "input1@30 nested"}));
    EXPECT_TRUE(r.app.mouseCaptured());
}

TEST(LoopTiming, EveryInputIsShownBeforeItActsAndOnlyWhenItChangesSomething) {
    Rig r;
    tk::Window second("second", r.app);
    std::vector<std::string> order;
    struct Observer : tk::InputObserver {
        tk::Application& app;
        tk::Window& main;
        std::vector<std::string>& order;
        Observer(tk::Application& a, tk::Window& m, std::vector<std::string>& o)
            : app(a), main(m), order(o) {}
        void input(const tk::Input& in) override {
            // What the input is about to change still reads the old value.
            std::string s = std::to_string(int(in.kind));
            if (in.kind == tk::Input::Kind::MouseCapture)
                s += app.mouseCaptured() ? " was captured" : " was free";
            if (in.kind == tk::Input::Kind::Resize)
                s += " " + std::to_string(in.width) + "x" + std::to_string(in.height) + " from " +
                     std::to_string(in.window->width());
            if (in.kind == tk::Input::Kind::State) s += std::string(" ") + tk::stateName(in.state);
            if (in.kind == tk::Input::Kind::ReportClosed) s += " #" + std::to_string(in.reportId);
            if (in.kind == tk::Input::Kind::Key)
                s += std::string(" ") + char(in.virtualKey) + (in.window == &main ? "" : " second");
            order.push_back(s);
        }
    } observer(r.app, r.window, order);
    r.app.setInputObserver(&observer);

    r.app.keyDown(second, 'D', 0);
    r.app.setMouseCaptured(true);
    r.app.setMouseCaptured(true);  // no change, no input
    r.app.setMouseCaptured(false);
    r.window.userResized(300, 200);
    r.window.userStateChanged(tk::WindowState::Maximized);
    r.app.report("one");
    r.app.report("two");
    r.app.closeReport(2);
    r.app.closeReport(2);  // closed already
    r.app.dismissOldest();
    EXPECT_TRUE(r.app.userClose(second));  // it only hides: no input
    EXPECT_TRUE(r.app.userClose(r.window));
    EXPECT_EQ(order,
              (std::vector<std::string>{"0 D second", "1 was free", "1 was captured",
                                        "2 300x200 from 0", "3 maximized", "4 #2", "4 #1", "5"}));
}

TEST(LoopTiming, AReportClosedWhileATickIsOverdueClosesAfterTheTickReportedAgain) {
    Rig r;
    tk::Timer failing(r.app.scheduler(), "failing");
    failing.setInterval(10);
    // Enough reports from one tick that the report list must grow its storage; a walk
    // of the list that went on past the closed report would then read freed memory
    // (the sanitizer tree sees it).
    failing.setOnTimer([&](tk::Object*) {
        for (int i = 0; i < 300; ++i) r.app.report("again");
    });
    for (int i = 0; i < 12; ++i) r.app.report("old");
    r.real.set(ms(12));
    r.app.closeReport(12);  // the tick due at 10 ms runs first and reports
    ASSERT_EQ(r.app.reports().size(), 312u);
    EXPECT_FALSE(r.app.reports()[11].open);
    EXPECT_TRUE(r.app.reports()[12].open);
    EXPECT_EQ(r.app.reports()[12].text, "again.");
}

// A tick that changed nothing would change nothing again until something changes: the
// loop need not wake for it, yet the timer keeps its phase, and wakes on it.
TEST(LoopTiming, ATimerWhoseTickChangedNothingSleepsUntilSomethingChanges) {
    Rig r;
    tk::Timer q(r.app.scheduler(), "q");
    r.logTicks(q, 10, true);
    r.real.set(ms(10));
    EXPECT_EQ(r.loop.wake(), 1);
    EXPECT_TRUE(r.loop.sleepers().sleeping(q));
    EXPECT_EQ(r.loop.nextDue(), std::nullopt) << "nothing to wake up for";
    r.real.set(ms(40));
    EXPECT_EQ(r.loop.wake(), 0);
    // An input that changes nothing leaves it asleep; one that does wakes it on its
    // own phase, not late.
    r.real.set(ms(45.3));
    r.app.keyDown(r.window, 'D', 0);
    EXPECT_EQ(r.loop.nextDue(), std::nullopt);
    r.window.userResized(300, 200);
    EXPECT_FALSE(r.loop.sleepers().sleeping(q));
    EXPECT_EQ(r.loop.nextDue(), ms(50));
    r.real.set(ms(50.2));
    EXPECT_EQ(r.loop.wake(), 1);
    EXPECT_EQ(q.due(), ms(60));
    EXPECT_EQ(r.seen.log, (Log{"round@10 due 10", "q@10", "input0@45", "input2@45",
                               "round@50 due 50", "q@50"}));
    EXPECT_EQ(r.loop.sleepers().ticksSkipped(), 0u) << "nothing was due in a round";
}

TEST(LoopTiming, ASleepingTimerTicksInTheRoundWhereAnEarlierTickChangedSomething) {
    Rig r;
    tk::Timer a(r.app.scheduler(), "a"), q(r.app.scheduler(), "q");
    r.logTicks(a, 30);
    r.logTicks(q, 10, true);
    r.real.set(ms(10));
    r.loop.wake();  // q's first tick changes nothing
    // Only a sets the deadline; at 30 ms a (created first) changes the game, and q,
    // due at the same time, ticks after it.
    EXPECT_EQ(r.loop.nextDue(), ms(30));
    r.real.set(ms(30));
    EXPECT_EQ(r.loop.wake(), 2);
    r.real.set(ms(60));
    EXPECT_EQ(r.loop.wake(), 2);
    EXPECT_EQ(q.due(), ms(70));
    EXPECT_EQ(r.seen.log, (Log{"round@10 due 10", "q@10", "round@30 due 30", "a@30", "q@30",
                               "round@60 due 60", "a@60", "q@60"}));
}

TEST(LoopTiming, ALateRoundSkipsASleepingTickDueBeforeTheChangeAndRunsTheRestLate) {
    Rig r;
    tk::Timer q(r.app.scheduler(), "q"), a(r.app.scheduler(), "a"), s(r.app.scheduler(), "s");
    r.logTicks(q, 10, true);
    r.logTicks(a, 30);
    r.logTicks(s, 7, true);  // the shortest period: 10 ms
    r.real.set(ms(10));
    r.loop.wake();  // q and s tick to no effect
    // The wake-up for a comes at 37 ms. q's tick due at 30 ms comes before a's in
    // creation order and still changes nothing: skipped. s's tick due at 30 ms comes
    // after a's, which changed the game: it runs, one late tick as any timer's would.
    r.real.set(ms(37));
    EXPECT_EQ(r.loop.wake(), 2);
    EXPECT_EQ(q.due(), ms(40));
    EXPECT_EQ(s.due(), ms(40));
    EXPECT_EQ(r.loop.sleepers().ticksSkipped(), 1u);
    EXPECT_EQ(r.seen.log,
              (Log{"round@10 due 10", "q@10", "s@10", "round@37 due 30", "a@37", "s@37"}));
}

namespace {
// The platform timer of a wake driver, fired by hand.
struct HandDriver : tk::WakeDriver {
    using WakeDriver::WakeDriver;
    std::vector<tk::Nanos> armed;
    int disarmed = 0;
    void armAt(tk::Nanos due) override { armed.push_back(due); }
    void disarm() override { ++disarmed; }
    void failed(const std::exception&) override { ADD_FAILURE() << "arming failed"; }
    void fire() { woke(); }
};
}  // namespace

TEST(LoopTiming, AnInputThatWakesASleepingTimerHasTheDeadlineLookedAtOnceItActed) {
    Rig r;
    tk::Timer q(r.app.scheduler(), "q");
    r.logTicks(q, 10, true);
    HandDriver driver(r.loop);
    driver.start();
    r.real.set(ms(10));
    driver.fire();
    EXPECT_EQ(driver.deadline(), std::nullopt) << "asleep: no deadline";
    EXPECT_EQ(driver.disarmed, 1);
    // A resize wakes it; the platform then wakes the loop at once to arm q's deadline.
    r.real.set(ms(45));
    r.window.userResized(300, 200);
    ASSERT_EQ(driver.armed, (std::vector<tk::Nanos>{ms(10), ms(45)}));
    driver.fire();
    EXPECT_EQ(driver.armed.back(), ms(50));
    r.real.set(ms(50));
    driver.fire();
    EXPECT_EQ(r.seen.log, (Log{"round@10 due 10", "q@10", "input2@45", "round@50 due 50", "q@50"}));
}

TEST(LoopTiming, AFailureThatEscapesAWakeUpLeavesTheDriverArming) {
    Rig r;
    r.app.scheduler().setErrorSink({});  // the failure reaches the platform's loop
    tk::Timer f(r.app.scheduler(), "f");
    f.setInterval(30);
    f.setOnTimer([](tk::Object*) { throw std::runtime_error("handler failed"); });
    HandDriver driver(r.loop);
    driver.start();
    r.real.set(ms(30));
    EXPECT_THROW(driver.fire(), std::runtime_error);
    // The failing timer is due again: its wake-up is armed.
    EXPECT_EQ(driver.deadline(), ms(60));
    // A timer started later wakes the loop sooner, as after any round.
    f.setEnabled(false);
    tk::Timer t(r.app.scheduler(), "t");
    r.logTicks(t, 10);
    EXPECT_EQ(driver.deadline(), ms(40));
    r.real.set(ms(40));
    driver.fire();
    EXPECT_EQ(driver.deadline(), ms(50));
    EXPECT_EQ(r.seen.log.back(), "t@40");
}

namespace {

// One small game, on either loop: `q` counts its ticks once the window is 300 wide and
// changes nothing before; `a` changes the game on every tick.
struct TwinGame {
    tk::FixedTextMetrics metrics;
    tk::Application app;
    tk::Window window{"w", app};
    tk::Timer a{app.scheduler(), "a"}, q{app.scheduler(), "q"};
    tk::Tracked<int> counted = 0, aTicks = 0;
    Log log;  // the ticks that changed the game

    explicit TwinGame(tk::Clock& clock) : app(clock, metrics, "t") {
        a.setInterval(70);
        a.setOnTimer([this](tk::Object*) {
            aTicks = aTicks + 1;
            log.push_back("a@" + std::to_string(app.scheduler().now() / tk::kMillisecond));
        });
        q.setInterval(10);
        q.setOnTimer([this](tk::Object*) {
            if (window.width() != 300) return;
            counted = counted + 1;
            log.push_back("q@" + std::to_string(app.scheduler().now() / tk::kMillisecond) + " #" +
                          std::to_string(counted));
        });
    }
};

// The inputs of the real loop at the times a recording gives them.
struct InputTimes : tk::LoopObserver {
    std::vector<std::pair<tk::Nanos, tk::Input>> inputs;
    void roundBegins(tk::Nanos, tk::Nanos) override {}
    void inputArrives(tk::Nanos at, const tk::Input& in) override {
        if (!in.nested) inputs.emplace_back(at, in);
    }
};

// The game on the real loop, woken on time for every deadline, with `inputs` at their
// real times (ms); then replayed by the replay's rule: at an input's time every tick due
// at or before it first, then the input. Both must change the game alike.
void expectTheReplayAgrees(const std::vector<std::pair<double, int>>& resizes, double endMs) {
    tk::SimClock real;
    tk::LoopClock clock(real);
    TwinGame live(clock);
    tk::RealLoop loop(live.app, clock);
    InputTimes seen;
    loop.setObserver(&seen);
    auto wakeBefore = [&](tk::Nanos t) {
        for (auto due = loop.nextDue(); due && *due < t; due = loop.nextDue()) {
            real.set(std::max(*due, real.now()));
            loop.wake();
        }
    };
    for (const auto& [at, width] : resizes) {
        wakeBefore(ms(at));
        real.set(ms(at));
        live.window.userResized(width, 200);
    }
    wakeBefore(ms(endMs) + 1);
    real.set(ms(endMs));
    clock.advance();

    tk::SimClock sim;
    TwinGame replayed(sim);
    auto runUntil = [&](tk::Nanos end) {
        tk::Scheduler& s = replayed.app.scheduler();
        for (auto due = s.nextDue(); due && *due <= end; due = s.nextDue()) {
            sim.set(*due);
            s.runDue();
        }
        sim.set(std::max(end, sim.now()));
    };
    for (const auto& [at, in] : seen.inputs) {
        runUntil(at);
        replayed.window.userResized(in.width, in.height);
    }
    runUntil(ms(endMs));
    EXPECT_EQ(live.log, replayed.log);
    EXPECT_EQ(int(live.counted), int(replayed.counted));
    EXPECT_GT(loop.sleepers().ticksSkipped() + live.app.scheduler().ticksDelivered(), 0u);
}

}  // namespace

// A sleeping timer is woken by nothing but a change, so no wake-up comes for its due
// time: an input that lands exactly on it finds the tick not yet run. The replay runs
// that tick first, to no effect, and only the next one sees what the input changed.
TEST(LoopTiming, AnInputExactlyOnASleepingTimersDueTimeActsAfterItsTickAsInTheReplay) {
    const std::pair<const char*, std::vector<std::pair<double, int>>> cases[] = {
        {"on q's due time, no other tick due", {{50, 300}}},
        {"within q's due millisecond", {{50.6, 300}}},
        {"between q's ticks", {{54, 300}}},
        {"on q's and a's due time", {{70, 300}}},
        {"asleep again after a change that leaves it quiet, then woken on time",
         {{30, 250}, {90, 300}, {150, 250}, {160, 300}}},
    };
    for (const auto& [name, resizes] : cases) {
        SCOPED_TRACE(name);
        expectTheReplayAgrees(resizes, 250);
    }
}
