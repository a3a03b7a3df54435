#pragma once

#include <QFont>

#include "toolkit/widget.h"

namespace tk::qt {

// The font as Qt draws it: the stand-in family (tk::substituteFamily) at the pixel size.
QFont toQFont(const Font& font);

}  // namespace tk::qt
