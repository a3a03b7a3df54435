// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "toolkit/web/report_view.h"

#include "toolkit/web/imports.h"

namespace tk::web {

void WebReportView::show(const Report& report) {
    tkw_report_show(report.id, report.caption.c_str(), report.text.c_str());
}

}  // namespace tk::web
