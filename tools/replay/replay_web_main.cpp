// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// brisco2-replay for Node.js: the same tool on the browser edition's build. Captions are
// measured with the desktop's font tables, made when the desktop program was built; the
// music is opened by the same WebAssembly media libraries as in the page.
#include <memory>

#include "app/forms/font_tables.h"
#include "toolkit/web/web_media.h"
#include "tools/replay/cli.h"

int main(int argc, char** argv) {
    brisco2::replay::Platform platform;
    platform.metrics = [] { return std::make_unique<tk::TableTextMetrics>(forms::fontTables()); };
    platform.media = [] { return std::make_unique<tk::web::WebMedia>(); };
    return brisco2::replay::replayMain(argc, argv, platform);
}
