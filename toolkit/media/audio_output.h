// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>

namespace tk {

// Where decoded music goes. The PCM format is fixed: interleaved signed 16-bit stereo at
// 44100 Hz, so the decoder resamples once and no output has to convert.
//
// Threads: start(), stop() and busy() come from the event thread; write() and finish()
// from the decoder's worker thread, and only between a start() that succeeded and the
// matching stop().
class AudioOutput {
  public:
    static constexpr int kSampleRate = 44100;
    static constexpr int kChannels = 2;
    static constexpr int kBytesPerFrame = kChannels * 2;

    virtual ~AudioOutput() = default;

    // Opens the device and begins to take data. Returns why there is no sound (no device,
    // the device refuses), or an empty text when it started.
    virtual std::string start() = 0;
    // Silences the device at once and drops what is queued; a write() blocked on a full
    // queue returns false. Idempotent.
    virtual void stop() = 0;
    // Queues `frames` frames, blocking while the queue is full. Returns false once stop()
    // has been called: the writer should give up.
    virtual bool write(const std::int16_t* samples, std::size_t frames) = 0;
    // No more data follows; what is queued still plays out.
    virtual void finish() = 0;
    // Whether sound is still coming from what was written: true from start() until the
    // data after finish() has played out, false after stop().
    virtual bool busy() const = 0;
};

// The output for headless runs and machines without a sound device: it takes the data
// and discards it. In real-time pace write() lets the writer run at most a quarter second
// ahead of the clock, so decoding costs what it would with a device and busy() stays true
// as long as the music would be heard. Instant pace takes everything at once (tests).
class SilentOutput : public AudioOutput {
  public:
    enum class Pace { RealTime, Instant };
    explicit SilentOutput(Pace pace = Pace::RealTime) : pace_(pace) {}

    std::string start() override;
    void stop() override;
    bool write(const std::int16_t* samples, std::size_t frames) override;
    void finish() override;
    bool busy() const override;

    // Frames taken since the last start().
    std::uint64_t framesWritten() const;

  private:
    using Clock = std::chrono::steady_clock;
    Clock::time_point playedOutAt() const;  // with mutex_ held

    const Pace pace_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool running_ = false;
    bool finished_ = false;
    Clock::time_point startedAt_{};
    std::uint64_t frames_ = 0;
};

}  // namespace tk
