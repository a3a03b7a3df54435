// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "toolkit/painter.h"

namespace tk::web {

// The page's ids of pictures: each picture's pixels go to the page once, at first use.
class PictureIds {
  public:
    int id(const Picture& picture);

  private:
    std::unordered_map<const Picture*, int> ids_;
};

// A display list for the page's 2D canvas: the painting walk records here and the page
// replays it. Every operation is a code followed by its 32-bit arguments; strings are
// (offset, length) into text().
class WebCanvas : public Canvas {
  public:
    enum Op : std::int32_t {
        kClip = 1,     // x y w h
        kFill = 2,     // x y w h rgb
        kText = 3,     // x y w h centred rgb fontOffset fontLength textOffset textLength
        kPicture = 4,  // x y picture
    };

    explicit WebCanvas(PictureIds& pictures) : pictures_(pictures) {}

    void setClip(const Rect& clip) override;
    void fill(const Rect& r, Color c) override;
    void text(const Rect& r, const Font& font, const std::string& text, Align align) override;
    void picture(int x, int y, const Picture& picture) override;

    const std::vector<std::int32_t>& ops() const { return ops_; }
    const std::string& text() const { return text_; }
    void clear();

  private:
    void add(std::initializer_list<std::int32_t> words);
    std::int32_t addText(const std::string& s);

    PictureIds& pictures_;
    std::vector<std::int32_t> ops_;
    std::string text_;
};

// The CSS font of a tree font: the stand-in family at the font's pixel size.
std::string cssFont(const Font& font);

}  // namespace tk::web
