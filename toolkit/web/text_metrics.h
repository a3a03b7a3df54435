// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <memory>
#include <string>
#include <unordered_map>

#include "toolkit/widget.h"

namespace tk::web {

// Captions measured by the page's canvas in the web fonts it serves. Counter captions
// repeat many times a second, so sizes are remembered per font.
class WebTextMetrics : public TextMetrics {
  public:
    Size measure(const Font& font, const std::string& text) const override;

  private:
    mutable std::unordered_map<std::string, std::unordered_map<std::string, Size>> sizes_;
};

}  // namespace tk::web
