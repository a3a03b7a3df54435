// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "app/main_window.h"

namespace brisco2::replay {

// The music as the game plays it, into an output that discards the sound.
MediaFactory silentMusic();

// The music for a simulated clock: every open asks the media libraries as the game
// does, with the same answer, except that the same unchanged file is not opened twice
// in a row (the music restarts every 82 s); nothing is played, it only counts as
// playing once opened.
MediaFactory probedMusic();

}  // namespace brisco2::replay
