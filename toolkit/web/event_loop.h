// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <optional>

#include "toolkit/timer.h"

namespace tk::web {

// The page's monotonic clock (performance.now()). It reads 0 until start(), which
// makes time 0 the start of the event loop; timers armed at load count from there.
class WebClock : public Clock {
  public:
    Nanos now() const override;
    void start();

  private:
    bool started_ = false;
    double originMs_ = 0;
};

// Serves a scheduler from the browser's event loop, as the desktop's timerfd does: one
// wake-up (setTimeout) armed for the earliest due tick; every wake-up delivers one
// round of due ticks and arms the next.
class WebTimerDriver {
  public:
    WebTimerDriver(Scheduler& scheduler, Clock& clock);
    ~WebTimerDriver();
    WebTimerDriver(const WebTimerDriver&) = delete;
    WebTimerDriver& operator=(const WebTimerDriver&) = delete;

    void start();
    // Arms the wake-up for the earliest due tick, or cancels it when none is due.
    void rearm();
    // The wake-up came.
    void wake();
    // No more ticks: the program has ended.
    void stop();

  private:
    void arm(Nanos due);

    Scheduler& scheduler_;
    Clock& clock_;
    std::optional<Nanos> deadline_;
    bool started_ = false;
    bool inRound_ = false;
};

}  // namespace tk::web
