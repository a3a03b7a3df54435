// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "toolkit/table_metrics.h"

#include <cstdio>

#include "toolkit/error.h"

namespace tk {

const FontMetricsTable& TableTextMetrics::table(const Font& font) const {
    for (const FontMetricsTable& t : tables_)
        if (t.height == font.height && t.bold == font.bold && t.italic == font.italic &&
            font.name == t.name)
            return t;
    throw Error("no caption metrics for the font \"" + font.name + "\" " +
                std::to_string(font.height) + (font.bold ? " bold" : "") +
                (font.italic ? " italic" : ""));
}

Size TableTextMetrics::measure(const Font& font, const std::string& text) const {
    const FontMetricsTable& t = table(font);
    const std::int16_t* kerning = t.commonKerning;
    for (const char ch : text)
        if ((ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z')) {
            kerning = t.kerning;
            break;
        }
    std::int64_t sum = 0;  // 1/64 pixel
    int previous = -1;
    for (const char ch : text) {
        const int i = static_cast<unsigned char>(ch) - FontMetricsTable::kFirst;
        if (i < 0 || i >= FontMetricsTable::kCount) {
            char code[8];
            std::snprintf(code, sizeof code, "%02X", static_cast<unsigned char>(ch));
            throw Error(std::string("no caption metrics for the character 0x") + code);
        }
        sum += t.advances[i];
        if (previous >= 0) sum += kerning[previous * FontMetricsTable::kCount + i];
        previous = i;
    }
    // To the nearest pixel, halves up.
    const auto width = static_cast<int>((sum + 32) >> 6);
    return Size{width, t.lineHeight};
}

}  // namespace tk
