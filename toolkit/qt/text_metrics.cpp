// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "toolkit/qt/text_metrics.h"

#include <QFontMetrics>

#include "toolkit/qt/fonts.h"

namespace tk::qt {

namespace {
constexpr std::size_t kRemembered = 4096;  // per font; the table starts over when full
}

struct QtTextMetrics::PerFont {
    explicit PerFont(const Font& f) : metrics(toQFont(f)) {}
    QFontMetrics metrics;
    std::unordered_map<std::string, Size> sizes;
};

QtTextMetrics::QtTextMetrics() = default;
QtTextMetrics::~QtTextMetrics() = default;

std::string QtTextMetrics::key(const Font& f) {
    return f.name + '/' + std::to_string(f.height) + (f.bold ? "b" : "") + (f.italic ? "i" : "");
}

Size QtTextMetrics::measure(const Font& font, const std::string& text) const {
    auto& slot = fonts_[key(font)];
    if (!slot) slot = std::make_unique<PerFont>(font);
    auto& sizes = slot->sizes;
    if (auto it = sizes.find(text); it != sizes.end()) return it->second;
    if (sizes.size() >= kRemembered) sizes.clear();
    const QFontMetrics& fm = slot->metrics;
    Size s{fm.horizontalAdvance(QString::fromStdString(text)), fm.height()};
    sizes.emplace(text, s);
    return s;
}

}  // namespace tk::qt
