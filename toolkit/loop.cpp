// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "toolkit/loop.h"

namespace tk {

Nanos LoopClock::advance() {
    const Nanos real = real_.now();
    const Nanos whole = real - real % kMillisecond;
    if (whole > now_) now_ = whole;
    return now_;
}

RealLoop::RealLoop(Application& app, LoopClock& clock)
    : app_(app), clock_(clock), sleepers_(app.scheduler(), QuietTicks::Skip) {
    app_.setInputObserver(this);
}

RealLoop::~RealLoop() {
    app_.setInputObserver(nullptr);
}

int RealLoop::wake() {
    return round(clock_.advance());
}

int RealLoop::round(Nanos at) {
    const auto due = nextDue();
    if (!due || *due > at) return 0;
    if (observer_) observer_->roundBegins(at, *due);
    return sleepers_.runDue();
}

void RealLoop::input(const Input& in) {
    // An input raised inside a handler belongs to that handler's moment. The mouse only
    // decides whether keys reach the menus, so it need not wait for ticks either: it
    // keeps the moment of the last event, and a window that lets go of it while it is
    // re-framed runs no handlers under its own feet.
    Nanos at = clock_.now();
    if (!in.nested && in.kind != Input::Kind::MouseCapture) {
        at = clock_.advance();
        round(at);
    }
    if (observer_) observer_->inputArrives(at, in);
    if (!in.nested && inputHook_) inputHook_();
    sleepers_.input(in);
}

template <class Fn>
void WakeDriver::guarded(Fn fn) {
    try {
        fn();
    } catch (const std::exception& e) {
        deadline_.reset();
        started_ = false;
        failed(e);
    }
}

WakeDriver::WakeDriver(RealLoop& loop) : loop_(loop) {
    // A wake-up right after the input has acted arms the deadline it leaves.
    loop_.setInputHook([this] {
        if (started_ && !inRound_) guarded([this] { arm(loop_.scheduler().now()); });
    });
    loop_.scheduler().setWakeListener([this](Nanos due) {
        if (!started_ || inRound_ || (deadline_ && due >= *deadline_)) return;
        guarded([this, due] { arm(due); });
    });
}

WakeDriver::~WakeDriver() {
    loop_.setInputHook({});
    loop_.scheduler().setWakeListener({});
}

void WakeDriver::start() {
    started_ = true;
    if (auto due = loop_.nextDue()) arm(*due);
}

void WakeDriver::rearm() {
    if (!started_) return;
    guarded([this] {
        if (auto due = loop_.nextDue()) {
            arm(*due);
        } else {
            disarm();
            deadline_.reset();
        }
    });
}

void WakeDriver::stop() {
    if (!started_) return;
    started_ = false;
    deadline_.reset();
    disarm();
}

void WakeDriver::arm(Nanos due) {
    armAt(due);
    deadline_ = due;
}

void WakeDriver::woke() {
    if (!started_) return;
    ++wakeups_;
    deadline_.reset();
    // What the handlers arm is looked at once, after the round, however it ended: a
    // failure that escapes it must not leave every timer without a wake-up.
    try {
        struct InRound {
            bool& flag;
            explicit InRound(bool& f) : flag(f) { flag = true; }
            ~InRound() { flag = false; }
        } inRound(inRound_);
        loop_.wake();
    } catch (...) {
        rearm();
        throw;
    }
    rearm();
}

}  // namespace tk
