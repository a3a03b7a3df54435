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

WebTimerDriver::~WebTimerDriver() {
    stop();
}

void WebTimerDriver::armAt(Nanos due) {
    // Whole milliseconds, rounded up: a wake-up that came early would find nothing due
    // and cost a second one.
    const Nanos wait = due - real_.now();
    tkw_arm_wake(wait <= 0 ? 0.0 : std::ceil(double(wait) / 1e6));
}

void WebTimerDriver::disarm() {
    tkw_arm_wake(-1);
}

}  // namespace tk::web
