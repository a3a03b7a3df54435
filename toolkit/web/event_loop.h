// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "toolkit/loop.h"
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

// Wakes a real loop from the browser's event loop, as the desktop's timerfd does: one
// setTimeout armed for the earliest due tick (WakeDriver). `real` is the clock the loop's
// clock reads.
class WebTimerDriver : public WakeDriver {
  public:
    WebTimerDriver(RealLoop& loop, const Clock& real) : WakeDriver(loop), real_(real) {}
    ~WebTimerDriver() override;

    // The page's wake-up came.
    void wake() { woke(); }

  protected:
    void armAt(Nanos due) override;
    void disarm() override;
    // setTimeout does not refuse.
    void failed(const std::exception&) override {}

  private:
    const Clock& real_;
};

}  // namespace tk::web
