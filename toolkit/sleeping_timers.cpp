// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "toolkit/sleeping_timers.h"

#include "toolkit/state.h"

namespace tk {

SleepingTimers::SleepingTimers(Scheduler& scheduler, QuietTicks mode)
    : scheduler_(scheduler), mode_(mode) {
    // Running every tick needs no bookkeeping: the simulator's rounds stay plain.
    if (mode_ != QuietTicks::Run) scheduler_.setTickFilter(this);
}

SleepingTimers::~SleepingTimers() {
    if (mode_ != QuietTicks::Run) scheduler_.setTickFilter(nullptr);
}

bool SleepingTimers::sleeping(const Timer& t) const {
    if (mode_ == QuietTicks::Run) return false;
    const auto it = quiet_.find(&t);
    return it != quiet_.end() && it->second.at == stateChanges();
}

std::optional<Nanos> SleepingTimers::nextAwake() const {
    std::optional<Nanos> best;
    for (const Timer* t : scheduler_.timers())
        if (t->armed() && (!best || t->due() < *best) && !sleeping(*t)) best = t->due();
    return best;
}

std::optional<Nanos> SleepingTimers::catchUp(Nanos now) {
    // Until the first tick of an awake timer nothing changes: a sleeping timer's ticks
    // before it are the ones that would have changed nothing. With such a tick due by now,
    // the sleeping ones due at its time stay to run in its round, in creation order.
    // Without one, every sleeping tick due by now is one the replay runs, to no effect,
    // before anything else happens at now, an input above all: the first one left is
    // after now.
    const auto awake = nextAwake();
    const Nanos until = awake && *awake <= now ? *awake : now + 1;
    for (Timer* t : scheduler_.timers())
        if (t->armed() && t->due() < until && sleeping(*t)) scheduler_.skipTo(*t, until);
    return awake;
}

int SleepingTimers::runAwake() {
    const Nanos now = scheduler_.now();
    const auto awake = catchUp(now);
    if (!awake || *awake > now) return 0;
    return scheduler_.runDue();
}

void SleepingTimers::input(const Input& in) {
    // Sleeping timers wake from their phase at this moment should the input change
    // anything.
    if (mode_ == QuietTicks::Skip && !in.nested) catchUp(scheduler_.now());
}

bool SleepingTimers::skip(const Timer& t) {
    Quiet& q = quiet_[&t];
    q.checking = false;
    if (q.at == stateChanges()) {
        if (mode_ == QuietTicks::Skip) {
            ++skipped_;
            return true;
        }
        // Checking: once per timer and count, then every kRecheckEvery-th time.
        if (digest_ && (q.checkedAt != q.at || ++q.uncheckedSince >= kRecheckEvery)) {
            q.checkedAt = q.at;
            q.uncheckedSince = 0;
            q.checking = true;
            checkedState_ = digest_();
        }
    }
    q.before = stateChanges();
    return false;
}

void SleepingTimers::ran(const Timer& t, bool failed) {
    Quiet& q = quiet_[&t];
    q.at = !failed && stateChanges() == q.before ? q.before : Quiet::kLoud;
    if (q.checking && fault_ && digest_() != checkedState_) fault_(t);
}

void SleepingTimers::forget(const Timer& t) {
    quiet_.erase(&t);
}

}  // namespace tk
