// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "toolkit/headless.h"

#include <cstdlib>

namespace tk {

Size FixedTextMetrics::measure(const Font& font, const std::string& text) const {
    // Roughly the proportions of the small UI font: advance about half the height.
    const int h = std::abs(font.height);
    const int advance = (h + 1) / 2 + (font.bold ? 1 : 0);
    return Size{int(text.size()) * advance, h + h / 5 + 1};
}

}  // namespace tk
