// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>

#include "toolkit/application.h"
#include "toolkit/timer.h"

namespace tk {

// What a loop does with the tick of a timer whose last tick changed nothing, as long as
// nothing has changed since (stateChanges): that tick would change nothing either.
enum class QuietTicks {
    Run,    // deliver it like any other
    Skip,   // keep its period but run nothing, and wake no loop for it
    Check,  // deliver it, and have the state compared before and after (tests)
};

// The sleeping timers of one scheduler: a timer whose last tick changed nothing sleeps
// until something changes. The real loop skips their ticks, so that it need not wake
// for them; tests check that such ticks indeed change nothing. The scheduler itself
// knows nothing of it: it asks this filter before and after each tick.
//
// The loop reads its deadline here (nextDue), runs its rounds here (runDue), and hears
// of every input before it acts (input): sleeping timers that fell behind then catch up
// to their phase, as if they had ticked all along to no effect.
class SleepingTimers : public InputObserver, private TickFilter {
  public:
    SleepingTimers(Scheduler& scheduler, QuietTicks mode);
    ~SleepingTimers() override;
    SleepingTimers(const SleepingTimers&) = delete;
    SleepingTimers& operator=(const SleepingTimers&) = delete;

    QuietTicks mode() const { return mode_; }
    // Whether the timer's next tick would change nothing: its last one did not, and
    // nothing changed since. Always false while quiet ticks are run as usual.
    bool sleeping(const Timer& t) const;
    // The earliest due time to wake up for: while skipping, sleeping timers set none.
    std::optional<Nanos> nextDue() const {
        return mode_ == QuietTicks::Skip ? nextAwake() : scheduler_.nextDue();
    }
    // The scheduler's round at its now; while skipping, the sleeping timers that fell
    // behind catch up first, and no round runs until an awake timer is due.
    int runDue() { return mode_ == QuietTicks::Skip ? runAwake() : scheduler_.runDue(); }
    // An input is about to act. While skipping, every sleeping tick due by now is one the
    // replay runs, to no effect, before the input: those timers move past now.
    void input(const Input& in) override;

    // Checking quiet ticks: `digest` describes the whole state; `fault` hears of a tick
    // that was expected to change nothing and changed the digest. The first such tick
    // per timer and count is checked, the next one would find the very same state, and
    // then every kRecheckEvery-th: a change that was not counted may also be one that
    // would have woken the timer.
    void setCheck(std::function<std::string()> digest, std::function<void(const Timer&)> fault) {
        digest_ = std::move(digest);
        fault_ = std::move(fault);
    }
    static constexpr std::uint32_t kRecheckEvery = 32;
    std::uint64_t ticksSkipped() const { return skipped_; }

  private:
    bool skip(const Timer& t) override;
    void ran(const Timer& t, bool failed) override;
    void forget(const Timer& t) override;
    std::optional<Nanos> nextAwake() const;
    int runAwake();
    // Returns the earliest due time of the timers awake, which it finds on the way.
    std::optional<Nanos> catchUp(Nanos now);

    struct Quiet {
        static constexpr std::uint64_t kLoud = ~std::uint64_t(0);
        // The count of changes that its last tick left as it found, or kLoud.
        std::uint64_t at = kLoud;
        std::uint64_t before = 0;         // the count as its running tick began
        std::uint64_t checkedAt = kLoud;  // the count at which a sleeping tick was checked
        std::uint32_t uncheckedSince = 0;
        bool checking = false;  // the running tick is checked
    };

    Scheduler& scheduler_;
    const QuietTicks mode_;
    std::unordered_map<const Timer*, Quiet> quiet_;
    std::function<std::string()> digest_;
    std::function<void(const Timer&)> fault_;
    std::string checkedState_;
    std::uint64_t skipped_ = 0;
};

}  // namespace tk
