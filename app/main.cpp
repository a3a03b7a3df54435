// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Program entry: the real event loop, the real windows, the real clock and sound.
#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <exception>
#include <iostream>
#include <memory>
#include <string>

#include "app/command_line.h"
#include "app/forms/pictures.h"
#include "app/main_window.h"
#include "toolkit/loop.h"
#include "toolkit/media/ffmpeg_media.h"
#include "toolkit/qt/display.h"
#include "toolkit/qt/event_loop.h"
#include "toolkit/qt/qt_audio_output.h"
#include "toolkit/qt/report_view.h"
#include "toolkit/qt/text_metrics.h"
#include "toolkit/qt/tree_painter.h"
#include "toolkit/qt/window_host.h"
#include "tools/replay/recorder.h"

namespace {

// Builds the game on the real clock and windows and runs the event loop; returns its
// exit status. What fails while it sets up throws.
int run(const std::string& title, const brisco2::CommandLine& options) {
    std::unique_ptr<brisco2::replay::Recorder> recorder;
    if (!options.recordPath.empty())
        recorder = brisco2::replay::Recorder::toFiles(options.recordPath);

    tk::qt::RealClock realClock;
    tk::LoopClock clock(realClock);
    tk::qt::QtTextMetrics metrics;
    tk::Application app(clock, metrics, title);
    tk::qt::QtReportView reports(app);
    app.setReportView(&reports);

    brisco2::MediaFactory music = [] {
        return std::make_unique<tk::FfmpegMedia>(std::make_unique<tk::QtAudioOutput>());
    };
    if (recorder) {
        recorder->attach(app);
        music = recorder->recordMusic(std::move(music));
    }
    auto game = std::make_unique<brisco2::Game>(app, std::move(music));

    // Declared after the game, so they let go of its windows before it goes.
    tk::RealLoop loop(app, clock);
    if (recorder) {
        recorder->watch(*game);
        loop.setObserver(recorder.get());
    }
    tk::qt::RealTimerDriver timers(loop, realClock);
    timers.setFailureHandler([&title](const std::string& text) {
        std::cerr << title << ": " << text << '\n';
        QApplication::exit(1);
    });
    tk::qt::QtWindowHost host1(game->Form1.form());
    tk::qt::QtWindowHost host2(game->Form2.form());
    host1.setInputListener([&] { timers.rearm(); });
    host2.setInputListener([&] { timers.rearm(); });
    // exit(), not quit(): quit() first asks every window to close, and the disabled
    // second window refuses.
    app.setQuitHandler([] { QApplication::exit(0); });

    // The event loop starts: time 0 for every timer loaded so far, and the main
    // window shows.
    realClock.start();
    timers.start();
    game->Form1.form().show();
    int status = QApplication::exec();
    if (recorder && recorder->failure()) {
        // The game played on; the recording stopped short.
        std::cerr << title << ": " << *recorder->failure() << '\n';
        if (status == 0) status = 1;
    }
    return status;
}

// The whole program; returns its exit status with Qt and every output gone.
int play(int argc, char** argv) {
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

    // Frames go to the X server through the socket, not shared memory: a shared-memory
    // frame ends with a completion event, which woke two of our threads after each
    // frame. The damaged squares are small. Whoever sets the variable keeps their choice.
    if (qEnvironmentVariableIsEmpty("QT_XCB_NO_MITSHM")) qputenv("QT_XCB_NO_MITSHM", "1");
    QApplication qapp(argc, argv);
    // The program ends with the main window, whatever else is still open.
    QApplication::setQuitOnLastWindowClosed(false);

    tk::qt::TreePainter icons;
    if (const tk::Picture* icon = forms::picture("mainicon"))
        QApplication::setWindowIcon(QIcon(QPixmap::fromImage(icons.image(*icon))));

    try {
        return run(title, commandLine);
    } catch (const std::exception& e) {
        // The toolkit's errors (a widget tree that does not load) and the platform's
        // alike (no timer for the event loop): one clear line, never an abort.
        std::cerr << title << ": " << e.what() << '\n';
        return 1;
    }
}

}  // namespace

int main(int argc, char** argv) {
    tk::endProcess(play(argc, argv));
}
