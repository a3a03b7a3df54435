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

RealLoop::RealLoop(Application& app, LoopClock& clock) : app_(app), clock_(clock) {
    app_.setInputObserver(this);
}

RealLoop::~RealLoop() {
    app_.setInputObserver(nullptr);
}

int RealLoop::wake() {
    return round(clock_.advance());
}

int RealLoop::round(Nanos at) {
    const auto due = scheduler().nextDue();
    if (!due || *due > at) return 0;
    if (observer_) observer_->roundBegins(at, *due);
    return scheduler().runDue();
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
}

}  // namespace tk
