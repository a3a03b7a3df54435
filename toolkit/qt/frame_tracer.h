// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <memory>
#include <vector>

#include "toolkit/qt/frame_trace.h"
#include "toolkit/timer.h"

namespace tk::qt {

// What one window writes to the frame trace (FrameTrace): each frame it hands to the
// window system, and before it the keys taken since the last frame whose effect it
// shows. Off, it does nothing and reads no clock.
class FrameTracer {
  public:
    explicit FrameTracer(std::shared_ptr<FrameTrace> trace) : trace_(std::move(trace)) {}

    bool on() const { return trace_ != nullptr; }
    // A key taken at `at` changed what the window shows.
    void keyChanged(Nanos at);
    // A frame reached the window system at `at`: it shows every key noted since the
    // last one.
    void frameShown(Nanos at);
    // The change the keys made does not show after all.
    void nothingShown() { keys_.clear(); }

  private:
    std::shared_ptr<FrameTrace> trace_;
    std::vector<Nanos> keys_;  // when keys that changed the content were taken
};

}  // namespace tk::qt
