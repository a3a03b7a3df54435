// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// brisco2-replay for Node.js: the same tool on the browser edition's build. Captions are
// measured with the desktop's font tables, made when the desktop program was built; the
// music is opened by the desktop's own media code, built for WebAssembly.
#include <memory>

#include "app/forms/font_tables.h"
#include "tools/replay/cli.h"
#include "tools/replay/silent_music.h"

int main(int argc, char** argv) {
    brisco2::replay::Platform platform;
    platform.metrics = [] { return std::make_unique<tk::TableTextMetrics>(forms::fontTables()); };
    platform.media = brisco2::replay::probedMusic();
    return brisco2::replay::replayMain(argc, argv, platform);
}
