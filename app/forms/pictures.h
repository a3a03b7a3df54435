// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <span>
#include <string_view>

#include "toolkit/picture.h"

namespace forms {

// The built-in pictures, by name: "act1", "act1b", "act2", "act2b", "act3", "act3b",
// "logo1", "form1_icon", "form2_icon", "mainicon". Parsed on first use and kept for
// the life of the program; nullptr for an unknown name.
const tk::Picture* picture(std::string_view name);

// The XPM strings behind a built-in picture, for the windowing side to build its
// images and icons from; empty for an unknown name.
std::span<const char* const> xpmSource(std::string_view name);

}  // namespace forms
