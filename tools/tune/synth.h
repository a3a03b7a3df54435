// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <vector>

#include "tools/tune/melody.h"

namespace tune {

constexpr int kSampleRate = 44100;

struct Stereo {
    std::vector<float> left;
    std::vector<float> right;
};

// The score played by four simple voices: a pulse-wave lead, a thin pulse arpeggio over the
// chords, a triangle bass and noise drums. Peaks are scaled to just below full scale.
Stereo renderScore(const Score& score);

// A plain sine, the same on both channels, with short fades so that it starts and ends
// without a click.
Stereo renderTone(double hz, double seconds);

}  // namespace tune
