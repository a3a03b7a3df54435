// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <functional>
#include <memory>

#include "app/main_window.h"
#include "toolkit/widget.h"

namespace brisco2::replay {

// What a platform lends the replay tool: caption metrics and the music device. The
// metrics are asked for only once the script has been checked, so a malformed script
// costs no platform start-up.
struct Platform {
    std::function<std::unique_ptr<tk::TextMetrics>()> metrics;
    MediaFactory media;
};

// The whole brisco2-replay program: options, the script check, the run and the dumps
// on standard output. Returns the exit status.
int replayMain(int argc, char** argv, const Platform& platform);

}  // namespace brisco2::replay
