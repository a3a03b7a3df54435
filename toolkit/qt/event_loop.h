// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <memory>
#include <optional>

#include "toolkit/timer.h"

class QSocketNotifier;

namespace tk::qt {

// The monotonic clock of the real event loop. It reads 0 until start(), which makes
// time 0 the start of the event loop; timers armed at load count from there.
class RealClock : public Clock {
  public:
    Nanos now() const override;
    void start();
    bool started() const { return started_; }
    // The monotonic reading (CLOCK_MONOTONIC) of a time on this clock.
    Nanos toMonotonic(Nanos t) const { return origin_ + t; }
    static Nanos monotonicNow();

  private:
    bool started_ = false;
    Nanos origin_ = 0;
};

// Serves a scheduler from the Qt event loop: one timerfd, armed for the exact
// deadline of the earliest due tick and watched by a socket notifier, so ticks are
// not rounded to whole milliseconds. Every wake-up delivers one round of due ticks.
class RealTimerDriver {
  public:
    RealTimerDriver(Scheduler& scheduler, RealClock& clock);
    ~RealTimerDriver();
    RealTimerDriver(const RealTimerDriver&) = delete;
    RealTimerDriver& operator=(const RealTimerDriver&) = delete;

    // Arms the first wake-up; the clock must have started.
    void start();
    // Arms the wake-up for the earliest due tick, or disarms it when none is due.
    void rearm();

    std::optional<Nanos> deadline() const { return deadline_; }
    std::uint64_t wakeups() const { return wakeups_; }

  private:
    void arm(Nanos due);
    void wake();

    Scheduler& scheduler_;
    RealClock& clock_;
    int fd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::optional<Nanos> deadline_;
    bool started_ = false;
    bool inRound_ = false;
    std::uint64_t wakeups_ = 0;
};

}  // namespace tk::qt
