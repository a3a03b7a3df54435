// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The bookkeeping of sleeping timers beside a plain scheduler, on a simulated clock
// driven by hand. How the real loop and the replay agree with it is tested in
// loop_timing_test.cpp and quiet_ticks_test.cpp.
#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "toolkit/sleeping_timers.h"
#include "toolkit/state.h"

namespace {

constexpr tk::Nanos ms(std::int64_t v) {
    return v * tk::kMillisecond;
}

struct Rig {
    tk::SimClock clock;
    tk::Scheduler sched{clock};
    tk::SleepingTimers sleepers;
    explicit Rig(tk::QuietTicks mode) : sleepers(sched, mode) {}

    void runUntil(std::int64_t end) {
        for (auto d = sleepers.nextDue(); d && *d <= ms(end); d = sleepers.nextDue()) {
            clock.set(*d);
            sleepers.runDue();
        }
        clock.set(ms(end));
    }
};

// A timer whose ticks count nothing as a change yet alter `hidden` from its tick
// `from` on, which only the digest sees; the faults heard, by tick number.
std::vector<int> faultsOfUncountedChanges(int from, int ticks, bool counted = false) {
    Rig r(tk::QuietTicks::Check);
    int hidden = 0, tick = 0;
    std::vector<int> faults;
    r.sleepers.setCheck([&] { return std::to_string(hidden); },
                        [&](const tk::Timer&) { faults.push_back(tick); });
    tk::Timer t(r.sched, "t");
    t.setInterval(10);
    t.setOnTimer([&](tk::Object*) {
        if (++tick >= from) ++hidden;
        if (counted) tk::noteStateChange();
    });
    r.runUntil(10 * ticks);
    EXPECT_EQ(tick, ticks) << "checking runs every tick";
    return faults;
}

}  // namespace

TEST(SleepingTimers, CheckingCatchesATickWronglyBelievedQuiet) {
    // The first tick of a sleeping timer is checked: the second one here.
    EXPECT_EQ(faultsOfUncountedChanges(2, 5), std::vector<int>{2});
    // Then every kRecheckEvery-th: a change from the fifth tick on shows at the 34th.
    const int every = int(tk::SleepingTimers::kRecheckEvery);
    EXPECT_EQ(faultsOfUncountedChanges(5, 70), (std::vector<int>{2 + every, 2 + 2 * every}));
    // Ticks that count their change are never expected to change nothing.
    EXPECT_TRUE(faultsOfUncountedChanges(1, 40, true).empty());
}

TEST(SleepingTimers, ATickThatFailedOrChangedSomethingLeavesItsTimerAwake) {
    Rig r(tk::QuietTicks::Skip);
    r.sched.setErrorSink([](const std::exception&) {});
    bool fail = true;
    tk::Timer t(r.sched, "t");
    t.setInterval(10);
    t.setOnTimer([&](tk::Object*) {
        if (fail) throw std::runtime_error("tick failed");
    });
    r.runUntil(10);
    EXPECT_FALSE(r.sleepers.sleeping(t)) << "a failure is not a tick that changed nothing";
    EXPECT_EQ(r.sleepers.nextDue(), ms(20));
    fail = false;
    r.runUntil(20);
    EXPECT_TRUE(r.sleepers.sleeping(t));
    EXPECT_EQ(r.sleepers.nextDue(), std::nullopt);
    tk::noteStateChange();
    EXPECT_FALSE(r.sleepers.sleeping(t));
    EXPECT_EQ(r.sleepers.nextDue(), ms(30));
    EXPECT_EQ(r.sched.ticksDelivered(), 2u);
}

TEST(SleepingTimers, ATimerMadeWhereASleepingOneWasDestroyedIsAwake) {
    Rig r(tk::QuietTicks::Skip);
    std::optional<tk::Timer> t;
    t.emplace(r.sched, "old");
    t->setInterval(10);
    t->setOnTimer([](tk::Object*) {});
    r.runUntil(10);
    ASSERT_TRUE(r.sleepers.sleeping(*t));
    const tk::Timer* was = &*t;
    t.reset();
    t.emplace(r.sched, "new");  // nothing counted in between
    ASSERT_EQ(&*t, was);
    EXPECT_FALSE(r.sleepers.sleeping(*t));
}

TEST(SleepingTimers, RunningEveryTickLeavesTheSchedulerAlone) {
    Rig r(tk::QuietTicks::Run);
    int ticks = 0;
    tk::Timer t(r.sched, "t");
    t.setInterval(10);
    t.setOnTimer([&](tk::Object*) { ++ticks; });
    r.runUntil(100);
    EXPECT_EQ(ticks, 10);
    EXPECT_FALSE(r.sleepers.sleeping(t));
    EXPECT_EQ(r.sleepers.nextDue(), ms(110));
    EXPECT_EQ(r.sleepers.ticksSkipped(), 0u);
}
