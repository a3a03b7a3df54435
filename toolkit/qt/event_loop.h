// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "toolkit/loop.h"
#include "toolkit/timer.h"

class QSocketNotifier;
struct itimerspec;

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

// A deadline on the monotonic clock, to the nanosecond, watched by the Qt event loop:
// a timerfd and a socket notifier. Arming and disarming throw std::runtime_error when
// the platform refuses.
class MonotonicDeadline {
  public:
    explicit MonotonicDeadline(std::function<void()> fired);
    ~MonotonicDeadline();
    MonotonicDeadline(const MonotonicDeadline&) = delete;
    MonotonicDeadline& operator=(const MonotonicDeadline&) = delete;

    // Fires once at `at` (CLOCK_MONOTONIC, ns); a time already past fires at once.
    void armAt(Nanos at);
    void disarm();
    bool armed() const { return armed_; }

  private:
    void set(const itimerspec& value, int flags);

    int fd_ = -1;
    bool armed_ = false;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::function<void()> fired_;
};

// Wakes a real loop from the Qt event loop: one timerfd, armed for the deadline of the
// earliest due tick on the monotonic clock and watched by a socket notifier. Every
// wake-up delivers one round of due ticks (RealLoop::wake).
//
// Creating the timerfd and arming the first wake-up (start) throw std::runtime_error.
// Later, when the loop can no longer be woken, the timers would stand still for good:
// the failure handler is told, which by default writes the error to standard error
// and ends the event loop with status 1.
class RealTimerDriver : public WakeDriver {
  public:
    RealTimerDriver(RealLoop& loop, RealClock& clock);
    ~RealTimerDriver() override;

    void setFailureHandler(std::function<void(const std::string&)> fn) {
        onFailure_ = std::move(fn);
    }

  protected:
    void armAt(Nanos due) override;
    void disarm() override;
    void failed(const std::exception& e) override;

  private:
    RealClock& clock_;
    MonotonicDeadline deadline_;
    std::function<void(const std::string&)> onFailure_;
};

}  // namespace tk::qt
