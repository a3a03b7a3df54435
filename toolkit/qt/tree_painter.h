// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QImage>
#include <QPainter>
#include <QRect>
#include <QRegion>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "toolkit/painter.h"
#include "toolkit/picture.h"
#include "toolkit/window.h"

namespace tk::qt {

// Paints a window's widget tree with QPainter, by the toolkit's stacking rules
// (tk::paintWindow). Coordinates are the window's client area. Pictures become images
// once and stay.
class TreePainter {
  public:
    // `area` is the client area the painter covers; the window's colour fills it.
    // Only what lies in `only` is painted (all of `area` when it is empty).
    void paint(QPainter& painter, const Window& window, QRect area, QRect only = {});
    // The client area as an image at one device pixel per logical pixel.
    QImage render(const Window& window, int width, int height);

    // The image of a picture: its palette colours, transparent pixels left at alpha 0.
    const QImage& image(const Picture& picture);

    // A caption as drawn in a rectangle of `size`: the image of its ink, made once per
    // caption, font, colour and size, and where in the rectangle it goes.
    struct Text {
        QImage ink;
        QPoint offset;
    };
    const Text& text(const Font& font, const std::string& caption, QSize size, bool centred);

    // What must be painted again since the last call: the old and new areas of every
    // widget whose look or place changed. The first call, or one after the area
    // changed, gives the whole area.
    QRegion damage(const Window& window, QRect area);

  private:
    // Where a widget shows and how often it or an ancestor has changed since the tree
    // was loaded (what it inherits, colour and font, comes from its ancestors): a
    // different revision is a different look, without copies of captions and fonts.
    struct Look {
        QRect rect;  // in the window, cut to its ancestors; empty when not drawn
        std::uint64_t revision = 0;
        bool operator==(const Look&) const = default;
    };
    void collect(const Widget& container, QPoint origin, QRect clip, std::uint64_t revision,
                 std::vector<Look>& out) const;

    struct TextKey {
        std::string caption;
        Font font;
        int width, height;
        bool centred;
    };
    // Looked up without a copy of the caption or the font.
    struct TextView {
        std::string_view caption;
        const Font& font;
        int width, height;
        bool centred;
    };
    struct TextHash {
        using is_transparent = void;
        std::size_t operator()(const TextView& k) const;
        std::size_t operator()(const TextKey& k) const {
            return (*this)(TextView{k.caption, k.font, k.width, k.height, k.centred});
        }
    };
    struct TextEqual {
        using is_transparent = void;
        static TextView view(const TextKey& k) {
            return TextView{k.caption, k.font, k.width, k.height, k.centred};
        }
        static const TextView& view(const TextView& v) { return v; }
        template <class A, class B>
        bool operator()(const A& a, const B& b) const {
            const TextView& x = view(a);
            const TextView& y = view(b);
            return x.caption == y.caption && x.font == y.font && x.width == y.width &&
                   x.height == y.height && x.centred == y.centred;
        }
    };

    std::unordered_map<const Picture*, QImage> images_;
    std::unordered_map<TextKey, Text, TextHash, TextEqual> texts_;
    std::vector<Look> looks_, now_;
    QRect lookArea_;
    Color lookColor_;
};

}  // namespace tk::qt
