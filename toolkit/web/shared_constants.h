// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The values the page's JavaScript shares with the module, taken from the C++ that
// defines them: the build writes the page's copy from here (shared_constants.js, by
// tools/shared_constants), and the module answers for them (tkw_constant), so the page
// can tell when its files and the module come from different builds. Plain C++: the
// desktop build compiles it into the generator.

#include <cstdint>
#include <string>
#include <vector>

namespace tk::web {

struct SharedConstant {
    std::string name;  // as the page knows it: B.SHARED[name]
    int value;         // never negative
};

// The modifier bits (SHIFT, CTRL, ALT), the window states (STATE_NORMAL, ...), the
// display list's operations (OP_CLIP, ...) and every key of the shared table (KEY_A,
// KEY_NUM0, KEY_F5, KEY_SPACE, ...).
const std::vector<SharedConstant>& sharedConstants();

// The value of a shared constant, or -1 for a name that is none.
int sharedConstant(const std::string& name);

// How a browser's KeyboardEvent names a key of the shared table: letters, the function
// keys and the named keys by what they type (`key`, a letter in upper case), the digit
// row and the keypad by where they are (`code`), so that Shift and NumLock leave them be.
struct DomKey {
    bool byCode;
    std::string value;
    std::uint8_t virtualKey;
};
const std::vector<DomKey>& domKeys();

}  // namespace tk::web
