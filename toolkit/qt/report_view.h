// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QPointer>
#include <vector>

#include "toolkit/application.h"

class QMessageBox;

namespace tk::qt {

// The default error report as a message box: application-modal, yet opened without a
// nested event loop, so timers keep ticking while it shows. Closing it closes the
// report; the box deletes itself.
class QtReportView : public ReportView {
  public:
    explicit QtReportView(Application& app) : app_(app) {}
    ~QtReportView() override;
    QtReportView(const QtReportView&) = delete;
    QtReportView& operator=(const QtReportView&) = delete;

    void show(const Report& report) override;

    // The boxes still open, oldest first.
    std::vector<QMessageBox*> openBoxes() const;

  private:
    Application& app_;
    std::vector<QPointer<QMessageBox>> boxes_;
};

}  // namespace tk::qt
