// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "toolkit/qt/tree_painter.h"

#include <QColor>
#include <QString>
#include <algorithm>

#include "toolkit/qt/fonts.h"

namespace tk::qt {

namespace {

QColor toQColor(Color c) {
    return QColor(c.red(), c.green(), c.blue());
}

// A widget that draws nothing: hidden, or with no area (a bar narrowed to 0 or less).
bool drawable(const Widget& w) {
    return w.visible() && w.width() > 0 && w.height() > 0;
}

// The icon's size, whatever the widget's: pictures never stretch.
constexpr int kIconSize = 32;

}  // namespace

const QImage& TreePainter::image(const Picture& picture) {
    auto it = images_.find(&picture);
    if (it != images_.end()) return it->second;
    QImage img(picture.width(), picture.height(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const int i = picture.index(x, y);
            img.setPixel(x, y,
                         i == Picture::kTransparent ? 0u : toQColor(colors::standard16[i]).rgba());
        }
    return images_.emplace(&picture, std::move(img)).first->second;
}

void TreePainter::paint(QPainter& painter, const Window& window, QRect area, QRect only) {
    if (!only.isEmpty()) area &= only;
    if (area.isEmpty()) return;
    painter.save();
    // Hard pixel edges at every scale: the art is 32 x 32 and must stay crisp.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setClipRect(area);
    painter.fillRect(area, toQColor(window.color()));
    paintContainer(painter, window, QPoint(0, 0), area);
    painter.restore();
}

QImage TreePainter::render(const Window& window, int width, int height) {
    QImage img(width, height, QImage::Format_RGB32);
    img.fill(Qt::black);
    QPainter p(&img);
    paint(p, window, QRect(0, 0, width, height));
    p.end();
    return img;
}

QRegion TreePainter::damage(const Window& window, QRect area) {
    std::vector<Look> now;
    now.reserve(window.widgets().size());
    collect(window, area.topLeft(), area, now);
    QRegion out;
    if (area != lookArea_ || window.color() != lookColor_ || now.size() != looks_.size()) {
        out = area;
    } else {
        for (std::size_t i = 0; i < now.size(); ++i)
            if (!(now[i] == looks_[i])) {
                out += looks_[i].rect;
                out += now[i].rect;
            }
    }
    looks_ = std::move(now);
    lookArea_ = area;
    lookColor_ = window.color();
    return out;
}

void TreePainter::collect(const Widget& container, QPoint origin, QRect clip,
                          std::vector<Look>& out) const {
    // Every widget of the tree, in any fixed order: the same one each time.
    for (const Widget* w : container.children()) {
        const QRect rect(origin.x() + w->left(), origin.y() + w->top(), w->width(), w->height());
        const QRect shown = drawable(*w) ? (clip & rect) : QRect();
        Look look;
        look.rect = shown;
        if (!shown.isEmpty()) {
            look.caption = w->caption();
            look.color = w->color();
            look.font = w->font();
            look.picture = w->picture();
            look.bevel = w->bevel();
        }
        out.push_back(std::move(look));
        collect(*w, rect.topLeft(), shown, out);
    }
}

void TreePainter::paintContainer(QPainter& painter, const Widget& container, QPoint origin,
                                 QRect clip) {
    auto rectOf = [&](const Widget& w) {
        return QRect(origin.x() + w.left(), origin.y() + w.top(), w.width(), w.height());
    };
    // Drawn on the parent first, in creation order ...
    for (const Widget* w : container.children()) {
        if (w->windowed() || !drawable(*w)) continue;
        if (w->kind() == WidgetKind::Label)
            paintLabel(painter, *w, rectOf(*w), clip);
        else if (w->kind() == WidgetKind::Picture)
            paintPicture(painter, *w, rectOf(*w), clip);
    }
    // ... then the child windows over all of them, a later one over an earlier one.
    for (const Widget* w : container.children()) {
        if (!w->windowed() || !drawable(*w)) continue;
        paintPanel(painter, *w, rectOf(*w), clip);
    }
}

void TreePainter::paintLabel(QPainter& painter, const Widget& label, QRect rect, QRect clip) {
    const QRect c = clip & rect;
    if (c.isEmpty()) return;
    painter.setClipRect(c);
    painter.fillRect(rect, toQColor(label.color()));
    if (label.caption().empty()) return;
    painter.setFont(toQFont(label.font()));
    painter.setPen(toQColor(label.font().color));
    painter.drawText(rect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                     QString::fromStdString(label.caption()));
}

void TreePainter::paintPicture(QPainter& painter, const Widget& picture, QRect rect, QRect clip) {
    if (!picture.picture()) return;
    const QImage& img = image(*picture.picture());
    // Only the icon's own square, and of it only what the picture's rectangle holds.
    const QRect icon(rect.topLeft(),
                     QSize(std::min(img.width(), kIconSize), std::min(img.height(), kIconSize)));
    const QRect c = clip & rect & icon;
    if (c.isEmpty()) return;
    painter.setClipRect(c);
    painter.drawImage(rect.topLeft(), img);
}

void TreePainter::paintPanel(QPainter& painter, const Widget& panel, QRect rect, QRect clip) {
    const QRect c = clip & rect;
    if (c.isEmpty()) return;
    painter.setClipRect(c);
    painter.fillRect(rect, toQColor(panel.color()));
    if (panel.kind() == WidgetKind::MediaPlayer) return;  // no buttons: it only plays music
    if (panel.bevel()) {
        // Raised: light along the top and left, shadow along the bottom and right.
        painter.fillRect(QRect(rect.left(), rect.top(), rect.width(), 1), Qt::white);
        painter.fillRect(QRect(rect.left(), rect.top(), 1, rect.height()), Qt::white);
        const QColor shadow = toQColor(colors::grey);
        painter.fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), shadow);
        painter.fillRect(QRect(rect.right(), rect.top(), 1, rect.height()), shadow);
    }
    if (panel.hasCaption() && !panel.caption().empty()) {
        painter.setFont(toQFont(panel.font()));
        painter.setPen(toQColor(panel.font().color));
        painter.drawText(rect, Qt::AlignCenter | Qt::TextSingleLine,
                         QString::fromStdString(panel.caption()));
    }
    paintContainer(painter, panel, rect.topLeft(), c);
}

}  // namespace tk::qt
