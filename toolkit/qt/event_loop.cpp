// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "toolkit/qt/event_loop.h"

#include <sys/timerfd.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <stdexcept>
#include <string>

namespace tk::qt {

Nanos RealClock::monotonicNow() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return Nanos(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

Nanos RealClock::now() const {
    return started_ ? monotonicNow() - origin_ : 0;
}

void RealClock::start() {
    origin_ = monotonicNow();
    started_ = true;
}

MonotonicDeadline::MonotonicDeadline(std::function<void()> fired) : fired_(std::move(fired)) {
    fd_ = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (fd_ < 0) throw std::runtime_error(std::string("timerfd_create: ") + std::strerror(errno));
    notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] {
        // One read takes every expiration there has been.
        std::uint64_t expirations = 0;
        if (::read(fd_, &expirations, sizeof expirations) <= 0) return;
        armed_ = false;
        fired_();
    });
}

MonotonicDeadline::~MonotonicDeadline() {
    notifier_.reset();
    if (fd_ >= 0) ::close(fd_);
}

void MonotonicDeadline::armAt(Nanos at) {
    // Absolute: no drift from the time it takes to get here.
    at = std::max<Nanos>(at, 1);
    itimerspec deadline{};
    deadline.it_value.tv_sec = time_t(at / 1'000'000'000);
    deadline.it_value.tv_nsec = long(at % 1'000'000'000);
    set(deadline, TFD_TIMER_ABSTIME);
    armed_ = true;
}

void MonotonicDeadline::disarm() {
    set(itimerspec{}, 0);
    armed_ = false;
}

void MonotonicDeadline::set(const itimerspec& value, int flags) {
    if (timerfd_settime(fd_, flags, &value, nullptr) != 0)
        throw std::runtime_error(std::string("timerfd_settime: ") + std::strerror(errno));
}

RealTimerDriver::RealTimerDriver(RealLoop& loop, RealClock& clock)
    : WakeDriver(loop), clock_(clock), deadline_([this] { woke(); }) {
    onFailure_ = [](const std::string& text) {
        std::fprintf(stderr, "%s\n", text.c_str());
        QCoreApplication::exit(1);
    };
}

RealTimerDriver::~RealTimerDriver() = default;

void RealTimerDriver::armAt(Nanos due) {
    deadline_.armAt(clock_.toMonotonic(due));
}

void RealTimerDriver::disarm() {
    deadline_.disarm();
}

void RealTimerDriver::failed(const std::exception& e) {
    if (onFailure_) onFailure_(e.what());
}

}  // namespace tk::qt
