// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The timer rules, on a simulated clock driven by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/error.h"
#include "toolkit/timer.h"

namespace {

struct Rig {
    tk::SimClock clock;
    tk::Scheduler sched{clock};
    std::vector<std::string> log;

    // Runs every round due up to t ms, logging "name@ms" for each tick.
    void runUntil(std::int64_t ms) {
        const tk::Nanos end = ms * tk::kMillisecond;
        for (auto d = sched.nextDue(); d && *d <= end; d = sched.nextDue()) {
            clock.set(*d);
            sched.runDue();
        }
        clock.set(end);
    }
    tk::Handler logger() {
        return [this](tk::Object* o) {
            log.push_back(o->name() + "@" + std::to_string(clock.now() / tk::kMillisecond));
        };
    }
    void make(tk::Timer& t, std::uint32_t interval, bool enabled = true) {
        t.setInterval(interval);
        t.setEnabled(enabled);
        t.setOnTimer(logger());
    }
};

using Log = std::vector<std::string>;

TEST(TimerRules, WritingTheHeldValueKeepsThePhase) {
    Rig r;
    tk::Timer a(r.sched, "a");
    r.make(a, 100);
    r.runUntil(50);
    a.setEnabled(true);
    a.setInterval(100);
    r.runUntil(250);
    EXPECT_EQ(r.log, (Log{"a@100", "a@200"}));
}

TEST(TimerRules, ARealChangeRestartsTheFullPeriod) {
    Rig r;
    tk::Timer a(r.sched, "a"), b(r.sched, "b");
    r.make(a, 100);
    r.make(b, 100);
    r.runUntil(50);
    a.setInterval(200);  // next tick 200 ms after the change
    b.setEnabled(false);
    b.setEnabled(true);  // off and on again restarts too
    r.runUntil(260);
    EXPECT_EQ(r.log, (Log{"b@150", "a@250", "b@250"}));
}

TEST(TimerRules, AFlagTimerNeverTicksButKeepsItsValue) {
    Rig r;
    tk::Timer flag(r.sched, "flag");
    flag.setInterval(10);
    EXPECT_TRUE(flag.enabled());
    flag.setEnabled(false);
    EXPECT_FALSE(flag.enabled());
    flag.setEnabled(true);
    r.runUntil(1000);
    EXPECT_TRUE(flag.enabled());
    EXPECT_FALSE(flag.armed());
    EXPECT_TRUE(r.log.empty());
}

TEST(TimerRules, DisablingStopsAtOnceEvenFromTheOwnHandlerOrEarlierInTheRound) {
    Rig r;
    tk::Timer first(r.sched, "first"), second(r.sched, "second");
    r.make(second, 100);
    first.setInterval(100);
    first.setOnTimer([&](tk::Object* o) {
        r.log.push_back(o->name());
        second.setEnabled(false);  // due in this same round, after us
        first.setEnabled(false);
    });
    r.runUntil(1000);
    EXPECT_EQ(r.log, (Log{"first"}));
}

TEST(TimerRules, ATimerStartedDuringARoundTicksOneFullPeriodLater) {
    Rig r;
    tk::Timer starter(r.sched, "starter"), late(r.sched, "late");
    r.make(late, 10, false);
    starter.setInterval(50);
    starter.setOnTimer([&](tk::Object*) {
        late.setEnabled(true);
        starter.setEnabled(false);
    });
    r.runUntil(70);
    EXPECT_EQ(r.log, (Log{"late@60", "late@70"}));
}

TEST(TimerRules, ShortIntervalsRunAtTheShortestPeriodAndZeroNeverTicks) {
    Rig r;
    tk::Timer one(r.sched, "one"), zero(r.sched, "zero");
    r.make(one, 1);
    r.make(zero, 0);
    r.runUntil(30);
    EXPECT_EQ(r.log, (Log{"one@10", "one@20", "one@30"}));
    EXPECT_FALSE(zero.armed());
    zero.setEnabled(false);
    zero.setInterval(10);  // stored while disabled, no tick
    r.runUntil(60);
    EXPECT_EQ(r.log.size(), 6u);
    zero.setEnabled(true);
    r.runUntil(70);
    EXPECT_EQ(r.log.back(), "zero@70");
}

TEST(TimerRules, ALateTimerDeliversOneTickAndDropsMissedPeriods) {
    Rig r;
    tk::Timer a(r.sched, "a");
    r.make(a, 10);
    r.clock.set(55 * tk::kMillisecond);  // the loop was busy for 45 ms
    EXPECT_EQ(r.sched.runDue(), 1);
    EXPECT_EQ(a.due(), 65 * tk::kMillisecond);  // one period after now
    r.clock.set(72 * tk::kMillisecond);
    EXPECT_EQ(r.sched.runDue(), 1);
    EXPECT_EQ(a.due(), 75 * tk::kMillisecond);  // one period after the tick it should have had
}

TEST(TimerRules, SkippingToALaterTimeKeepsThePhaseAndTheDeadline) {
    Rig r;
    tk::Timer a(r.sched, "a"), b(r.sched, "b"), off(r.sched, "off");
    r.make(a, 10);
    r.make(b, 25);
    r.make(off, 10, false);
    r.sched.skipTo(a, 35 * tk::kMillisecond);  // the earliest moves: 10 -> 40
    EXPECT_EQ(a.due(), 40 * tk::kMillisecond);
    EXPECT_EQ(r.sched.nextDue(), 25 * tk::kMillisecond);
    r.sched.skipTo(b, 25 * tk::kMillisecond);  // already there
    r.sched.skipTo(off, 35 * tk::kMillisecond);
    EXPECT_FALSE(off.armed());
    r.runUntil(50);
    EXPECT_EQ(r.log, (Log{"b@25", "a@40", "a@50", "b@50"}));
}

TEST(TimerRules, ATimerDestroyedDuringARoundCostsNoOtherTickOfIt) {
    Rig r;
    auto first = std::make_unique<tk::Timer>(r.sched, "first");
    tk::Timer second(r.sched, "second"), third(r.sched, "third");
    r.make(*first, 10);
    r.make(third, 10);
    second.setInterval(10);
    // Due in the same round: the one already run goes, the later ones still tick.
    second.setOnTimer([&](tk::Object* o) {
        r.log.push_back(o->name());
        first.reset();
    });
    r.clock.set(10 * tk::kMillisecond);
    EXPECT_EQ(r.sched.runDue(), 3);  // one round
    EXPECT_EQ(r.log, (Log{"first@10", "second", "third@10"}));
    EXPECT_EQ(third.due(), 20 * tk::kMillisecond);
}

TEST(TimerRules, TicksDueTogetherGoInCreationOrder) {
    Rig r;
    tk::Timer c(r.sched, "c"), a(r.sched, "a"), b(r.sched, "b");
    r.make(b, 20);
    r.make(a, 20);
    r.make(c, 20);
    r.runUntil(20);
    EXPECT_EQ(r.log, (Log{"c@20", "a@20", "b@20"}));
}

TEST(TimerRules, ARefusedPlatformTimerFailsTheChangeButKeepsTheValues) {
    Rig r;
    std::vector<std::string> errors;
    r.sched.setErrorSink([&](const std::exception& e) { errors.push_back(e.what()); });
    tk::Timer a(r.sched, "a"), b(r.sched, "b");
    r.make(a, 10);
    b.setOnTimer(r.logger());
    b.setEnabled(false);
    r.sched.setCapacity(1);
    try {
        b.setEnabled(true);
        FAIL() << "no error";
    } catch (const tk::Error& e) {
        EXPECT_STREQ(e.what(), tk::kNoTimerText);
    }
    EXPECT_TRUE(errors.empty());  // outside a handler the caller gets it, not the sink
    EXPECT_TRUE(b.enabled());
    EXPECT_FALSE(b.armed());

    // From a handler: the handler ends at the change and the failure is reported.
    b.setEnabled(false);
    a.setOnTimer([&](tk::Object*) {
        b.setEnabled(true);
        r.log.push_back("after the change");
    });
    r.runUntil(10);
    EXPECT_EQ(errors, (std::vector<std::string>{tk::kNoTimerText}));
    EXPECT_TRUE(r.log.empty());
    EXPECT_TRUE(b.enabled());
    EXPECT_FALSE(b.armed());
    EXPECT_TRUE(a.armed());  // the failing handler's own timer ticks on
    // b holds the value now: writing it again changes nothing, so nothing fails.
    r.runUntil(20);
    EXPECT_EQ(errors.size(), 1u);
    EXPECT_EQ(r.log, (Log{"after the change"}));

    r.sched.setCapacity(0);
    b.setInterval(20);  // a later real change tries again
    EXPECT_TRUE(b.armed());
}

}  // namespace

namespace {
TEST(TimerRules, AHandlerMayReplaceItselfWhileItRuns) {
    Rig r;
    tk::Timer a(r.sched, "a");
    a.setInterval(10);
    std::string big(64, 'x');  // a capture too big for in-place storage
    a.setOnTimer([&r, &a, big](tk::Object*) {
        a.setOnTimer(r.logger());
        r.log.push_back(big.substr(0, 3));  // the old closure is still intact here
    });
    r.runUntil(20);
    EXPECT_EQ(r.log, (Log{"xxx", "a@20"}));
}

// What the twice-replacing handler below sees: kept outside it, since a destroyed
// closure must not be read to find out that it was destroyed.
std::weak_ptr<int> runningCapture;
std::vector<std::string> replacedTwiceLog;

TEST(TimerRules, AHandlerMayReplaceItselfTwiceWhileItRuns) {
    Rig r;
    tk::Timer a(r.sched, "a");
    a.setInterval(10);
    auto token = std::make_shared<int>(0);
    runningCapture = token;
    replacedTwiceLog.clear();
    a.setOnTimer([&a, token = std::move(token)](tk::Object*) {
        a.setOnTimer([](tk::Object*) { replacedTwiceLog.push_back("first"); });
        a.setOnTimer([](tk::Object*) { replacedTwiceLog.push_back("second"); });
        replacedTwiceLog.push_back(runningCapture.expired() ? "destroyed" : "alive");
    });
    r.runUntil(20);
    EXPECT_EQ(replacedTwiceLog, (Log{"alive", "second"}));
    EXPECT_TRUE(runningCapture.expired());  // let go once it returned
}
}  // namespace

namespace {
TEST(TimerRules, AFailureInAHandlerIsReportedAndTheTimerTicksOnAtItsPeriod) {
    Rig r;
    std::vector<std::string> errors;
    r.sched.setErrorSink([&](const std::exception& e) { errors.push_back(e.what()); });
    tk::Timer a(r.sched, "a"), b(r.sched, "b");
    r.make(b, 10);
    a.setInterval(30);
    a.setOnTimer([&](tk::Object*) {
        r.log.push_back("a");
        throw tk::Error("device failed");
    });
    r.runUntil(60);
    EXPECT_EQ(errors, (std::vector<std::string>{"device failed", "device failed"}));
    EXPECT_EQ(std::count(r.log.begin(), r.log.end(), "a"), 2);
    EXPECT_EQ(std::count_if(r.log.begin(), r.log.end(), [](auto& s) { return s[0] == 'b'; }), 6);
    EXPECT_TRUE(a.enabled());
    EXPECT_EQ(a.interval(), 30u);
}
}  // namespace

namespace {
// What the handlers below see, kept outside them: a destroyed closure must not be read
// to find out that it was destroyed.
std::weak_ptr<int> failedCapture;
std::unique_ptr<tk::Timer> selfDestroying;
std::vector<std::string> selfDestroyingLog;

TEST(TimerRules, AFailureThatEscapesTheRoundLeavesNoHandlerMarkedRunning) {
    Rig r;  // no error sink: the failure propagates
    static tk::Timer* a;
    tk::Timer timer(r.sched, "a");
    a = &timer;
    a->setInterval(10);
    auto token = std::make_shared<int>(0);
    failedCapture = token;
    a->setOnTimer([token = std::move(token)](tk::Object*) { throw tk::Error("device failed"); });
    r.clock.set(10 * tk::kMillisecond);
    EXPECT_THROW(r.sched.runDue(), tk::Error);
    // Replaced between rounds, the old handler is let go at once: nothing is running.
    a->setOnTimer([](tk::Object*) {});
    EXPECT_TRUE(failedCapture.expired());
    // A handler that replaces itself in a later round is still kept alive while it runs.
    token = std::make_shared<int>(1);
    failedCapture = token;
    selfDestroyingLog.clear();
    a->setOnTimer([token = std::move(token)](tk::Object*) {
        a->setOnTimer([](tk::Object*) { selfDestroyingLog.push_back("replaced"); });
        selfDestroyingLog.push_back(failedCapture.expired() ? "destroyed" : "alive");
    });
    r.runUntil(30);
    EXPECT_EQ(selfDestroyingLog, (Log{"alive", "replaced"}));
}

TEST(TimerRules, ATimerDestroyedByItsOwnHandlerFinishesTheCall) {
    Rig r;
    selfDestroying = std::make_unique<tk::Timer>(r.sched, "a");
    tk::Timer b(r.sched, "b");
    r.make(b, 10);
    selfDestroying->setInterval(10);
    auto token = std::make_shared<int>(0);
    failedCapture = token;
    selfDestroyingLog.clear();
    selfDestroying->setOnTimer([token = std::move(token)](tk::Object*) {
        selfDestroying.reset();
        selfDestroyingLog.push_back(failedCapture.expired() ? "destroyed" : "alive");
    });
    r.runUntil(20);
    EXPECT_EQ(selfDestroyingLog, (Log{"alive"}));
    EXPECT_TRUE(failedCapture.expired());     // let go once it returned
    EXPECT_EQ(r.log, (Log{"b@10", "b@20"}));  // the rest of the round and the next ran
    // The same when the failure escapes the round.
    selfDestroying = std::make_unique<tk::Timer>(r.sched, "c");
    selfDestroying->setInterval(10);
    token = std::make_shared<int>(1);
    failedCapture = token;
    selfDestroying->setOnTimer([token = std::move(token)](tk::Object*) {
        selfDestroying.reset();
        selfDestroyingLog.push_back(failedCapture.expired() ? "destroyed" : "alive");
        throw tk::Error("gone");
    });
    r.clock.set(30 * tk::kMillisecond);
    EXPECT_THROW(r.sched.runDue(), tk::Error);
    EXPECT_EQ(selfDestroyingLog, (Log{"alive", "alive"}));
    EXPECT_TRUE(failedCapture.expired());
}
}  // namespace
