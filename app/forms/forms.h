// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "toolkit/form.h"

namespace forms {

// The widget trees of the two windows, as loaded at start.
const tk::FormDesc& form1();
const tk::FormDesc& form2();

}  // namespace forms
