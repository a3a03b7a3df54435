// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>

namespace tk {

// The one place where the trees' font names meet the free fonts that stand in for
// them on every platform (Debian's fonts-liberation2 and fonts-dejavu-core; the
// browser edition serves the same faces as web fonts).
std::string substituteFamily(const std::string& name);

}  // namespace tk
