// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "toolkit/web/canvas.h"

#include <algorithm>
#include <cstdlib>

#include "toolkit/fonts.h"
#include "toolkit/picture.h"
#include "toolkit/web/imports.h"

namespace tk::web {

void WebCanvas::add(std::initializer_list<std::int32_t> words) {
    ops_.insert(ops_.end(), words);
}

std::int32_t WebCanvas::addText(const std::string& s) {
    const auto at = std::int32_t(text_.size());
    text_ += s;
    return at;
}

void WebCanvas::clear() {
    ops_.clear();
    text_.clear();
}

void WebCanvas::setClip(const Rect& c) {
    add({kClip, c.x, c.y, c.w, c.h});
}

void WebCanvas::fill(const Rect& r, Color c) {
    add({kFill, r.x, r.y, r.w, r.h, std::int32_t(c.rgb)});
}

void WebCanvas::text(const Rect& r, const Font& font, const std::string& s, Align align) {
    const std::string css = cssFont(font);
    const std::int32_t fontAt = addText(css);
    const std::int32_t textAt = addText(s);
    add({kText, r.x, r.y, r.w, r.h, align == Align::Center ? 1 : 0, std::int32_t(font.color.rgb),
         fontAt, std::int32_t(css.size()), textAt, std::int32_t(s.size())});
}

void WebCanvas::picture(int x, int y, const Picture& p) {
    add({kPicture, x, y, pictures_.id(p)});
}

std::string cssFont(const Font& f) {
    std::string css;
    if (f.italic) css += "italic ";
    if (f.bold) css += "bold ";
    // A negative height is the character height in pixels without internal leading.
    css +=
        std::to_string(std::max(1, std::abs(f.height))) + "px \"" + substituteFamily(f.name) + "\"";
    return css;
}

int PictureIds::id(const Picture& p) {
    if (auto it = ids_.find(&p); it != ids_.end()) return it->second;
    const int id = int(ids_.size()) + 1;
    std::vector<std::uint8_t> rgba(std::size_t(p.width()) * p.height() * 4, 0);
    for (int y = 0; y < p.height(); ++y)
        for (int x = 0; x < p.width(); ++x) {
            const int i = p.index(x, y);
            if (i == Picture::kTransparent) continue;
            const Color c = colors::standard16[i];
            std::uint8_t* px = &rgba[(std::size_t(y) * p.width() + x) * 4];
            px[0] = std::uint8_t(c.red());
            px[1] = std::uint8_t(c.green());
            px[2] = std::uint8_t(c.blue());
            px[3] = 255;
        }
    tkw_define_picture(id, p.width(), p.height(), rgba.data());
    ids_.emplace(&p, id);
    return id;
}

}  // namespace tk::web
