// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "toolkit/web/event_loop.h"

#include <emscripten.h>

#include <cmath>

#include "toolkit/web/imports.h"

namespace tk::web {

Nanos WebClock::now() const {
    return started_ ? Nanos((emscripten_get_now() - originMs_) * 1e6) : 0;
}

void WebClock::start() {
    originMs_ = emscripten_get_now();
    started_ = true;
}

WebTimerDriver::WebTimerDriver(Scheduler& scheduler, Clock& clock)
    : scheduler_(scheduler), clock_(clock) {
    // A timer armed earlier than the wake-up we hold must wake us sooner.
    scheduler_.setWakeListener([this](Nanos due) {
        if (started_ && !inRound_ && (!deadline_ || due < *deadline_)) arm(due);
    });
}

WebTimerDriver::~WebTimerDriver() {
    scheduler_.setWakeListener({});
}

void WebTimerDriver::start() {
    started_ = true;
    rearm();
}

void WebTimerDriver::stop() {
    started_ = false;
    deadline_.reset();
    tkw_arm_wake(-1);
}

void WebTimerDriver::rearm() {
    if (!started_) return;
    if (auto due = scheduler_.nextDue()) {
        arm(*due);
    } else {
        tkw_arm_wake(-1);
        deadline_.reset();
    }
}

void WebTimerDriver::arm(Nanos due) {
    // Whole milliseconds, rounded up: a wake-up that came early would find nothing due
    // and cost a second one.
    const Nanos wait = due - clock_.now();
    tkw_arm_wake(wait <= 0 ? 0.0 : std::ceil(double(wait) / 1e6));
    deadline_ = due;
}

void WebTimerDriver::wake() {
    if (!started_) return;
    deadline_.reset();
    // What the handlers arm is looked at once, after the round.
    inRound_ = true;
    scheduler_.runDue();
    inRound_ = false;
    rearm();
}

}  // namespace tk::web
