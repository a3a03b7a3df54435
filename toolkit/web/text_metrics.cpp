// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "toolkit/web/text_metrics.h"

#include "toolkit/web/canvas.h"
#include "toolkit/web/imports.h"

namespace tk::web {

namespace {
constexpr std::size_t kRemembered = 4096;  // per font; the table starts over when full
}

Size WebTextMetrics::measure(const Font& font, const std::string& text) const {
    const std::string css = cssFont(font);
    auto& sizes = sizes_[css];
    if (auto it = sizes.find(text); it != sizes.end()) return it->second;
    if (sizes.size() >= kRemembered) sizes.clear();
    int height = 0;
    const int width = tkw_measure(css.c_str(), text.c_str(), &height);
    const Size s{width, height};
    sizes.emplace(text, s);
    return s;
}

}  // namespace tk::web
