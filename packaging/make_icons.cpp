// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Writes the application icon as hicolor PNGs: the 32 x 32 picture blown up by whole
// factors without smoothing, so the pixel art stays crisp on the desktop.
//   brisco2-make-icons OUTDIR SIZE...   ->  OUTDIR/SIZExSIZE/apps/brisco2.png
#include <QDir>
#include <QImage>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/forms/pictures.h"

namespace {

bool parseSize(const char* text, int& size) {
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || v < 16 || v > 1024) return false;
    size = static_cast<int>(v);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: brisco2-make-icons OUTDIR SIZE...\n");
        return 2;
    }
    const auto xpm = forms::xpmSource("mainicon");
    if (xpm.empty()) {
        std::fprintf(stderr, "brisco2-make-icons: no built-in picture \"mainicon\"\n");
        return 1;
    }
    const QImage source =
        QImage(const_cast<const char* const*>(xpm.data())).convertToFormat(QImage::Format_ARGB32);
    if (source.isNull()) {
        std::fprintf(stderr, "brisco2-make-icons: the \"mainicon\" picture does not load\n");
        return 1;
    }
    const QString outDir = QString::fromLocal8Bit(argv[1]);
    for (int i = 2; i < argc; ++i) {
        int size = 0;
        if (!parseSize(argv[i], size) || size % source.width() != 0) {
            std::fprintf(stderr, "brisco2-make-icons: bad size '%s' (a multiple of %d)\n", argv[i],
                         source.width());
            return 2;
        }
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(outDir).arg(size);
        const QString file = dir + QStringLiteral("/brisco2.png");
        const QImage scaled =
            source.scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        if (!QDir().mkpath(dir) || !scaled.save(file, "PNG")) {
            std::fprintf(stderr, "brisco2-make-icons: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
