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
        const TreePainter::Text& t =
            images_.text(font, text, QSize(r.w, r.h), align == Align::Center);
        if (!t.ink.isNull()) painter_.drawImage(QPoint(r.x, r.y) + t.offset, t.ink);
    }
    void picture(int x, int y, const Picture& picture) override {
        painter_.drawImage(QPoint(x, y), images_.image(picture));
    }

  private:
    QPainter& painter_;
    TreePainter& images_;
};

}  // namespace

namespace {

// A caption is laid out again only when it changes; the counters' captions repeat, but
// a long session would otherwise keep every second's caption.
constexpr std::size_t kTextsKept = 256;

void hashIn(std::size_t& h, std::size_t v) {
    h ^= v + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
}

}  // namespace

std::size_t TreePainter::TextHash::operator()(const TextView& k) const {
    std::size_t h = std::hash<std::string_view>()(k.caption);
    hashIn(h, std::hash<std::string>()(k.font.name));
    hashIn(h, std::size_t(k.font.height) * 31 + k.font.color.rgb);
    hashIn(h, std::size_t(k.font.bold) * 2 + k.font.italic + std::size_t(k.centred) * 4);
    hashIn(h, std::size_t(k.width) << 16 ^ std::size_t(k.height));
    return h;
}

const TreePainter::Text& TreePainter::text(const Font& font, const std::string& caption, QSize size,
                                           bool centred) {
    const TextView view{caption, font, size.width(), size.height(), centred};
    if (auto it = texts_.find(view); it != texts_.end()) return it->second;
    if (texts_.size() >= kTextsKept) texts_.clear();

    // Drawn once, as it would be drawn in place, into a clear image of the rectangle;
    // only the part with ink is kept.
    QImage img(size.expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setRenderHint(QPainter::TextAntialiasing, false);
        p.setFont(toQFont(font));
        p.setPen(toQColor(font.color));
        const int flags =
            (centred ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignTop) | Qt::TextSingleLine;
        p.drawText(QRect(QPoint(0, 0), size), flags, QString::fromStdString(caption));
    }
    int left = img.width(), top = img.height(), right = -1, bottom = -1;
    for (int y = 0; y < img.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x)
            if (qAlpha(row[x]) != 0) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    }
    Text t;
    if (right >= 0) {
        t.offset = QPoint(left, top);
        t.ink = img.copy(left, top, right - left + 1, bottom - top + 1);
    }
    return texts_
        .emplace(TextKey{caption, font, size.width(), size.height(), centred}, std::move(t))
        .first->second;
}

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
    now_.clear();
    collect(window, area.topLeft(), area, 0, now_);
    QRegion out;
    if (area != lookArea_ || window.color() != lookColor_ || now_.size() != looks_.size()) {
        out = area;
    } else {
        for (std::size_t i = 0; i < now_.size(); ++i)
            if (!(now_[i] == looks_[i])) {
                out += looks_[i].rect;
                out += now_[i].rect;
            }
    }
    std::swap(looks_, now_);
    lookArea_ = area;
    lookColor_ = window.color();
    return out;
}

void TreePainter::collect(const Widget& container, QPoint origin, QRect clip,
                          std::uint64_t revision, std::vector<Look>& out) const {
    // Every widget of the tree, in any fixed order: the same one each time.
    for (const Widget* w : container.children()) {
        const QRect rect(origin.x() + w->left(), origin.y() + w->top(), w->width(), w->height());
        const QRect shown = drawable(*w) ? (clip & rect) : QRect();
        const std::uint64_t own = revision + w->revision();
        out.push_back(Look{shown, shown.isEmpty() ? 0 : own});
        collect(*w, rect.topLeft(), shown, own, out);
    }
}

}  // namespace tk::qt
