// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The game's side of a real event loop, without the platform: when rounds of ticks run
// and what time the game sees, so that what happens in a real window can be replayed
// to the same state on the simulated clock.

#include <cstdint>
#include <exception>
#include <functional>
#include <optional>

#include "toolkit/application.h"
#include "toolkit/sleeping_timers.h"
#include "toolkit/timer.h"

namespace tk {

// The time the game sees in a real event loop: the real clock cut to whole
// milliseconds, read when a round of ticks or an input begins, and standing still
// until the next one. Handlers so take no time, as on the simulated clock, and every
// due time is a whole millisecond.
class LoopClock : public Clock {
  public:
    explicit LoopClock(const Clock& real) : real_(real) {}
    Nanos now() const override { return now_; }
    // Moves to the real time; never backwards.
    Nanos advance();

  private:
    const Clock& real_;
    Nanos now_ = 0;
};

// Sees what a real event loop does that the simulated clock would not do on its own.
class LoopObserver {
  public:
    virtual ~LoopObserver() = default;
    // A round of ticks begins at `at`; its earliest tick was due at `due` (not after
    // `at`). The simulated clock delivers every round at its due time.
    virtual void roundBegins(Nanos at, Nanos due) = 0;
    // An input acts at `at`, after every tick due by then.
    virtual void inputArrives(Nanos at, const Input& in) = 0;
};

// Runs the rounds of a real event loop and keeps the order a replay keeps: a wake-up
// delivers, in one round, every tick due by the time it comes; an input first lets
// every tick due by its time run, as the replay runs the ticks due at or before a
// command's time before the command. A change of mouse capture moves no time.
//
// A timer whose tick changed nothing sleeps until something changes (SleepingTimers):
// its ticks would change nothing either, and the loop need not wake for them.
class RealLoop : public InputObserver {
  public:
    // Observes the application's inputs for as long as it lives.
    RealLoop(Application& app, LoopClock& clock);
    ~RealLoop() override;
    RealLoop(const RealLoop&) = delete;
    RealLoop& operator=(const RealLoop&) = delete;

    Scheduler& scheduler() const { return app_.scheduler(); }
    // The earliest due tick to wake up for: sleeping timers set none.
    std::optional<Nanos> nextDue() const { return sleepers_.nextDue(); }
    const SleepingTimers& sleepers() const { return sleepers_; }
    // A wake-up of the platform timer. Returns how many ticks ran.
    int wake();
    void input(const Input& in) override;
    void setObserver(LoopObserver* observer) { observer_ = observer; }
    // Called as an input arrives, before it acts: what it changes may wake sleeping
    // timers, whose deadline is then to be looked at once it has acted.
    void setInputHook(std::function<void()> hook) { inputHook_ = std::move(hook); }

  private:
    int round(Nanos at);

    Application& app_;
    LoopClock& clock_;
    LoopObserver* observer_ = nullptr;
    std::function<void()> inputHook_;
    SleepingTimers sleepers_;
};

// Wakes a real loop from a platform's event loop with one platform timer, armed for the
// deadline of the earliest due tick: every wake-up delivers one round (RealLoop::wake)
// and arms the next; a timer armed earlier than the deadline held wakes it sooner, and
// after an input the deadline follows what the handlers armed (rearm). The platform
// supplies the timer.
class WakeDriver {
  public:
    explicit WakeDriver(RealLoop& loop);
    virtual ~WakeDriver();
    WakeDriver(const WakeDriver&) = delete;
    WakeDriver& operator=(const WakeDriver&) = delete;

    // Arms the first wake-up; a platform timer that cannot be armed throws.
    void start();
    // Arms the wake-up for the earliest due tick, or cancels it when none is due.
    void rearm();
    // No wake-up any more: the program has ended.
    void stop();

    std::optional<Nanos> deadline() const { return deadline_; }
    std::uint64_t wakeups() const { return wakeups_; }

  protected:
    // The platform timer: fire at `due` on the loop's clock, or not at all. Either may
    // throw when the platform refuses.
    virtual void armAt(Nanos due) = 0;
    virtual void disarm() = 0;
    // After start, arming failed: no wake-up is armed any more and every timer would
    // stand still.
    virtual void failed(const std::exception& e) = 0;
    // The platform timer fired.
    void woke();

  private:
    void arm(Nanos due);
    // Runs `fn`, which arms or disarms the platform timer; a refusal stops the driver
    // and goes to failed().
    template <class Fn>
    void guarded(Fn fn);

    RealLoop& loop_;
    std::optional<Nanos> deadline_;
    bool started_ = false;
    bool inRound_ = false;
    std::uint64_t wakeups_ = 0;
};

}  // namespace tk
