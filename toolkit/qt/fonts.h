// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QFont>

#include "toolkit/widget.h"

namespace tk::qt {

// The font as Qt draws it: the stand-in family (tk::substituteFamily) at the pixel size.
QFont toQFont(const Font& font);

}  // namespace tk::qt
