// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "toolkit/media/audio_output.h"

namespace tk {

// Sound through the default audio device of Qt Multimedia. The sink pulls its data on the
// event thread from a small lock-protected queue that the decoder's worker fills, so the
// event thread only copies bytes that are already decoded.
//
// start() needs a running QCoreApplication; it fails (and the game stays silent) when
// there is none, no default device, or the device refuses to start.
class QtAudioOutput : public AudioOutput {
  public:
    QtAudioOutput();
    ~QtAudioOutput() override;
    QtAudioOutput(const QtAudioOutput&) = delete;
    QtAudioOutput& operator=(const QtAudioOutput&) = delete;

    std::string start() override;
    void stop() override;
    bool write(const std::int16_t* samples, std::size_t frames) override;
    void finish() override;
    bool busy() const override;

    // The longest time one pull of the device spent copying from the queue, since the
    // last start(): the event thread's share of each audio buffer.
    std::chrono::nanoseconds longestPull() const;

    struct Impl;

  private:
    std::unique_ptr<Impl> d_;
};

}  // namespace tk
