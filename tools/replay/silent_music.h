// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "app/main_window.h"

namespace brisco2::replay {

// The music as the game plays it, into an output that discards the sound.
MediaFactory silentMusic();

}  // namespace brisco2::replay
