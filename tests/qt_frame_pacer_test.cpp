// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Frames paced to the display, on timers and a clock the test moves.
#include "toolkit/qt/frame_pacer.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

using tk::Nanos;
using tk::qt::FramePacer;

namespace {

constexpr Nanos kMs = 1'000'000;

struct FakeTimers : tk::qt::FrameTimers {
    Nanos clock = 1000 * kMs;
    bool precise = true;  // a nanosecond timer can be had
    std::optional<Nanos> due;
    int arms = 0;
    Nanos now() const override { return clock; }
    bool armAt(Nanos at) override {
        if (!precise) return false;
        due = at;
        ++arms;
        return true;
    }
    void armInMs(int ms) override {
        due = clock + ms * kMs;
        ++arms;
    }
    bool armed() const override { return due.has_value(); }
    // Time runs on to `t`; an armed timer due by then fires at its time.
    void runTo(Nanos t) {
        while (due && *due <= t) {
            clock = std::max(clock, *due);
            due.reset();
            fire();
        }
        clock = std::max(clock, t);
    }
};

struct FramePacing : ::testing::Test {
    FakeTimers* timers = new FakeTimers;
    bool changed = false;
    std::vector<Nanos> painted;
    double refresh = 60;
    FramePacer pacer{[this] {
                         if (!changed) return;  // nothing to paint
                         changed = false;
                         pacer.painting(refresh);
                         painted.push_back(timers->clock);
                     },
                     std::unique_ptr<tk::qt::FrameTimers>(timers)};
    void change() {
        changed = true;
        pacer.request();
    }
};

}  // namespace

TEST_F(FramePacing, TheFirstChangeIsPaintedAtOnce) {
    change();
    timers->runTo(timers->clock);
    EXPECT_EQ(painted, std::vector<Nanos>{1000 * kMs});
}

TEST_F(FramePacing, ChangesComingFasterThanTheDisplayGetOnePaintPerRefresh) {
    // A change every 3 ms for a second, as a busy mission makes them.
    const Nanos start = timers->clock;
    for (Nanos t = start; t < start + 1000 * kMs; t += 3 * kMs) {
        timers->runTo(t);
        change();
    }
    ASSERT_GT(painted.size(), 50u);
    EXPECT_LE(painted.size(), 61u);
    for (std::size_t i = 1; i < painted.size(); ++i)
        ASSERT_GE(painted[i] - painted[i - 1], FramePacer::kFrameNs)
            << "two paints within one frame at " << i;
    // Asked again and again, the next frame is armed once.
    const int arms = timers->arms;
    pacer.request();
    pacer.request();
    EXPECT_EQ(timers->arms, arms);
}

TEST_F(FramePacing, AChangeLongAfterTheLastFrameIsPaintedAtOnce) {
    change();
    timers->runTo(timers->clock);
    timers->runTo(timers->clock + 500 * kMs);
    change();
    const Nanos asked = timers->clock;
    timers->runTo(asked);
    ASSERT_EQ(painted.size(), 2u);
    EXPECT_EQ(painted[1], asked);
}

TEST_F(FramePacing, ASlowerScreenSpacesFramesByItsOwnRefreshAFasterOneNotCloser) {
    refresh = 30;
    change();
    timers->runTo(timers->clock);
    EXPECT_EQ(pacer.period(), Nanos(1e9 / 30));
    change();
    timers->runTo(timers->clock + 100 * kMs);
    ASSERT_EQ(painted.size(), 2u);
    EXPECT_EQ(painted[1] - painted[0], Nanos(1e9 / 30));
    refresh = 144;
    change();
    timers->runTo(timers->clock + 100 * kMs);
    EXPECT_EQ(pacer.period(), FramePacer::kFrameNs);
    refresh = 0;  // not known: the last one holds
    change();
    timers->runTo(timers->clock + 100 * kMs);
    EXPECT_EQ(pacer.period(), FramePacer::kFrameNs);
}

TEST_F(FramePacing, OnTheMillisecondTimerAFrameIsNeverEarly) {
    timers->precise = false;
    change();
    timers->runTo(timers->clock);
    ASSERT_EQ(painted.size(), 1u);
    timers->runTo(painted[0] + kMs / 2);
    change();
    // 16.17 ms to go: 17 ms on a millisecond timer.
    EXPECT_EQ(*timers->due, painted[0] + kMs / 2 + 17 * kMs);
    timers->runTo(timers->clock + 100 * kMs);
    ASSERT_EQ(painted.size(), 2u);
    EXPECT_GE(painted[1] - painted[0], FramePacer::kFrameNs);
}

TEST_F(FramePacing, AFrameWithNothingToPaintLeavesThePaceAsItWas) {
    change();
    timers->runTo(timers->clock);
    const Nanos first = pacer.lastFrame();
    pacer.request();  // asked, but what changed does not show
    timers->runTo(first + 20 * kMs);
    EXPECT_EQ(pacer.lastFrame(), first);
    change();
    timers->runTo(timers->clock);
    ASSERT_EQ(painted.size(), 2u);
    EXPECT_EQ(painted[1], first + 20 * kMs) << "held back by a frame that painted nothing";
}
