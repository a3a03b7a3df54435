// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// brisco2-replay: the whole game without a window, driven by a script on the simulated
// clock, printing the state as JSON where the script asks for it.
#include <QGuiApplication>
#include <memory>

#include "toolkit/qt/text_metrics.h"
#include "tools/replay/cli.h"
#include "tools/replay/silent_music.h"

int main(int argc, char** argv) {
    std::unique_ptr<QGuiApplication> qt;
    brisco2::replay::Platform platform;
    // Captions are measured in the real fonts, so the dumps match the real window; the
    // offscreen platform needs no display. Qt sees no arguments of ours.
    platform.metrics = [&]() -> std::unique_ptr<tk::TextMetrics> {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int qtArgc = 1;
        static char* qtArgv[] = {argv[0], nullptr};
        qt = std::make_unique<QGuiApplication>(qtArgc, qtArgv);
        return std::make_unique<tk::qt::QtTextMetrics>();
    };
    platform.media = brisco2::replay::silentMusic();
    return brisco2::replay::replayMain(argc, argv, platform);
}
