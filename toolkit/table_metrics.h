// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "toolkit/widget.h"

namespace tk {

// One font's caption metrics as the desktop measures them, for the printable ASCII
// characters: each one's advance and each pair's kerning, in 1/64 pixel, and the line
// height in pixels. A caption's width is the sum, rounded as the desktop rounds it.
// Kerning depends on the writing system of the text around a pair: a caption with a
// letter is Latin text throughout, one without (digits, signs) is not, and fonts kern
// some pairs (such as "11") only in Latin text.
struct FontMetricsTable {
    static constexpr int kFirst = 0x20;  // ' '
    static constexpr int kCount = 0x7f - kFirst;

    const char* name;  // as the trees name it, with its height and style
    int height;
    bool bold;
    bool italic;
    int lineHeight;
    const std::int32_t* advances;       // kCount
    const std::int16_t* kerning;        // kCount x kCount, first character major
    const std::int16_t* commonKerning;  // the same, in a caption without letters
};

// Caption extents from such tables: no font machinery at run time. A font or a
// character the tables do not hold is an error that names it, never a guess.
class TableTextMetrics : public TextMetrics {
  public:
    explicit TableTextMetrics(std::span<const FontMetricsTable> tables) : tables_(tables) {}
    Size measure(const Font& font, const std::string& text) const override;

  private:
    const FontMetricsTable& table(const Font& font) const;

    std::span<const FontMetricsTable> tables_;
};

}  // namespace tk
