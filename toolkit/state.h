// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>

namespace tk {

// Counts the changes of everything a handler can read or a player can see: widget,
// window, timer and menu properties, the media player, reports, the mouse and the
// game's own variables. A tick that left the count as it was changed nothing, and
// would change nothing again until the count moves: a real event loop need not wake
// up for it (tk::SleepingTimers).
namespace detail {
inline std::uint64_t stateChanges = 0;
}
inline std::uint64_t stateChanges() {
    return detail::stateChanges;
}
inline void noteStateChange() {
    ++detail::stateChanges;
}

// A variable of the game whose every real change is counted.
template <class T>
class Tracked {
  public:
    constexpr Tracked(T value = T{}) : value_(value) {}  // NOLINT: stands in for a T
    Tracked& operator=(T value) {
        if (value != value_) {
            value_ = value;
            noteStateChange();
        }
        return *this;
    }
    constexpr operator T() const { return value_; }  // NOLINT: reads as a T

  private:
    T value_;
};

}  // namespace tk
