// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/object.h"
#include "toolkit/state.h"

namespace tk {

using Nanos = std::int64_t;
inline constexpr Nanos kMillisecond = 1'000'000;
// The facility's shortest period: shorter intervals run at this one.
inline constexpr std::uint32_t kShortestPeriodMs = 10;

class Scheduler;

// The source of "now" for one event loop: the real monotonic clock, or a simulated one.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual Nanos now() const = 0;
};

// A clock that stands still until told to move; handlers take no time on it.
class SimClock : public Clock {
  public:
    Nanos now() const override { return now_; }
    void set(Nanos t) { now_ = t; }

  private:
    Nanos now_ = 0;
};

// A named periodic timer. Writing a value it already holds changes nothing; any real
// change restarts its period. Without a handler it never ticks but keeps its flag.
class Timer : public Object {
  public:
    Timer(Scheduler& scheduler, std::string name);
    ~Timer() override;

    bool enabled() const { return enabled_; }
    std::uint32_t interval() const { return interval_; }
    bool hasHandler() const { return static_cast<bool>(handler_); }

    void setEnabled(bool value);
    void setInterval(std::uint32_t ms);
    void setOnTimer(Handler handler);

    // Scheduling state, for the scheduler, a loop and tests.
    bool armed() const { return armed_; }
    Nanos due() const { return due_; }
    // The time between its ticks: the interval, or the shortest period when shorter.
    Nanos period() const {
        return Nanos(interval_ < kShortestPeriodMs ? kShortestPeriodMs : interval_) * kMillisecond;
    }

  private:
    friend class Scheduler;
    void restart();

    Scheduler& scheduler_;
    std::size_t order_ = 0;  // creation order: ties between due ticks go by it
    bool enabled_ = true;
    std::uint32_t interval_ = 1000;
    Handler handler_;
    Handler retired_;  // the running handler, once something replaced it
    bool armed_ = false;
    Nanos due_ = 0;
};

// Lets a loop leave out ticks it knows would change nothing (tk::SleepingTimers).
// Without one, every due tick runs.
class TickFilter {
  public:
    virtual ~TickFilter() = default;
    // A tick is due and about to run: true leaves it out; its next one is due as if it
    // had run.
    virtual bool skip(const Timer& t) = 0;
    // Its handler returned, or failed into the error sink. Not called when the handler
    // destroyed its timer.
    virtual void ran(const Timer& t, bool failed) = 0;
    // The timer is being destroyed.
    virtual void forget(const Timer& t) = 0;
};

// The timer queue of one event loop. It knows every timer in creation order, which
// ones are armed, and delivers due ticks one at a time.
class Scheduler {
  public:
    explicit Scheduler(Clock& clock) : clock_(clock) {}
    Scheduler(const Scheduler&) = delete;
    Scheduler& operator=(const Scheduler&) = delete;

    Clock& clock() const { return clock_; }
    Nanos now() const { return clock_.now(); }

    // Delivers every tick due at or before now, earliest first, ties in creation
    // order. A tick whose timer was stopped or restarted by an earlier handler of the
    // same round does not run. Returns how many handlers ran.
    int runDue();

    // The earliest armed due time, if any timer is armed. Kept as timers are armed and
    // as rounds run, so asking costs nothing.
    std::optional<Nanos> nextDue() const {
        if (armed_.empty()) return std::nullopt;
        // Within a round the rest of it is still to come: look at every timer then.
        if (delivering_) return scanEarliest();
        if (!earliestKnown_) {
            earliest_ = scanEarliest();
            earliestKnown_ = true;
        }
        return earliest_;
    }
    // Whether runDue is delivering a round right now.
    bool delivering() const { return delivering_; }

    // Asked about every due tick, when set; null for none.
    void setTickFilter(TickFilter* filter) { filter_ = filter; }
    // Moves an armed timer's next tick on by whole periods, to the first one at or after
    // `until`, as if the ticks between had run: it keeps its phase.
    void skipTo(Timer& t, Nanos until);

    // A failure escaping a handler goes here (a report, not a crash); the timer keeps
    // its settings and ticks again. Without a sink the failure propagates.
    using ErrorSink = std::function<void(const std::exception&)>;
    void setErrorSink(ErrorSink sink) { errorSink_ = std::move(sink); }

    // Called whenever a timer is armed earlier than any wake-up asked for so far, so a
    // real event loop can wake sooner.
    void setWakeListener(std::function<void(Nanos)> listener) { wake_ = std::move(listener); }

    // Sees every tick just before its handler runs: the time it was due and the time it
    // is delivered. For measuring the real event loop; empty by default.
    using TickObserver = std::function<void(const Timer&, Nanos due, Nanos now)>;
    void setTickObserver(TickObserver observer) { tickObserver_ = std::move(observer); }

    // Fault injection: how many platform timers may run at once (0 = unlimited). A
    // start beyond it fails with the platform's message.
    void setCapacity(std::size_t n) { capacity_ = n; }

    const std::vector<Timer*>& timers() const { return all_; }
    std::size_t armedCount() const { return armed_.size(); }
    std::uint64_t ticksDelivered() const { return delivered_; }

  private:
    friend class Timer;
    void add(Timer& t);
    void remove(Timer& t);
    void arm(Timer& t, Nanos due);
    void disarm(Timer& t);
    Nanos scanEarliest() const;  // of a non-empty armed set
    // Delivers the round in round_, due by `now`.
    int deliver(Nanos now);

    Clock& clock_;
    std::vector<Timer*> all_;
    std::vector<Timer*> armed_;  // kept in creation order
    std::vector<Timer*> round_;  // scratch for runDue
    // The earliest due time of the armed timers, while earliestKnown_.
    mutable Nanos earliest_ = 0;
    mutable bool earliestKnown_ = true;
    ErrorSink errorSink_;
    std::function<void(Nanos)> wake_;
    TickObserver tickObserver_;
    TickFilter* filter_ = nullptr;
    Timer* running_ = nullptr;  // the timer whose handler runs now
    Handler orphaned_;          // the running handler of a timer that it destroyed
    bool delivering_ = false;
    std::size_t capacity_ = 0;
    std::uint64_t delivered_ = 0;
};

// The platform's refusal of a new timer.
inline constexpr const char* kNoTimerText = "Nicht genügend Timer verfügbar";

}  // namespace tk
