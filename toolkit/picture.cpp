// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "toolkit/picture.h"

#include <array>
#include <charconv>
#include <string>
#include <string_view>

#include "toolkit/error.h"
#include "toolkit/text.h"

namespace tk {

namespace {

// Far above any icon; keeps a corrupt header from asking for gigabytes.
constexpr int kMaxSide = 4096;
constexpr int kUnknown = -2;

[[noreturn]] void fail(std::size_t line, const std::string& what) {
    throw Error("XPM line " + std::to_string(line + 1) + ": " + what);
}

std::vector<std::string_view> tokens(std::string_view text) {
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
        std::size_t start = i;
        while (i < text.size() && text[i] != ' ' && text[i] != '\t') ++i;
        if (i > start) out.push_back(text.substr(start, i - start));
    }
    return out;
}

bool parseInt(std::string_view text, int& value) {
    if (text.empty() || text[0] == '-' || text[0] == '+') return false;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Only "#rrggbb" and "None": colour names mean different things to different readers
// (X11 "green" is lime), so the files spell every colour out.
int paletteIndex(std::size_t line, std::string_view value) {
    if (tk::equalsIgnoreCase(value, "none")) return Picture::kTransparent;
    if (value.size() != 7 || value[0] != '#') {
        fail(line, "colour \"" + std::string(value) + "\" is not of the form #rrggbb or None");
    }
    std::uint32_t rgb = 0;
    for (std::size_t i = 1; i < 7; ++i) {
        int d = hexDigit(value[i]);
        if (d < 0) fail(line, "colour \"" + std::string(value) + "\" is not hexadecimal");
        rgb = (rgb << 4) | std::uint32_t(d);
    }
    for (int i = 0; i < 16; ++i) {
        if (colors::standard16[i].rgb == rgb) return i;
    }
    fail(line, "colour " + Color(rgb).hex() + " is not one of the standard 16 colours");
}

// Length of a C string, looking at no more than `limit` + 1 characters.
std::size_t boundedLength(const char* text, std::size_t limit) {
    std::size_t n = 0;
    while (n <= limit && text[n] != '\0') ++n;
    return n;
}

}  // namespace

Picture Picture::fromXpm(const char* const* xpm, std::size_t lines) {
    if (xpm == nullptr || lines == 0) throw Error("XPM: no header line");
    for (std::size_t i = 0; i < lines; ++i) {
        if (xpm[i] == nullptr) fail(i, "missing string");
    }

    const auto header = tokens(xpm[0]);
    if (header.size() != 4 && header.size() != 6) {
        fail(0, "header must be \"width height colours chars-per-pixel [x-hot y-hot]\"");
    }
    int values[6] = {};
    for (std::size_t i = 0; i < header.size(); ++i) {
        if (!parseInt(header[i], values[i])) {
            fail(0, "header value \"" + std::string(header[i]) + "\" is not a number");
        }
    }
    const int width = values[0], height = values[1], colourCount = values[2], cpp = values[3];
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) {
        fail(0,
             "size " + std::to_string(width) + "x" + std::to_string(height) + " is out of range");
    }
    if (colourCount < 1 || colourCount > 255) {
        fail(0, "colour count " + std::to_string(colourCount) + " is out of range");
    }
    if (cpp != 1) fail(0, "only one character per pixel is supported, not " + std::to_string(cpp));
    const std::size_t expected = 1 + std::size_t(colourCount) + std::size_t(height);
    if (lines != expected) {
        throw Error("XPM: expected " + std::to_string(expected) + " strings, got " +
                    std::to_string(lines));
    }

    std::array<int, 256> table;
    table.fill(kUnknown);
    for (std::size_t line = 1; line <= std::size_t(colourCount); ++line) {
        const char* text = xpm[line];
        if (text[0] == '\0') fail(line, "empty colour line");
        const auto key = static_cast<unsigned char>(text[0]);
        if (table[key] != kUnknown) fail(line, "pixel character defined twice");
        const auto fields = tokens(text + 1);
        if (fields.empty() || fields.size() % 2 != 0)
            fail(line, "colour line needs key/value pairs");
        int index = kUnknown;
        for (std::size_t i = 0; i < fields.size(); i += 2) {
            const std::string_view kind = fields[i];
            if (kind == "c") {
                index = paletteIndex(line, fields[i + 1]);
            } else if (kind != "m" && kind != "s" && kind != "g" && kind != "g4") {
                fail(line, "unknown colour key \"" + std::string(kind) + "\"");
            }
        }
        if (index == kUnknown) fail(line, "no colour (\"c\") given");
        table[key] = index;
    }

    std::vector<signed char> pixels(std::size_t(width) * std::size_t(height));
    for (int y = 0; y < height; ++y) {
        const std::size_t line = 1 + std::size_t(colourCount) + std::size_t(y);
        const char* row = xpm[line];
        const std::size_t length = boundedLength(row, std::size_t(width));
        if (length != std::size_t(width)) {
            fail(line, "row has " + std::string(length > std::size_t(width) ? "more" : "fewer") +
                           " than " + std::to_string(width) + " pixels");
        }
        for (int x = 0; x < width; ++x) {
            const int index = table[static_cast<unsigned char>(row[x])];
            if (index == kUnknown)
                fail(line, "undefined pixel character '" + std::string(1, row[x]) + "'");
            pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)] =
                static_cast<signed char>(index);
        }
    }
    return Picture(width, height, std::move(pixels));
}

int Picture::index(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        throw Error("pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") is outside the " +
                    std::to_string(width_) + "x" + std::to_string(height_) + " picture");
    }
    return pixels_[std::size_t(y) * std::size_t(width_) + std::size_t(x)];
}

Color Picture::color(int x, int y) const {
    const int i = index(x, y);
    if (i == kTransparent) {
        throw Error("pixel (" + std::to_string(x) + ", " + std::to_string(y) +
                    ") is transparent and has no colour");
    }
    return colors::standard16[i];
}

}  // namespace tk
