// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QImage>
#include <QPainter>
#include <QRect>
#include <QRegion>
#include <string>
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

    // What must be painted again since the last call: the old and new areas of every
    // widget whose look or place changed. The first call, or one after the area
    // changed, gives the whole area.
    QRegion damage(const Window& window, QRect area);

  private:
    // Where a widget shows and what it shows, for telling what changed.
    struct Look {
        QRect rect;  // in the window, cut to its ancestors; empty when not drawn
        std::string caption;
        Color color;
        Font font;
        const Picture* picture = nullptr;
        bool bevel = false;
        bool operator==(const Look&) const = default;
    };
    void collect(const Widget& container, QPoint origin, QRect clip, std::vector<Look>& out) const;

    std::unordered_map<const Picture*, QImage> images_;
    std::vector<Look> looks_;
    QRect lookArea_;
    Color lookColor_;
};

}  // namespace tk::qt
