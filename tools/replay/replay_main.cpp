// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// brisco2-replay: the whole game without a window, driven by a script on the simulated
// clock, printing the state as JSON where the script asks for it.
#include <memory>

#include "app/forms/font_tables.h"
#include "tools/replay/cli.h"
#include "tools/replay/silent_music.h"

int main(int argc, char** argv) {
    brisco2::replay::Platform platform;
    // Captions are measured as the real window measures them, from tables of its fonts
    // made when the program was built: no GUI, no font database.
    platform.metrics = [] { return std::make_unique<tk::TableTextMetrics>(forms::fontTables()); };
    platform.media = brisco2::replay::probedMusic();
    return brisco2::replay::replayMain(argc, argv, platform);
}
