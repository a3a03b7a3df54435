// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Tick fidelity of the real event loop: the game as the program entry builds it (real
// clock, timerfd wake-ups, painted windows; offscreen is enough), mission 1 started from
// the menu, and every Timer2 tick's lateness recorded for a while.
//   brisco2-tick-bench [SECONDS]    run in the folder that holds Brisco.wma
// Prints one JSON object on one line.
#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "app/main_window.h"
#include "toolkit/error.h"
#include "toolkit/loop.h"
#include "toolkit/media/ffmpeg_media.h"
#include "toolkit/qt/event_loop.h"
#include "toolkit/qt/report_view.h"
#include "toolkit/qt/text_metrics.h"
#include "toolkit/qt/window_host.h"

namespace {

// The menu shows at 3000 ms; the key comes a little later, as a player's would.
constexpr int kMissionKeyMs = 3500;

double percentileMs(std::vector<tk::Nanos> sorted, double p) {
    if (sorted.empty()) return 0;
    std::sort(sorted.begin(), sorted.end());
    const auto i = static_cast<std::size_t>(p * double(sorted.size() - 1) + 0.5);
    return double(sorted[i]) / double(tk::kMillisecond);
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 30.0;
    if (!(seconds > 0)) {
        std::fprintf(stderr, "usage: brisco2-tick-bench [SECONDS]\n");
        return 2;
    }
    QApplication qapp(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);

    tk::qt::RealClock clock;
    tk::LoopClock gameClock(clock);
    tk::qt::QtTextMetrics metrics;
    tk::Application app(gameClock, metrics, "Brisco2");
    tk::qt::QtReportView reports(app);
    app.setReportView(&reports);
    std::unique_ptr<brisco2::Game> game;
    try {
        // Decoding runs at the pace a sound device would take it, without needing one.
        game = std::make_unique<brisco2::Game>(app, [] {
            return std::make_unique<tk::FfmpegMedia>(std::make_unique<tk::SilentOutput>());
        });
    } catch (const tk::Error& e) {
        std::fprintf(stderr, "brisco2-tick-bench: %s\n", e.what());
        return 1;
    }
    tk::RealLoop loop(app, gameClock);
    tk::qt::RealTimerDriver timers(loop, clock);
    tk::qt::QtWindowHost host1(game->Form1.form());
    tk::qt::QtWindowHost host2(game->Form2.form());
    host1.setInputListener([&] { timers.rearm(); });
    host2.setInputListener([&] { timers.rearm(); });

    const tk::Timer* timer2 = game->Form1.Timer2;
    bool measuring = false;
    tk::Nanos from = 0, to = 0;
    std::vector<tk::Nanos> lateness;
    lateness.reserve(std::size_t(seconds * 110) + 16);
    // Against the real clock: the game's own time is cut to whole milliseconds.
    app.scheduler().setTickObserver([&](const tk::Timer& t, tk::Nanos due, tk::Nanos) {
        if (measuring && &t == timer2) lateness.push_back(clock.now() - due);
    });

    bool started = false;
    // Precise: Qt's default timers may be 5 % off, which would blur the span measured.
    QTimer::singleShot(kMissionKeyMs, Qt::PreciseTimer, [&] {
        app.keyDown(game->Form1.form(), '1', 0);
        timers.rearm();
        started = !game->Form1.m->visible();  // the menu goes when a mission starts
        from = clock.now();
        measuring = true;
        QTimer::singleShot(int(seconds * 1000), Qt::PreciseTimer, [&] {
            measuring = false;
            to = clock.now();
            QCoreApplication::exit(0);  // quit() would ask the windows, which may refuse
        });
    });

    clock.start();
    timers.start();
    game->Form1.form().show();
    QApplication::exec();
    app.scheduler().setTickObserver({});

    const double span = double(to - from) / 1e9;
    std::printf(
        "{\"seconds\": %.3f, \"mission_started\": %s, \"ticks\": %zu, \"per_second\": %.3f, "
        "\"late_median_ms\": %.4f, \"late_p99_ms\": %.4f, \"late_max_ms\": %.4f, "
        "\"reports\": %zu}\n",
        span, started ? "true" : "false", lateness.size(),
        span > 0 ? double(lateness.size()) / span : 0.0, percentileMs(lateness, 0.5),
        percentileMs(lateness, 0.99), percentileMs(lateness, 1.0), app.reports().size());
    return 0;
}
