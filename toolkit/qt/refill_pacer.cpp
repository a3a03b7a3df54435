// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "toolkit/qt/refill_pacer.h"

#include <algorithm>

namespace tk {

std::optional<RefillPacer::Clock::duration> RefillPacer::hold(Clock::time_point now,
                                                              std::int64_t free,
                                                              std::int64_t size) {
    if (!pacing_ || free >= 2 * size) return std::nullopt;
    const bool first = !inRefill_;
    // Long overdue: the server buffers again after running dry and wants the device full.
    if (first && now - lastRequest_ > 2 * shortestGap() + kTick) {
        pacing_ = false;
        return std::nullopt;
    }
    inRefill_ = false;
    const auto due = lastRequest_ + shortestGap() + kLag - kTick;
    return std::max<Clock::duration>(due - now, Clock::duration::zero());
}

void RefillPacer::delivered(Clock::time_point now, std::int64_t free, std::int64_t size,
                            std::int64_t done) {
    if (done == 0) {
        // Nothing queued: the server will run dry and buffer again, which breaks its pace.
        pacing_ = inRefill_ = false;
        lastRequest_ = {};
        return;
    }
    if (!inRefill_) {
        ++refills_;
        if (free >= kPacedReads * size) {
            if (lastRequest_ != Clock::time_point{}) {
                gaps_[nextGap_++ % gaps_.size()] = now - lastRequest_;
                pacing_ = true;
            }
            lastRequest_ = now;
        } else {
            pacing_ = false;
        }
    }
    inRefill_ = free >= 2 * size;
}

RefillPacer::Clock::duration RefillPacer::shortestGap() const {
    auto gap = Clock::duration::max();
    for (const auto g : gaps_)
        if (g > Clock::duration::zero()) gap = std::min(gap, g);
    return gap == Clock::duration::max() ? Clock::duration::zero() : gap;
}

}  // namespace tk
