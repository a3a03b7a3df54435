// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "toolkit/qt/frame_pacer.h"

#include <algorithm>
#include <exception>

namespace tk::qt {

QtFrameTimers::QtFrameTimers() {
    try {
        deadline_ = std::make_unique<MonotonicDeadline>([this] { fire(); });
    } catch (const std::exception&) {
        deadline_.reset();  // frames then come on the millisecond timer
    }
    timer_.setSingleShot(true);
    // Never early: two frames are at least one refresh apart.
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { fire(); });
}

bool QtFrameTimers::armAt(Nanos at) {
    if (!deadline_) return false;
    try {
        deadline_->armAt(at);
        return true;
    } catch (const std::exception&) {
        return false;  // the platform refused the timer
    }
}

bool QtFrameTimers::armed() const {
    return timer_.isActive() || (deadline_ && deadline_->armed());
}

FramePacer::FramePacer(std::function<void()> frame, std::unique_ptr<FrameTimers> timers)
    : frame_(std::move(frame)), timers_(std::move(timers)) {
    timers_->setFired([this] { frame_(); });
}

void FramePacer::request() {
    if (timers_->armed()) return;
    // The next refresh after the last frame: at once when that has passed.
    const Nanos next = lastFrameNs_ + periodNs_;
    const Nanos wait = next - timers_->now();
    if (wait > 0 && timers_->armAt(next)) return;
    // No nanosecond timer: the millisecond one it is, never early.
    timers_->armInMs(int(std::max<Nanos>(0, (wait + 999'999) / 1'000'000)));
}

void FramePacer::painting(double refreshRate) {
    if (refreshRate > 1) periodNs_ = std::max<Nanos>(kFrameNs, Nanos(1e9 / refreshRate));
    lastFrameNs_ = timers_->now();
}

}  // namespace tk::qt
