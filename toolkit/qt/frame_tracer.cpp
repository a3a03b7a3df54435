// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "toolkit/qt/frame_tracer.h"

namespace tk::qt {

void FrameTracer::keyChanged(Nanos at) {
    if (trace_) keys_.push_back(at);
}

void FrameTracer::frameShown(Nanos at) {
    if (trace_) {
        for (const Nanos taken : keys_) trace_->key(taken, at);
        trace_->frame(at);
    }
    keys_.clear();
}

}  // namespace tk::qt
