// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Comparing the game's state as two dumps, field by field, leaving out what depends on
// the machine rather than on the path the game took.

#include <string>
#include <vector>

#include "tools/replay/json.h"

namespace brisco2::replay {

// What a comparison leaves out. Always: the width and height of every widget with a
// caption (captions size their widgets by the fonts of the machine) and media.playing
// (whether a sound device took the music). For a recording also the texts of reports:
// the media library of another machine words its failures in its own way.
struct Leave {
    bool reportTexts = false;
};

// Drops the fields `leave` names from a dump, in place.
void dropMachineFields(Json& dump, Leave leave);

// Every field in which `actual` differs from `expected`, one line each:
// "widgets.c.left: expected 216, got 226"; fields only one of them has, too. Empty when
// they are equal.
std::vector<std::string> differences(const Json& expected, const Json& actual);

}  // namespace brisco2::replay
