// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "toolkit/qt/fonts.h"

#include <algorithm>
#include <cstdlib>

#include "toolkit/fonts.h"

namespace tk::qt {

QFont toQFont(const Font& f) {
    QFont q(QString::fromStdString(substituteFamily(f.name)));
    // A negative height is the character height in pixels without internal leading.
    q.setPixelSize(std::max(1, std::abs(f.height)));
    q.setBold(f.bold);
    q.setItalic(f.italic);
    q.setStyleStrategy(QFont::NoAntialias);
    q.setHintingPreference(QFont::PreferFullHinting);
    return q;
}

}  // namespace tk::qt
