// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The game's side of a real event loop, without the platform: when rounds of ticks run
// and what time the game sees, so that what happens in a real window can be replayed
// to the same state on the simulated clock.

#include "toolkit/application.h"
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
class RealLoop : public InputObserver {
  public:
    // Observes the application's inputs for as long as it lives.
    RealLoop(Application& app, LoopClock& clock);
    ~RealLoop() override;
    RealLoop(const RealLoop&) = delete;
    RealLoop& operator=(const RealLoop&) = delete;

    Scheduler& scheduler() const { return app_.scheduler(); }
    // A wake-up of the platform timer. Returns how many ticks ran.
    int wake();
    void input(const Input& in) override;
    void setObserver(LoopObserver* observer) { observer_ = observer; }

  private:
    int round(Nanos at);

    Application& app_;
    LoopClock& clock_;
    LoopObserver* observer_ = nullptr;
};

}  // namespace tk
