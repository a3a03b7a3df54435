// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Writes the page's shared_constants.js from the C++ that defines the values:
//   brisco2-shared-constants [FILE]   (no FILE: to standard output)
#include <cstdio>
#include <fstream>
#include <iostream>

#include "toolkit/web/shared_constants.h"

int main(int argc, char** argv) {
    if (argc > 2) {
        std::cerr << "usage: brisco2-shared-constants [FILE]\n";
        return 2;
    }
    const std::string script = tk::web::sharedConstantsScript();
    if (argc == 1) {
        std::cout << script;
        return std::cout.flush() ? 0 : 1;
    }
    // Written beside and renamed: a build that stops halfway leaves no half file.
    const std::string path = argv[1], part = path + ".part";
    {
        std::ofstream out(part, std::ios::binary | std::ios::trunc);
        out << script;
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
