// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>

namespace tk::qt {

// When the environment names a file in BRISCO2_FRAME_TRACE, the real window writes the
// times of its frames and of the keys whose effect they show there, on the monotonic
// clock in nanoseconds, one event a line:
//   frame T        a frame reached the window system at T
//   key K T        a key taken at K changed what shows; the frame at T shows it
// For measuring input latency and frame pacing from outside; off by default. Every
// window of the program writes to the one file, opened once: lines of one window
// never overwrite another's.
class FrameTrace {
  public:
    // The trace the environment asks for, shared with the program's other windows, or
    // null.
    static std::shared_ptr<FrameTrace> fromEnvironment();
    explicit FrameTrace(std::FILE* file) : file_(file) {}
    ~FrameTrace();
    FrameTrace(const FrameTrace&) = delete;
    FrameTrace& operator=(const FrameTrace&) = delete;

    void frame(std::int64_t at);
    void key(std::int64_t taken, std::int64_t shown);

  private:
    std::FILE* file_;
};

}  // namespace tk::qt
