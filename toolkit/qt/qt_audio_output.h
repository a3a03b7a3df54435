// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "toolkit/media/audio_output.h"

namespace tk {

// Sound through the default audio device of Qt Multimedia. The sink lives on a thread of
// its own and pulls its data there, in refills of most of the device's buffer, from a
// lock-protected queue that the decoder's worker fills: the event thread only starts and
// stops it, and never waits for the sound server between the game's ticks.
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
    // last start().
    std::chrono::nanoseconds longestPull() const;
    // How often the sink has rested between the server's requests since the last start().
    int rests() const;

    struct Impl;

  private:
    std::unique_ptr<Impl> d_;
};

// Ends the process with `status`, once every output has been stopped and the Qt
// application is gone. Qt's sound engine as packaged here takes its connection to the
// sound server down in an exit handler without the lock that keeps the server's thread
// out of it, and now and then aborts the process there. Nothing of ours needs the exit
// handlers, so they are skipped; buffered output is written first.
[[noreturn]] void endProcess(int status);

}  // namespace tk
