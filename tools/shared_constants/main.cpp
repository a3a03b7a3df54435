// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Writes the page's shared_constants.js from the C++ that defines the values:
//   brisco2-shared-constants [FILE]   (no FILE: to standard output)
#include <cstdio>
#include <fstream>
#include <iostream>

#include "toolkit/web/shared_constants.h"
#include "tools/replay/json.h"

namespace {

using brisco2::replay::Json;

Json number(int value) {
    Json n;
    n.type = Json::Type::Number;
    n.number = value;
    return n;
}

Json object() {
    Json o;
    o.type = Json::Type::Object;
    return o;
}

// The page's shared_constants.js: the values by name as B.SHARED, the keys by a
// KeyboardEvent's `key` and `code` as B.KEYS_BY_KEY and B.KEYS_BY_CODE.
std::string script() {
    Json shared = object(), byKey = object(), byCode = object();
    for (const tk::web::SharedConstant& c : tk::web::sharedConstants())
        shared.members.emplace_back(c.name, number(c.value));
    for (const tk::web::DomKey& k : tk::web::domKeys())
        (k.byCode ? byCode : byKey).members.emplace_back(k.value, number(k.virtualKey));
    return "// The values the page shares with the game's module, written by the build from the\n"
           "// module's own C++ (tools/shared_constants): not to be edited.\n"
           "'use strict';\n\n"
           "(function (B) {\n"
           "  // By name; page.js checks them against the module's at start.\n"
           "  B.SHARED = " +
           shared.str() +
           ";\n"
           "  // The virtual-key codes of a KeyboardEvent's `key` (a letter in upper case)\n"
           "  // and of its `code`.\n"
           "  B.KEYS_BY_KEY = " +
           byKey.str() +
           ";\n"
           "  B.KEYS_BY_CODE = " +
           byCode.str() +
           ";\n"
           "})(window.Brisco = window.Brisco || {});\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 2) {
        std::cerr << "usage: brisco2-shared-constants [FILE]\n";
        return 2;
    }
    const std::string text = script();
    if (argc == 1) {
        std::cout << text;
        return std::cout.flush() ? 0 : 1;
    }
    // Written beside and renamed: a build that stops halfway leaves no half file.
    const std::string path = argv[1], part = path + ".part";
    {
        std::ofstream out(part, std::ios::binary | std::ios::trunc);
        out << text;
        if (!out.flush()) {
            std::cerr << "brisco2-shared-constants: cannot write " << part << '\n';
            return 1;
        }
    }
    if (std::rename(part.c_str(), path.c_str()) != 0) {
        std::cerr << "brisco2-shared-constants: cannot write " << path << '\n';
        return 1;
    }
    return 0;
}
