// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "toolkit/painter.h"

#include <algorithm>

#include "toolkit/picture.h"
#include "toolkit/window.h"

namespace tk {

Rect Rect::operator&(const Rect& o) const {
    const int l = std::max(x, o.x), t = std::max(y, o.y);
    const int r = std::min(right(), o.right()), b = std::min(bottom(), o.bottom());
    if (r <= l || b <= t) return Rect{};
    return Rect{l, t, r - l, b - t};
}

namespace {

// A widget that draws nothing: hidden, or with no area (a bar narrowed to 0 or less).
bool drawable(const Widget& w) {
    return w.visible() && w.width() > 0 && w.height() > 0;
}

void paintContainer(Canvas& canvas, const Widget& container, int ox, int oy, const Rect& clip);

void paintLabel(Canvas& canvas, const Widget& label, const Rect& rect, const Rect& clip) {
    const Rect c = clip & rect;
    if (c.empty()) return;
    canvas.setClip(c);
    canvas.fill(rect, label.color());
    if (!label.caption().empty())
        canvas.text(rect, label.font(), label.caption(), Canvas::Align::TopLeft);
}

void paintPicture(Canvas& canvas, const Widget& picture, const Rect& rect, const Rect& clip) {
    const Picture* p = picture.picture();
    if (!p) return;
    // Only the icon's own square, and of it only what the picture's rectangle holds.
    const Rect icon{rect.x, rect.y, std::min(p->width(), kIconSize),
                    std::min(p->height(), kIconSize)};
    const Rect c = clip & rect & icon;
    if (c.empty()) return;
    canvas.setClip(c);
    canvas.picture(rect.x, rect.y, *p);
}

void paintPanel(Canvas& canvas, const Widget& panel, const Rect& rect, const Rect& clip) {
    const Rect c = clip & rect;
    if (c.empty()) return;
    canvas.setClip(c);
    canvas.fill(rect, panel.color());
    if (panel.kind() == WidgetKind::MediaPlayer) return;  // no buttons: it only plays music
    if (panel.bevel()) {
        // Raised: light along the top and left, shadow along the bottom and right.
        canvas.fill(Rect{rect.x, rect.y, rect.w, 1}, colors::white);
        canvas.fill(Rect{rect.x, rect.y, 1, rect.h}, colors::white);
        canvas.fill(Rect{rect.x, rect.bottom() - 1, rect.w, 1}, colors::grey);
        canvas.fill(Rect{rect.right() - 1, rect.y, 1, rect.h}, colors::grey);
    }
    if (panel.hasCaption() && !panel.caption().empty())
        canvas.text(rect, panel.font(), panel.caption(), Canvas::Align::Center);
    paintContainer(canvas, panel, rect.x, rect.y, c);
}

void paintContainer(Canvas& canvas, const Widget& container, int ox, int oy, const Rect& clip) {
    auto rectOf = [&](const Widget& w) {
        return Rect{ox + w.left(), oy + w.top(), w.width(), w.height()};
    };
    // Drawn on the parent first, in creation order ...
    for (const Widget* w : container.children()) {
        if (w->windowed() || !drawable(*w)) continue;
        if (w->kind() == WidgetKind::Label)
            paintLabel(canvas, *w, rectOf(*w), clip);
        else if (w->kind() == WidgetKind::Picture)
            paintPicture(canvas, *w, rectOf(*w), clip);
    }
    // ... then the child windows over all of them, a later one over an earlier one.
    for (const Widget* w : container.children()) {
        if (!w->windowed() || !drawable(*w)) continue;
        paintPanel(canvas, *w, rectOf(*w), clip);
    }
}

}  // namespace

void paintWindow(Canvas& canvas, const Window& window, const Rect& area) {
    if (area.empty()) return;
    canvas.setClip(area);
    canvas.fill(area, window.color());
    paintContainer(canvas, window, 0, 0, area);
}

}  // namespace tk
