// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstddef>
#include <utility>
#include <vector>

#include "toolkit/color.h"

namespace tk {

// A small indexed picture in the standard 16-colour set with a transparency mask,
// independent of any windowing toolkit, so game code and tests can inspect pixels.
class Picture {
  public:
    static constexpr int kTransparent = -1;

    // Parses an XPM array (as included from the .xpm files): a header "w h ncolors 1",
    // ncolors colour lines "<char> c <#rrggbb|None>", then h rows of w characters.
    // `lines` is the number of strings in the array. Throws tk::Error on malformed input
    // or on a colour outside colors::standard16; never reads past a string's end.
    static Picture fromXpm(const char* const* xpm, std::size_t lines);

    int width() const { return width_; }
    int height() const { return height_; }

    // Palette index 0..15 into colors::standard16, or kTransparent.
    // Throws tk::Error for a pixel outside the picture.
    int index(int x, int y) const;
    bool transparent(int x, int y) const { return index(x, y) == kTransparent; }
    // Throws tk::Error for a transparent pixel: it has no colour.
    Color color(int x, int y) const;

    bool operator==(const Picture&) const = default;

  private:
    Picture(int width, int height, std::vector<signed char> pixels)
        : width_(width), height_(height), pixels_(std::move(pixels)) {}

    int width_ = 0;
    int height_ = 0;
    std::vector<signed char> pixels_;  // row-major palette indices
};

}  // namespace tk
