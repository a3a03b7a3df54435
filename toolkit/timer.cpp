// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "toolkit/timer.h"

#include <algorithm>
#include <limits>

#include "toolkit/error.h"
#include "toolkit/state.h"

namespace tk {

Timer::Timer(Scheduler& scheduler, std::string name)
    : Object(std::move(name)), scheduler_(scheduler) {
    scheduler_.add(*this);
}

Timer::~Timer() {
    // Destroyed by its own handler: the closure still runs and must outlive the timer.
    if (scheduler_.running_ == this)
        scheduler_.orphaned_ = std::move(retired_ ? retired_ : handler_);
    scheduler_.remove(*this);
}

void Timer::setEnabled(bool value) {
    if (value == enabled_) return;
    enabled_ = value;
    noteStateChange();
    restart();
}

void Timer::setInterval(std::uint32_t ms) {
    if (ms == interval_) return;
    interval_ = ms;
    noteStateChange();
    restart();
}

void Timer::setOnTimer(Handler handler) {
    // A handler that replaces itself must live until it returns. Only the first
    // replacement in a run holds the running closure; a later one replaces a handler
    // that is not running.
    if (scheduler_.running_ == this && !retired_) retired_ = std::move(handler_);
    handler_ = std::move(handler);
    noteStateChange();
    restart();
}

void Timer::restart() {
    scheduler_.disarm(*this);
    if (enabled_ && interval_ != 0 && handler_) scheduler_.arm(*this, scheduler_.now() + period());
}

void Scheduler::add(Timer& t) {
    t.order_ = all_.empty() ? 0 : all_.back()->order_ + 1;
    all_.push_back(&t);
}

void Scheduler::remove(Timer& t) {
    if (running_ == &t) running_ = nullptr;
    if (filter_) filter_->forget(t);
    disarm(t);
    std::erase(all_, &t);
    // runDue may be walking the round: leave a gap rather than move the rest under it.
    std::replace(round_.begin(), round_.end(), &t, static_cast<Timer*>(nullptr));
}

void Scheduler::arm(Timer& t, Nanos due) {
    if (capacity_ != 0 && armed_.size() >= capacity_) throw Error(kNoTimerText);
    t.armed_ = true;
    t.due_ = due;
    auto pos =
        std::lower_bound(armed_.begin(), armed_.end(), &t,
                         [](const Timer* a, const Timer* b) { return a->order_ < b->order_; });
    armed_.insert(pos, &t);
    if (earliestKnown_ && (armed_.size() == 1 || due < earliest_)) earliest_ = due;
    if (wake_) wake_(due);
}

void Scheduler::disarm(Timer& t) {
    if (!t.armed_) return;
    t.armed_ = false;
    std::erase(armed_, &t);
    // Only the loss of the earliest one makes a search necessary.
    if (t.due_ == earliest_) earliestKnown_ = false;
}

void Scheduler::skipTo(Timer& t, Nanos until) {
    if (!t.armed_ || t.due_ >= until) return;
    const bool earliest = t.due_ == earliest_;
    const Nanos p = t.period();
    t.due_ += (until - t.due_ + p - 1) / p * p;
    // Only the earliest one moving later makes a search necessary.
    if (earliest) earliestKnown_ = false;
}

Nanos Scheduler::scanEarliest() const {
    Nanos best = armed_.front()->due_;
    for (const Timer* t : armed_) best = std::min(best, t->due_);
    return best;
}

int Scheduler::runDue() {
    const Nanos now = clock_.now();
    if (armed_.empty()) return 0;
    const auto next = nextDue();
    if (!next || *next > now) return 0;
    // One pass: the round, and the earliest of the timers that are not in it. Each tick
    // then brings in its next due time, and whatever a handler arms its own.
    round_.clear();
    bool restArmed = false;
    bool oneDue = true;  // every tick of the round due at the same time: no sorting
    Nanos rest = 0;
    for (Timer* t : armed_) {
        if (t->due_ <= now) {
            if (!round_.empty() && t->due_ != round_.front()->due_) oneDue = false;
            round_.push_back(t);
        } else if (!restArmed || t->due_ < rest) {
            rest = t->due_;
            restArmed = true;
        }
    }
    // Every armed timer is either in the round, to be ticked or disarmed in it, or
    // counted in `rest`: the earliest is known again once the round is over.
    earliest_ = restArmed ? rest : std::numeric_limits<Nanos>::max();
    earliestKnown_ = true;
    // armed_ is in creation order, so a stable sort by due time keeps ties in it. The
    // round is a handful of timers: an insertion sort, without the allocation of
    // std::stable_sort.
    for (std::size_t i = 1; !oneDue && i < round_.size(); ++i)
        for (std::size_t j = i; j > 0 && round_[j - 1]->due_ > round_[j]->due_; --j)
            std::swap(round_[j - 1], round_[j]);
    return deliver(now);
}

int Scheduler::deliver(Nanos now) {
    int ran = 0;
    // Reset however the round ends. A handler's failure without a sink leaves the rest
    // of the round armed and due: the earliest is then looked for again.
    struct Delivering {
        Scheduler& s;
        bool completed = false;
        explicit Delivering(Scheduler& sched) : s(sched) { s.delivering_ = true; }
        ~Delivering() {
            s.delivering_ = false;
            if (!completed) s.earliestKnown_ = false;
        }
    } delivering(*this);
    for (std::size_t i = 0; i < round_.size(); ++i) {
        Timer* t = round_[i];
        if (!t) continue;                           // destroyed earlier this round
        if (!t->armed_ || t->due_ > now) continue;  // stopped or restarted earlier this round
        // Missed periods are dropped, never caught up.
        const Nanos late = clock_.now();
        const Nanos due = t->due_;
        Nanos next = due + t->period();
        if (next <= late) next = late + t->period();
        t->due_ = next;
        if (earliestKnown_ && next < earliest_) earliest_ = next;
        if (filter_ && filter_->skip(*t)) continue;
        if (tickObserver_) tickObserver_(*t, due, late);
        ++ran;
        ++delivered_;
        // The handler is marked running until it returns or fails; then the closures it
        // replaced or orphaned are let go.
        struct Running {
            Scheduler& s;
            Timer* t;
            Running(Scheduler& sched, Timer* timer) : s(sched), t(timer) { s.running_ = t; }
            ~Running() {
                if (s.running_ == t) t->retired_ = nullptr;  // still alive
                s.running_ = nullptr;
                s.orphaned_ = nullptr;
            }
        } running(*this, t);
        bool failed = false;
        if (errorSink_) {
            try {
                t->handler_(t);
            } catch (const std::exception& e) {
                failed = true;
                errorSink_(e);
            }
        } else {
            t->handler_(t);
        }
        if (filter_ && running_ == t) filter_->ran(*t, failed);  // still alive
    }
    delivering.completed = true;
    round_.clear();
    return ran;
}

}  // namespace tk
