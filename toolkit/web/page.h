// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "toolkit/application.h"
#include "toolkit/loop.h"
#include "toolkit/web/canvas.h"
#include "toolkit/web/event_loop.h"
#include "toolkit/web/report_view.h"
#include "toolkit/web/text_metrics.h"
#include "toolkit/web/window_host.h"

namespace tk::web {

// The browser's side of one running program: the clock, the timer wake-ups, the text
// metrics, the report box and one page window per tk::Window. The page's events reach
// it through the functions this folder exports to JavaScript.
class Page {
  public:
    explicit Page(const std::string& programFile);
    ~Page();
    Page(const Page&) = delete;
    Page& operator=(const Page&) = delete;

    // The one page of this module, once made.
    static Page* current();

    Application& app() { return app_; }
    // Shows a window of the application in the page, with the id the page knows it by.
    void addWindow(Window& window);
    // The event loop starts: time 0 for every timer loaded so far, and `main` shows.
    void start(Window& main);
    // The program will open `fileName` with its media player: the page fetches it once
    // the first frame is painted, so the open does not wait for the network.
    void prefetch(const std::string& fileName);

    WebWindowHost* host(int id) const;
    WebTimerDriver& timers() { return timers_; }
    // The game's view of time and the order of ticks and inputs, as on the desktop.
    RealLoop& loop() { return loop_; }
    // How many ticks the named timer has delivered since start (0 for an unknown name):
    // the real clock's pace, for the benchmarks.
    std::uint64_t ticksOf(const std::string& timerName);
    // Whether the named timer is armed and asleep: its ticks pass, to no effect, without
    // the loop waking for them (false for an unknown name).
    bool asleep(const std::string& timerName);

  private:
    WebClock realClock_;
    LoopClock clock_{realClock_};
    WebTextMetrics metrics_;
    Application app_;
    WebReportView reports_;
    RealLoop loop_;
    WebTimerDriver timers_;
    PictureIds pictures_;
    std::vector<std::unique_ptr<WebWindowHost>> hosts_;
    std::unordered_map<const Timer*, std::uint64_t> ticks_;
};

}  // namespace tk::web
