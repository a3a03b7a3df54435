// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Program entry of the browser edition: the page's clock, windows, report box and music
// around the same game as the desktop's, assembled as app/main.cpp assembles the
// desktop's.
#include <memory>
#include <utility>

#include "app/main_window.h"
#include "toolkit/loop.h"
#include "toolkit/web/canvas.h"
#include "toolkit/web/event_loop.h"
#include "toolkit/web/page.h"
#include "toolkit/web/report_view.h"
#include "toolkit/web/text_metrics.h"
#include "toolkit/web/web_media.h"
#include "toolkit/web/window_host.h"

namespace {

// Made for as long as the page: the browser's event loop goes on after main() returns,
// and the page's events reach these parts through the functions registered with it.
template <class T, class... Args>
T& keep(Args&&... args) {
    return *new T(std::forward<Args>(args)...);
}

}  // namespace

int main() {
    auto& realClock = keep<tk::web::WebClock>();
    auto& clock = keep<tk::LoopClock>(realClock);
    auto& metrics = keep<tk::web::WebTextMetrics>();
    auto& app = keep<tk::Application>(clock, metrics, tk::applicationTitle("brisco2.wasm"));
    auto& reports = keep<tk::web::WebReportView>();
    app.setReportView(&reports);

    auto& game = keep<brisco2::Game>(app, [] { return std::make_unique<tk::web::WebMedia>(); });

    auto& loop = keep<tk::RealLoop>(app, clock);
    auto& timers = keep<tk::web::WebTimerDriver>(loop, realClock);
    auto& pictures = keep<tk::web::PictureIds>();
    auto& host1 = keep<tk::web::WebWindowHost>(game.Form1.form(), 0, pictures);
    auto& host2 = keep<tk::web::WebWindowHost>(game.Form2.form(), 1, pictures);
    host1.setInputListener([&timers] { timers.rearm(); });
    host2.setInputListener([&timers] { timers.rearm(); });
    app.setQuitHandler([&timers] {
        timers.stop();
        tk::web::showEnded();
    });
    auto& ticks = keep<tk::web::TickCounts>(loop);
    tk::web::registerWithPage({&app, &timers, &ticks, {&host1, &host2}});
    tk::web::prefetch(brisco2::kMusicFile);

    // The event loop starts: time 0 for every timer loaded so far, and the main window
    // shows.
    realClock.start();
    timers.start();
    game.Form1.form().show();
    return 0;
}
