#pragma once

#include "toolkit/widget.h"

namespace tk::qt {

// Caption extents in the substituted fonts. Needs a QGuiApplication (the offscreen
// platform is enough).
class QtTextMetrics : public TextMetrics {
  public:
    Size measure(const Font& font, const std::string& text) const override;
};

}  // namespace tk::qt
