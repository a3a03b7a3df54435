// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>

namespace tk {

// When the audio sink's reads should come back empty. Qt's sink ticks at a fixed period
// and, whenever the sound server has asked for data, reads it one read's worth at a time,
// queueing the next read itself while two reads' worth are free: a refill is that chain
// of reads within one wake-up of the sink's thread. Left alone it wakes that thread at
// every tick, although the server asks far less often. An empty read stops the tick until
// the device announces data again.
//
// So once the server is seen to ask for big pieces, the read that would leave less than
// one read's worth free comes back empty, and the sink rests until just after the
// server's next request is due. The first fill, and the fill after the server ran dry
// or stopped asking for a long while, go to the brim: the server buffers that much
// before it plays.
class RefillPacer {
  public:
    using Clock = std::chrono::steady_clock;

    // The sink's tick period, and how long after a request is due its first tick comes
    // once it rested: a request waits for that tick no longer than it would for the
    // sink's own tick, which comes anywhere within a period of it.
    static constexpr auto kTick = std::chrono::milliseconds(20);
    static constexpr auto kLag = std::chrono::milliseconds(3);
    // Requests of at least this many reads are paced; smaller ones would not pay.
    static constexpr std::int64_t kPacedReads = 5;

    // For a read of `size` bytes with `free` bytes free in the device: nothing when the
    // read should go ahead, otherwise how long the sink should rest before its tick is
    // started again (the read then comes back empty).
    std::optional<Clock::duration> hold(Clock::time_point now, std::int64_t free,
                                        std::int64_t size);
    // After a read that went ahead and delivered `done` bytes.
    void delivered(Clock::time_point now, std::int64_t free, std::int64_t size, std::int64_t done);
    // A new stream: nothing known about the server yet.
    void reset() { *this = RefillPacer{}; }

    int refills() const { return refills_; }
    bool pacing() const { return pacing_; }

  private:
    Clock::duration shortestGap() const;

    bool pacing_ = false;    // holding back; off until the server is seen to ask steadily
    bool inRefill_ = false;  // the sink has queued another read in this wake-up
    Clock::time_point lastRequest_{};
    std::array<Clock::duration, 4> gaps_{};  // the last few times between requests
    std::size_t nextGap_ = 0;
    int refills_ = 0;
};

}  // namespace tk
