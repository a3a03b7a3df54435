// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "toolkit/application.h"

namespace tk::web {

// The default error report as the page's modal box: caption, error icon, text and OK.
// The page shows one box at a time and says which one was closed.
class WebReportView : public ReportView {
  public:
    void show(const Report& report) override;
};

}  // namespace tk::web
