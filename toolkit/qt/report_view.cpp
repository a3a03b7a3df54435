// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "toolkit/qt/report_view.h"

#include <QMessageBox>
#include <QString>
#include <algorithm>

namespace tk::qt {

QtReportView::~QtReportView() {
    for (const QPointer<QMessageBox>& box : boxes_)
        if (box) {
            box->disconnect();
            delete box.data();
        }
}

void QtReportView::show(const Report& report) {
    std::erase_if(boxes_, [](const QPointer<QMessageBox>& b) { return b.isNull(); });
    auto* box = new QMessageBox(QMessageBox::Critical, QString::fromStdString(report.caption),
                                QString::fromStdString(report.text), QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    const int id = report.id;
    QObject::connect(box, &QMessageBox::finished, box, [this, id] { app_.closeReport(id); });
    boxes_.emplace_back(box);
    // show(), not exec(), which would run a loop of its own, nor open(), which makes
    // the box modal to no window at all.
    box->show();
}

std::vector<QMessageBox*> QtReportView::openBoxes() const {
    std::vector<QMessageBox*> out;
    for (const QPointer<QMessageBox>& b : boxes_)
        if (b && b->isVisible()) out.push_back(b.data());
    return out;
}

}  // namespace tk::qt
