// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The drawing rules, checked on pixels of the main window painted offscreen by the
// code that paints the real window.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <set>

#include "app/forms/pictures.h"
#include "tests/qt_support.h"
#include "toolkit/qt/fonts.h"
#include "toolkit/qt/text_metrics.h"
#include "toolkit/qt/tree_painter.h"
#include "tools/replay/session.h"

using tk::Color;
namespace colors = tk::colors;

namespace {

constexpr int kWidth = 497, kHeight = 304;

Color at(const QImage& img, int x, int y) {
    return Color(std::uint32_t(img.pixel(x, y) & 0xFFFFFF));
}

const tk::Picture& pic(const char* name) {
    const tk::Picture* p = forms::picture(name);
    if (!p) throw std::runtime_error(std::string("no picture ") + name);
    return *p;
}

// The play field's children: `Panel2` lies at the window's top-left corner, so their
// positions are window positions.
struct Painted : ::testing::Test {
    QApplication& qapp = qt_support::application();
    tk::qt::QtTextMetrics metrics;
    brisco2::Session g{brisco2::Session::Options{
        .seed = 0, .media = nullptr, .metrics = &metrics, .quietTicks = tk::QuietTicks::Run}};
    brisco2::TForm1& f = g.form1();
    tk::qt::TreePainter painter;

    QImage render() { return painter.render(g.window1(), kWidth, kHeight); }

    // The window painted with `w` hidden, for what lies beneath it.
    QImage without(tk::Widget& w) {
        const bool was = w.visible();
        w.hide();
        QImage img = render();
        w.setVisible(was);
        return img;
    }

    static bool sameIn(const QImage& a, const QImage& b, QRect r) {
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                if (a.pixel(x, y) != b.pixel(x, y)) return false;
        return true;
    }
};

}  // namespace

TEST_F(Painted, AtLoadTheLogoCoversTheFirstActor) {
    const QImage img = render();
    const tk::Picture& logo = pic("logo1");
    const tk::Picture& actor = pic("act1b");
    ASSERT_EQ(f.act1b->left(), f.logo1->left());
    ASSERT_EQ(f.act1b->top(), f.logo1->top());
    const QImage noLogo = without(*f.logo1);
    int covered = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            if (!logo.transparent(x, y)) {
                EXPECT_EQ(at(img, x, y), logo.color(x, y)) << x << "," << y;
                if (!actor.transparent(x, y) && actor.color(x, y) != logo.color(x, y)) ++covered;
            } else if (!actor.transparent(x, y)) {
                EXPECT_EQ(at(img, x, y), actor.color(x, y)) << x << "," << y;
            }
            // The actor is there, under the logo.
            if (!actor.transparent(x, y)) {
                EXPECT_EQ(at(noLogo, x, y), actor.color(x, y)) << x << "," << y;
            }
        }
    EXPECT_GT(covered, 20);
}

TEST_F(Painted, OverTheMakersNameActorOneDisappearsAndActorTwoShows) {
    const QPoint spot(f.vd->left() + 8, f.vd->top() + 8);
    const QRect square(spot, QSize(33, 33));
    ASSERT_TRUE(QRect(f.vd->left(), f.vd->top(), f.vd->width(), f.vd->height()).contains(square));

    f.act1b->setLeft(spot.x());
    f.act1b->setTop(spot.y());
    const QImage with1 = render();
    EXPECT_TRUE(sameIn(with1, without(*f.act1b), square));

    f.act1b->hide();
    f.act2b->hide();
    f.act2->setLeft(spot.x());
    f.act2->setTop(spot.y());
    const QImage with2 = render();
    EXPECT_FALSE(sameIn(with2, without(*f.act2), square));
    const tk::Picture& actor = pic("act2");
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            if (!actor.transparent(x, y)) {
                EXPECT_EQ(at(with2, spot.x() + x, spot.y() + y), actor.color(x, y))
                    << x << "," << y;
            }
}

TEST_F(Painted, TheBarCutsOffAnActorPassingUnderIt) {
    f.c->show();
    const QRect bar(f.c->left(), f.c->top(), f.c->width(), f.c->height());
    const QPoint spot(bar.left() + 2, bar.top() - 12);  // icon rows 12 to 20 under the bar
    f.act3b->setLeft(spot.x());
    f.act3b->setTop(spot.y());
    const QImage img = render();
    const QImage beneath = without(*f.act3b);
    const tk::Picture& actor = pic("act3b");
    int hidden = 0, shown = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const QPoint p = spot + QPoint(x, y);
            if (bar.contains(p)) {
                EXPECT_EQ(img.pixel(p), beneath.pixel(p)) << x << "," << y;
                if (!actor.transparent(x, y) && actor.color(x, y) != at(img, p.x(), p.y()))
                    ++hidden;
            } else if (!actor.transparent(x, y)) {
                EXPECT_EQ(at(img, p.x(), p.y()), actor.color(x, y)) << x << "," << y;
                ++shown;
            }
        }
    EXPECT_GT(hidden, 10);
    EXPECT_GT(shown, 10);
}

TEST_F(Painted, TheMenuPanelCoversTheBar) {
    f.c->show();
    const int x = f.c->left() + f.c->width() / 2, y = f.c->top() + f.c->height() / 2;
    EXPECT_EQ(at(render(), x, y), colors::grey);
    f.m->show();
    EXPECT_EQ(at(render(), x, y), colors::buttonFace);
}

TEST_F(Painted, ALabelGivenAColourFillsItsWholeRectangle) {
    f.m->show();
    const QRect r(f.m->left() + f.l1->left(), f.m->top() + f.l1->top(), f.l1->width(),
                  f.l1->height());
    auto count = [&](const QImage& img, Color c) {
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x) n += at(img, x, y) == c;
        return n;
    };
    const int area = r.width() * r.height();
    const QImage before = render();
    EXPECT_GT(count(before, colors::buttonFace), area / 2);
    EXPECT_EQ(count(before, colors::red), 0);

    f.l1->setColor(colors::red);
    const QImage after = render();
    EXPECT_EQ(count(after, colors::buttonFace), 0);
    EXPECT_GT(count(after, colors::red), area / 2);
    EXPECT_EQ(count(after, colors::red) + count(after, f.l1->font().color), area);
    // Nothing red outside it.
    EXPECT_NE(at(after, r.right() + 1, r.top()), colors::red);
    EXPECT_NE(at(after, r.left(), r.bottom() + 1), colors::red);
}

TEST_F(Painted, APictureOneRowHighAndABarOfNoWidthDrawNothing) {
    const QRect field(0, 0, 489, 249);
    f.act2b->hide();
    f.act2->setBounds(400, 200, 33, 1);  // only the icon's top row, which is transparent
    EXPECT_TRUE(sameIn(render(), without(*f.act2), field));
    f.act2->setHeight(33);
    EXPECT_FALSE(sameIn(render(), without(*f.act2), field));

    f.c->show();
    const QImage noBar = without(*f.c);
    for (int width : {0, -5}) {
        f.c->setWidth(width);
        EXPECT_TRUE(sameIn(render(), noBar, field)) << width;
    }
}

TEST_F(Painted, PicturesKeepToTheirIconAndTheirParent) {
    // The 105 x 105 logo shows its icon in its top-left 32 x 32 only.
    const QImage img = render();
    const QImage noLogo = without(*f.logo1);
    EXPECT_TRUE(sameIn(img, noLogo, QRect(32, 0, 73, 105)));
    EXPECT_TRUE(sameIn(img, noLogo, QRect(0, 32, 32, 73)));

    // An actor at the play field's right edge is cut off there.
    f.act2b->hide();
    f.act2->setLeft(470);
    f.act2->setTop(100);
    const QImage edge = render();
    const QImage noActor = without(*f.act2);
    EXPECT_TRUE(sameIn(edge, noActor, QRect(489, 100, 8, 33)));
    EXPECT_FALSE(sameIn(edge, noActor, QRect(470, 100, 19, 33)));

    // A hidden panel hides its children: the status panel's labels are visible ones.
    ASSERT_TRUE(f.c2a->visible());
    ASSERT_FALSE(f.Panel3->visible());
    const QRect status(f.Panel3->left(), f.Panel3->top(), f.Panel3->width(), f.Panel3->height());
    const QImage noStatus = render();
    for (int y = status.top(); y <= status.bottom(); ++y)
        for (int x = status.left(); x <= status.right(); ++x)
            ASSERT_NE(at(noStatus, x, y), colors::buttonFace) << x << "," << y;
}

TEST_F(Painted, OnlyWhatChangedIsPaintedAgain) {
    const QRect area(0, 0, kWidth, kHeight);
    EXPECT_EQ(painter.damage(g.window1(), area), QRegion(area));
    EXPECT_TRUE(painter.damage(g.window1(), area).isEmpty());

    const QRect before(f.act2->left(), f.act2->top(), 33, 33);
    f.act2->setLeft(f.act2->left() + 10);
    const QRect after(f.act2->left(), f.act2->top(), 33, 33);
    EXPECT_EQ(painter.damage(g.window1(), area), QRegion(before) + QRegion(after));

    f.men->setCaption("hidden anyway");  // a hidden label changes nothing on screen
    EXPECT_TRUE(painter.damage(g.window1(), area).isEmpty());

    f.m->show();
    const QRegion shown = painter.damage(g.window1(), area);
    EXPECT_EQ(shown.boundingRect(), QRect(f.m->left(), f.m->top(), f.m->width(), f.m->height()));

    EXPECT_EQ(painter.damage(g.window1(), QRect(0, 0, 300, 200)), QRegion(0, 0, 300, 200));
}

TEST_F(Painted, ACaptionDrawnFromItsKeptImageIsTheCaptionDrawnInPlace) {
    // A panel's caption is centred, a label's starts at its corner; the bevel and the
    // background are not the caption's: both are drawn on the same grey.
    f.va->setCaption("Game Over!");
    f.m->show();
    int compared = 0;
    for (const tk::Widget* w : g.window1().widgets()) {
        if (!w->hasCaption() || w->caption().empty() || w->width() <= 0 || w->height() <= 0)
            continue;
        const bool centred = w->kind() != tk::WidgetKind::Label;
        const QSize size(w->width(), w->height());
        QImage direct(size, QImage::Format_RGB32), kept(size, QImage::Format_RGB32);
        direct.fill(Qt::gray);
        kept.fill(Qt::gray);
        {
            QPainter p(&direct);
            p.setRenderHint(QPainter::TextAntialiasing, false);
            p.setFont(tk::qt::toQFont(w->font()));
            p.setPen(
                QColor(w->font().color.red(), w->font().color.green(), w->font().color.blue()));
            p.drawText(
                QRect(QPoint(0, 0), size),
                (centred ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignTop) | Qt::TextSingleLine,
                QString::fromStdString(w->caption()));
        }
        const auto& t = painter.text(w->font(), w->caption(), size, centred);
        ASSERT_FALSE(t.ink.isNull()) << w->name();
        QPainter(&kept).drawImage(t.offset, t.ink);
        EXPECT_EQ(direct, kept) << w->name() << " \"" << w->caption() << '"';
        // The same caption again is the same image, not a new one.
        EXPECT_EQ(&painter.text(w->font(), w->caption(), size, centred), &t);
        ++compared;
    }
    EXPECT_GT(compared, 30);
    EXPECT_TRUE(painter.text(f.p->font(), " ", QSize(3, 13), false).ink.isNull());
}

TEST_F(Painted, PicturesStayCrispWhenScaled) {
    const tk::Picture& logo = pic("logo1");
    const std::set<std::uint32_t> palette = [] {
        std::set<std::uint32_t> s;
        for (Color c : colors::standard16) s.insert(c.rgb);
        return s;
    }();
    for (double scale : {1.5, 2.0}) {
        const int w = int(kWidth * scale), h = int(kHeight * scale);
        QImage img(w, h, QImage::Format_RGB32);
        img.setDevicePixelRatio(scale);
        QPainter p(&img);
        painter.paint(p, g.window1(), QRect(0, 0, kWidth, kHeight));
        p.end();
        const int side = int(32 * scale);
        // No blended colour anywhere in the logo: every pixel one of the 16.
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x)
                ASSERT_TRUE(palette.count(at(img, x, y).rgb))
                    << scale << ": " << x << "," << y << " " << at(img, x, y).hex();
        if (scale == 2.0)
            for (int y = 0; y < 32; ++y)
                for (int x = 0; x < 32; ++x)
                    if (!logo.transparent(x, y)) {
                        for (int d = 0; d < 4; ++d)
                            ASSERT_EQ(at(img, 2 * x + d % 2, 2 * y + d / 2), logo.color(x, y))
                                << x << "," << y;
                    }
    }
}
