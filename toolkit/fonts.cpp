// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "toolkit/fonts.h"

#include <map>

namespace tk {

std::string substituteFamily(const std::string& name) {
    static const std::map<std::string, std::string> table = {
        {"MS Sans Serif", "Liberation Sans"},  // the small UI face
        {"Neurochrome", "DejaVu Sans"},        // the title: a plain wide sans
        {"Algerian", "Liberation Serif"},      // the maker's name: a heavy serif
        {"System", "DejaVu Sans"},
    };
    auto it = table.find(name);
    return it != table.end() ? it->second : name;
}

}  // namespace tk
