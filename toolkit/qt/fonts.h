// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QFont>

#include "toolkit/widget.h"

namespace tk::qt {

// The one place where the trees' font names meet the fonts this machine has.
QString substituteFamily(const std::string& name);
QFont toQFont(const Font& font);

}  // namespace tk::qt
