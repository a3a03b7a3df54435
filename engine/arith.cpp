// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "engine/arith.h"

namespace brisco2 {

std::string counterCaption(std::string_view prefix, std::int32_t value, std::string_view suffix) {
    std::string text(prefix);
    if (value >= 10000) text += ' ';
    text += std::to_string(value);
    text += suffix;
    return text;
}

}  // namespace brisco2
