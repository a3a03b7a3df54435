// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "toolkit/media/audio_output.h"

namespace tk {

namespace {
// How far a real-time writer may run ahead of the clock.
constexpr std::chrono::milliseconds kLead{250};
}  // namespace

std::string SilentOutput::start() {
    std::lock_guard lock(mutex_);
    running_ = true;
    finished_ = false;
    startedAt_ = Clock::now();
    frames_ = 0;
    return {};
}

void SilentOutput::stop() {
    {
        std::lock_guard lock(mutex_);
        running_ = false;
    }
    wake_.notify_all();
}

SilentOutput::Clock::time_point SilentOutput::playedOutAt() const {
    const auto micros = frames_ * 1'000'000 / kSampleRate;
    return startedAt_ + std::chrono::microseconds(micros);
}

bool SilentOutput::write(const std::int16_t*, std::size_t frames) {
    std::unique_lock lock(mutex_);
    if (!running_) return false;
    frames_ += frames;
    if (pace_ == Pace::RealTime)
        wake_.wait_until(lock, playedOutAt() - kLead, [this] { return !running_; });
    return running_;
}

void SilentOutput::finish() {
    std::lock_guard lock(mutex_);
    finished_ = true;
}

bool SilentOutput::busy() const {
    std::lock_guard lock(mutex_);
    if (!running_) return false;
    if (!finished_) return true;
    return pace_ == Pace::RealTime && Clock::now() < playedOutAt();
}

std::uint64_t SilentOutput::framesWritten() const {
    std::lock_guard lock(mutex_);
    return frames_;
}

}  // namespace tk
