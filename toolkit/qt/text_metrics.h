// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <map>
#include <memory>
#include <string>
#include <unordered_map>

#include "toolkit/widget.h"

class QFontMetrics;

namespace tk::qt {

// Caption extents in the substituted fonts. Needs a QGuiApplication (the offscreen
// platform is enough). Counter captions change many times a second and repeat, so
// results are remembered (a bounded table per font).
class QtTextMetrics : public TextMetrics {
  public:
    QtTextMetrics();
    ~QtTextMetrics() override;
    Size measure(const Font& font, const std::string& text) const override;

  private:
    struct PerFont;
    static std::string key(const Font& font);
    mutable std::map<std::string, std::unique_ptr<PerFont>> fonts_;
};

}  // namespace tk::qt
