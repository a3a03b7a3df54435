// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Program entry: the real event loop, the real windows, the real clock and sound.
#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <iostream>
#include <memory>

#include "app/command_line.h"
#include "app/forms/pictures.h"
#include "app/main_window.h"
#include "toolkit/error.h"
#include "toolkit/media/ffmpeg_media.h"
#include "toolkit/qt/display.h"
#include "toolkit/qt/event_loop.h"
#include "toolkit/qt/qt_audio_output.h"
#include "toolkit/qt/report_view.h"
#include "toolkit/qt/text_metrics.h"
#include "toolkit/qt/tree_painter.h"
#include "toolkit/qt/window_host.h"

int main(int argc, char** argv) {
    // The program's name gives the title of reports.
    const std::string title = tk::applicationTitle(argc > 0 && argv[0] ? argv[0] : "brisco2");

    // Before Qt: the options answer without a display, and Qt would take some
    // arguments for its own.
    const brisco2::CommandLine commandLine = brisco2::parseCommandLine(argc, argv);
    switch (commandLine.action) {
        case brisco2::CommandLine::Action::Help:
            std::cout << brisco2::helpText();
            return 0;
        case brisco2::CommandLine::Action::Version:
            std::cout << brisco2::versionText();
            return 0;
        case brisco2::CommandLine::Action::Misused:
            std::cerr << title << ": " << commandLine.error << '\n'
                      << brisco2::kUsageLine << " (--help for more)\n";
            return 2;
        case brisco2::CommandLine::Action::Play:
            break;
    }
    if (const std::string missing = tk::qt::missingDisplay(); !missing.empty()) {
        std::cerr << title << ": " << missing << '\n';
        return 1;
    }

    QApplication qapp(argc, argv);
    // The program ends with the main window, whatever else is still open.
    QApplication::setQuitOnLastWindowClosed(false);

    tk::qt::TreePainter icons;
    if (const tk::Picture* icon = forms::picture("mainicon"))
        QApplication::setWindowIcon(QIcon(QPixmap::fromImage(icons.image(*icon))));

    tk::qt::RealClock clock;
    tk::qt::QtTextMetrics metrics;
    tk::Application app(clock, metrics, title);
    tk::qt::QtReportView reports(app);
    app.setReportView(&reports);

    std::unique_ptr<brisco2::Game> game;
    try {
        game = std::make_unique<brisco2::Game>(app, [] {
            return std::make_unique<tk::FfmpegMedia>(std::make_unique<tk::QtAudioOutput>());
        });
    } catch (const tk::Error& e) {
        std::cerr << title << ": " << e.what() << '\n';
        return 1;
    }

    // Declared after the game, so they let go of its windows before it goes.
    tk::qt::RealTimerDriver timers(app.scheduler(), clock);
    tk::qt::QtWindowHost host1(game->Form1.form());
    tk::qt::QtWindowHost host2(game->Form2.form());
    host1.setInputListener([&] { timers.rearm(); });
    host2.setInputListener([&] { timers.rearm(); });
    // exit(), not quit(): quit() first asks every window to close, and the disabled
    // second window refuses.
    app.setQuitHandler([] { QApplication::exit(0); });

    // The event loop starts: time 0 for every timer loaded so far, and the main
    // window shows.
    clock.start();
    timers.start();
    game->Form1.form().show();
    QApplication::exec();
    return 0;
}
