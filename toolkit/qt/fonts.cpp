// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "toolkit/qt/fonts.h"

#include <algorithm>
#include <cstdlib>
#include <map>

namespace tk::qt {

QString substituteFamily(const std::string& name) {
    // Free fonts of similar size from Debian's font packages (scripts/install-deps).
    static const std::map<std::string, QString> table = {
        {"MS Sans Serif", "Liberation Sans"},  // the small UI face
        {"Neurochrome", "DejaVu Sans"},        // the title: a plain wide sans
        {"Algerian", "Liberation Serif"},      // the maker's name: a heavy serif
        {"System", "DejaVu Sans"},
    };
    auto it = table.find(name);
    return it != table.end() ? it->second : QString::fromStdString(name);
}

QFont toQFont(const Font& f) {
    QFont q(substituteFamily(f.name));
    // A negative height is the character height in pixels without internal leading.
    q.setPixelSize(std::max(1, std::abs(f.height)));
    q.setBold(f.bold);
    q.setItalic(f.italic);
    q.setStyleStrategy(QFont::NoAntialias);
    q.setHintingPreference(QFont::PreferFullHinting);
    return q;
}

}  // namespace tk::qt
