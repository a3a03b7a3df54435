// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <span>

#include "toolkit/table_metrics.h"

namespace forms {

// The caption metrics of every font the trees use, taken from the desktop's own text
// measurement when the program is built (tools/font_tables).
std::span<const tk::FontMetricsTable> fontTables();

}  // namespace forms
