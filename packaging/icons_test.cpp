// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The installed icons: each hicolor size is the 32 x 32 application picture blown up
// without smoothing, so every pixel must be exactly the picture's pixel below it.
#include <gtest/gtest.h>

#include <QImage>
#include <QString>
#include <string>

#include "app/forms/pictures.h"
#include "toolkit/picture.h"

namespace {

class IconSize : public ::testing::TestWithParam<int> {};

TEST_P(IconSize, IsTheApplicationPictureScaledByWholePixels) {
    const int size = GetParam();
    const tk::Picture* picture = forms::picture("mainicon");
    ASSERT_NE(picture, nullptr);
    const QString file = QStringLiteral(BRISCO2_ICON_DIR "/%1x%1/apps/brisco2.png").arg(size);
    QImage icon(file);
    ASSERT_FALSE(icon.isNull()) << file.toStdString() << " does not load";
    ASSERT_EQ(icon.width(), size);
    ASSERT_EQ(icon.height(), size);
    icon = icon.convertToFormat(QImage::Format_ARGB32);

    const int factor = size / picture->width();
    int transparent = 0, wrong = 0;
    std::string first;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const int px = x / factor, py = y / factor;
            const QRgb got = icon.pixel(x, y);
            bool ok;
            if (picture->transparent(px, py)) {
                ok = qAlpha(got) == 0;
                ++transparent;
            } else {
                const tk::Color want = picture->color(px, py);
                ok = qAlpha(got) == 255 && qRed(got) == want.red() && qGreen(got) == want.green() &&
                     qBlue(got) == want.blue();
            }
            if (!ok && wrong++ == 0)
                first = "(" + std::to_string(x) + "," + std::to_string(y) + ") is argb #" +
                        QStringLiteral("%1").arg(got, 8, 16, QLatin1Char('0')).toStdString();
        }
    }
    EXPECT_EQ(wrong, 0) << wrong << " pixels differ from the picture, first " << first;
    // The picture has a transparent margin; an icon without one lost its mask.
    EXPECT_GT(transparent, 0);
}

INSTANTIATE_TEST_SUITE_P(Hicolor, IconSize, ::testing::Values(BRISCO2_ICON_SIZE_LIST),
                         [](const auto& info) { return std::to_string(info.param) + "px"; });

}  // namespace
