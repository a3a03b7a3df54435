// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// When the audio sink's reads come back empty so that its thread can sleep between the
// sound server's requests, and when they must not.

#include <gtest/gtest.h>

#include "toolkit/qt/refill_pacer.h"

namespace {

using tk::RefillPacer;
using namespace std::chrono_literals;
using Clock = RefillPacer::Clock;

constexpr std::int64_t kRead = 3528;  // one tick's worth of 16-bit stereo at 44.1 kHz

// One wake-up of the sink as Qt's sink runs it: reads while a read's worth is free,
// queueing the next while two are, until a read comes back empty.
struct WakeUp {
    std::int64_t delivered = 0;
    std::optional<Clock::duration> rest;  // set when a read came back empty
};

WakeUp wake(RefillPacer& pacer, Clock::time_point now, std::int64_t free) {
    WakeUp w;
    while (free >= kRead) {
        if (auto r = pacer.hold(now, free, kRead)) {
            w.rest = r;
            break;
        }
        pacer.delivered(now, free, kRead, kRead);
        w.delivered += kRead;
        const bool more = free >= 2 * kRead;
        free -= kRead;
        if (!more) break;
    }
    return w;
}

class Pacer : public ::testing::Test {
  protected:
    RefillPacer pacer;
    Clock::time_point t0 = Clock::time_point{} + 100s;
    // The server's steady request: 9 reads' worth, every 180 ms.
    static constexpr std::int64_t kRequest = 9 * kRead;
    static constexpr auto kGap = 180ms;

    // The first fill and one steady request: pacing from then on.
    void settle() {
        wake(pacer, t0, 11 * kRead);
        wake(pacer, t0 + kGap, kRequest);
    }
};

TEST_F(Pacer, FillsToTheBrimUntilTheServerAsksSteadily) {
    // The server plays only once it has buffered: the first fill holds nothing back.
    const auto first = wake(pacer, t0, 11 * kRead);
    EXPECT_EQ(first.delivered, 11 * kRead);
    EXPECT_FALSE(first.rest);
    EXPECT_FALSE(pacer.pacing());

    // Its next request shows its pace: the last read's worth is held back, and the sink
    // rests until a tick and a margin before the next request is due.
    const auto second = wake(pacer, t0 + kGap, kRequest);
    EXPECT_EQ(second.delivered, kRequest - kRead);
    ASSERT_TRUE(second.rest);
    EXPECT_EQ(*second.rest, kGap + RefillPacer::kLag - RefillPacer::kTick);
    EXPECT_TRUE(pacer.pacing());
    EXPECT_EQ(pacer.refills(), 2);
}

TEST_F(Pacer, TicksBeforeTheRequestRestAgainAndTheRequestIsMetWhole) {
    settle();
    // A tick that finds only the held-back read rests until the due time, then polls.
    const auto early = wake(pacer, t0 + kGap + 130ms, kRead);
    EXPECT_EQ(early.delivered, 0);
    ASSERT_TRUE(early.rest);
    EXPECT_EQ(*early.rest, kGap + RefillPacer::kLag - RefillPacer::kTick - 130ms);
    const auto late = wake(pacer, t0 + kGap + 175ms, kRead);
    ASSERT_TRUE(late.rest);
    EXPECT_EQ(*late.rest, 0ms);
    // The request (plus the held-back read) is met in one wake-up, less one read again.
    const auto met = wake(pacer, t0 + 2 * kGap, kRequest + kRead);
    EXPECT_EQ(met.delivered, kRequest);
    EXPECT_TRUE(met.rest);
}

TEST_F(Pacer, UsesTheShortestRecentGap) {
    settle();
    // A request that came late must not make the sink wake later than the usual pace.
    wake(pacer, t0 + kGap + 300ms, kRequest + kRead);
    const auto now = t0 + kGap + 300ms;
    const auto w = wake(pacer, now + 1ms, kRead);
    ASSERT_TRUE(w.rest);
    EXPECT_EQ(*w.rest, kGap + RefillPacer::kLag - RefillPacer::kTick - 1ms);
}

TEST_F(Pacer, SmallRequestsAreNotPaced) {
    wake(pacer, t0, 11 * kRead);
    // A server that asks for three reads at a time: resting would gain nothing.
    for (int n = 1; n <= 5; ++n) {
        const auto w = wake(pacer, t0 + n * 60ms, 3 * kRead);
        EXPECT_EQ(w.delivered, 3 * kRead) << "request " << n;
        EXPECT_FALSE(w.rest) << "request " << n;
    }
    EXPECT_FALSE(pacer.pacing());
}

TEST_F(Pacer, AnOverdueRequestFillsToTheBrim) {
    settle();
    // The server stopped asking (it ran dry and buffers again, or was suspended): the
    // held-back read goes out rather than resting for ever.
    const auto w = wake(pacer, t0 + kGap + 2 * kGap + RefillPacer::kTick + 1ms, kRead);
    EXPECT_EQ(w.delivered, kRead);
    EXPECT_FALSE(w.rest);
    EXPECT_FALSE(pacer.pacing());
}

TEST_F(Pacer, RunningDryStartsOverWithAFullFill) {
    settle();
    // The queue was empty at a read: the device will run dry and the server buffer again.
    pacer.delivered(t0 + 2 * kGap, 11 * kRead, kRead, 0);
    EXPECT_FALSE(pacer.pacing());
    const auto refill = wake(pacer, t0 + 2 * kGap + 5ms, 11 * kRead);
    EXPECT_EQ(refill.delivered, 11 * kRead);
    EXPECT_FALSE(refill.rest);
}

TEST_F(Pacer, ResetForgetsTheServersPace) {
    settle();
    pacer.reset();
    EXPECT_FALSE(pacer.pacing());
    EXPECT_EQ(pacer.refills(), 0);
    const auto w = wake(pacer, t0 + 10s, 11 * kRead);
    EXPECT_EQ(w.delivered, 11 * kRead);
    EXPECT_FALSE(w.rest);
}

}  // namespace
