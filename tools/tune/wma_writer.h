// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>

#include "tools/tune/synth.h"

namespace tune {

// Encodes the sound with the media library's WMA (version 2) encoder into an ASF file.
// Writes to a temporary name beside `path` and renames it at the end, so an interrupted
// run leaves no half file under the real name. Throws std::runtime_error.
void writeWma(const std::string& path, const Stereo& sound, int bitRate = 128000);

}  // namespace tune
