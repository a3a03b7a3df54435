// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>
#include <string>

namespace tk {

// 24-bit RGB, stored as 0xRRGGBB.
struct Color {
    std::uint32_t rgb = 0;

    constexpr Color() = default;
    constexpr explicit Color(std::uint32_t v) : rgb(v & 0xFFFFFFu) {}
    constexpr Color(int r, int g, int b)
        : rgb((std::uint32_t(r & 0xFF) << 16) | (std::uint32_t(g & 0xFF) << 8) |
              std::uint32_t(b & 0xFF)) {}

    constexpr int red() const { return int((rgb >> 16) & 0xFF); }
    constexpr int green() const { return int((rgb >> 8) & 0xFF); }
    constexpr int blue() const { return int(rgb & 0xFF); }
    constexpr bool operator==(const Color&) const = default;

    // "#rrggbb", lower case.
    std::string hex() const;
};

namespace colors {
inline constexpr Color black{0, 0, 0};
inline constexpr Color maroon{128, 0, 0};
inline constexpr Color green{0, 128, 0};
inline constexpr Color olive{128, 128, 0};
inline constexpr Color navy{0, 0, 128};
inline constexpr Color purple{128, 0, 128};
inline constexpr Color teal{0, 128, 128};
inline constexpr Color grey{128, 128, 128};
inline constexpr Color silver{192, 192, 192};
inline constexpr Color red{255, 0, 0};
inline constexpr Color lime{0, 255, 0};
inline constexpr Color yellow{255, 255, 0};
inline constexpr Color blue{0, 0, 255};
inline constexpr Color fuchsia{255, 0, 255};
inline constexpr Color aqua{0, 255, 255};
inline constexpr Color white{255, 255, 255};

// The system colours of the standard scheme.
inline constexpr Color buttonFace = silver;
inline constexpr Color windowText = black;

// The standard 16-colour set, in its usual palette order.
inline constexpr Color standard16[16] = {black,  maroon, green, olive,  navy, purple,  teal, grey,
                                         silver, red,    lime,  yellow, blue, fuchsia, aqua, white};
}  // namespace colors

}  // namespace tk
