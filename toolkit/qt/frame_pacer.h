// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QTimer>
#include <functional>
#include <memory>

#include "toolkit/qt/event_loop.h"

namespace tk::qt {

// The timers a frame waits on: one to the nanosecond on the monotonic clock where the
// platform gives one, and one to the millisecond.
class FrameTimers {
  public:
    virtual ~FrameTimers() = default;
    // Called when an armed timer fires.
    void setFired(std::function<void()> fn) { fired_ = std::move(fn); }
    // The monotonic clock, in nanoseconds.
    virtual Nanos now() const = 0;
    // Arms the nanosecond timer for `at`; false when there is none or it was refused.
    virtual bool armAt(Nanos at) = 0;
    // Arms the millisecond timer.
    virtual void armInMs(int ms) = 0;
    // Whether either is armed.
    virtual bool armed() const = 0;

  protected:
    void fire() {
        if (fired_) fired_();
    }

  private:
    std::function<void()> fired_;
};

// The real ones: a timerfd (MonotonicDeadline), or where none can be had, a precise
// QTimer.
class QtFrameTimers : public FrameTimers {
  public:
    QtFrameTimers();
    Nanos now() const override { return RealClock::monotonicNow(); }
    bool armAt(Nanos at) override;
    void armInMs(int ms) override { timer_.start(ms); }
    bool armed() const override;

  private:
    std::unique_ptr<MonotonicDeadline> deadline_;
    QTimer timer_;
};

// Paces a window's frames to the display: a change asks for the next frame, which comes
// one refresh after the last one painted, or at once when that has passed. However
// many changes come meanwhile, one frame paints them.
class FramePacer {
  public:
    // The shortest time between two frames: one refresh of a 60 Hz display, or of the
    // screen's own if it is slower.
    static constexpr Nanos kFrameNs = 16'666'667;

    // `frame` is called when a frame is due; it calls painting() if it paints.
    explicit FramePacer(std::function<void()> frame,
                        std::unique_ptr<FrameTimers> timers = std::make_unique<QtFrameTimers>());
    FramePacer(const FramePacer&) = delete;
    FramePacer& operator=(const FramePacer&) = delete;

    // Something changed: the next frame is asked for, once.
    void request();
    // The due frame paints now, on a screen of that refresh rate (Hz; 0 when unknown):
    // the next may come one refresh later.
    void painting(double refreshRate);

    Nanos period() const { return periodNs_; }
    Nanos lastFrame() const { return lastFrameNs_; }

  private:
    std::function<void()> frame_;
    std::unique_ptr<FrameTimers> timers_;
    Nanos periodNs_ = kFrameNs;
    Nanos lastFrameNs_ = 0;  // on the monotonic clock; 0 before the first frame
};

}  // namespace tk::qt
