// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The page's side of a running program as parts: what the page's calls into the module
// (the tkw_* functions page.cpp exports) reach, and the few requests the program makes of
// the page. The program's entry (app/web_main.cpp) makes the clock, the loop, the timer
// driver, the window hosts and the report view, and registers here what the page's calls
// must reach; the toolkit owns none of them.

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "toolkit/application.h"
#include "toolkit/loop.h"
#include "toolkit/timer.h"
#include "toolkit/web/event_loop.h"
#include "toolkit/web/window_host.h"

namespace tk::web {

// How many ticks each timer has delivered, and which sleep: what the page's test hooks
// and the benchmarks read (Module.ticksOf, Module.asleep).
class TickCounts {
  public:
    // Counts the ticks of the loop's timers from now on, as its scheduler's tick observer.
    explicit TickCounts(RealLoop& loop);
    TickCounts(const TickCounts&) = delete;
    TickCounts& operator=(const TickCounts&) = delete;

    // Ticks the named timer has delivered (0 for an unknown name): the real clock's pace.
    std::uint64_t ticksOf(const std::string& timerName) const;
    // Whether the named timer is armed and asleep: its ticks pass, to no effect, without
    // the loop waking for them (false for an unknown name).
    bool asleep(const std::string& timerName) const;

  private:
    const Timer* find(const std::string& timerName) const;

    Scheduler& scheduler_;
    const SleepingTimers& sleepers_;
    std::unordered_map<const Timer*, std::uint64_t> ticks_;
};

// What the page's calls reach. A call whose part is not registered does nothing, as does
// one for a window id no host has.
struct PageTargets {
    Application* app = nullptr;           // a report closed, the shortcuts
    WebTimerDriver* timers = nullptr;     // the wake-up
    TickCounts* ticks = nullptr;          // the test hooks
    std::vector<WebWindowHost*> windows;  // each at the id the page knows it by
};
// Registers them; the parts must live as long as the page can call.
void registerWithPage(PageTargets targets);

// The page shows that the program has ended.
void showEnded();
// The program will open `fileName` with its media player: the page fetches it once the
// first frame is painted, so the open does not wait for the network.
void prefetch(const std::string& fileName);

}  // namespace tk::web
