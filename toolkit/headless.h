// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "toolkit/application.h"
#include "toolkit/widget.h"
#include "toolkit/window.h"

namespace tk {

// Text measured without any font machinery: a fixed advance per character. For tests
// that must not depend on the fonts of the machine.
class FixedTextMetrics : public TextMetrics {
  public:
    Size measure(const Font& font, const std::string& text) const override;
};

// A window host without a screen: a frame of 4 px left, right and bottom and a 23 px
// caption bar while sizeable unless told otherwise, none while borderless; nothing
// painted.
class HeadlessHost : public WindowHost {
  public:
    static constexpr FrameExtents kSizeableFrame{4, 23, 4, 4};
    void windowChanged(Window&) override {}
    void contentChanged(Window&) override {}
    FrameExtents decoration(const Window&) const override { return decoration_; }
    void setDecoration(FrameExtents f) { decoration_ = f; }

  private:
    FrameExtents decoration_ = kSizeableFrame;
};

// Reports are only recorded by the application; nothing is shown.
class RecordingReportView : public ReportView {
  public:
    void show(const Report&) override {}
};

}  // namespace tk
