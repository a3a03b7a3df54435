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

namespace {

QRect toQRect(const Rect& r) {
    return QRect(r.x, r.y, r.w, r.h);
}

// The toolkit's painting, done with a QPainter.
class QtCanvas : public Canvas {
  public:
    QtCanvas(QPainter& painter, TreePainter& images) : painter_(painter), images_(images) {}
    void setClip(const Rect& clip) override { painter_.setClipRect(toQRect(clip)); }
    void fill(const Rect& r, Color c) override { painter_.fillRect(toQRect(r), toQColor(c)); }
    void text(const Rect& r, const Font& font, const std::string& text, Align align) override {
        painter_.setFont(toQFont(font));
        painter_.setPen(toQColor(font.color));
        const int flags =
            (align == Align::Center ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignTop) |
            Qt::TextSingleLine;
        painter_.drawText(toQRect(r), flags, QString::fromStdString(text));
    }
    void picture(int x, int y, const Picture& picture) override {
        painter_.drawImage(QPoint(x, y), images_.image(picture));
    }

  private:
    QPainter& painter_;
    TreePainter& images_;
};

}  // namespace

void TreePainter::paint(QPainter& painter, const Window& window, QRect area, QRect only) {
    if (!only.isEmpty()) area &= only;
    if (area.isEmpty()) return;
    painter.save();
    // Hard pixel edges at every scale: the art is 32 x 32 and must stay crisp.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    QtCanvas canvas(painter, *this);
    paintWindow(canvas, window, Rect{area.x(), area.y(), area.width(), area.height()});
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

}  // namespace tk::qt
