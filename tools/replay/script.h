// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The replay script: read and checked as a whole before anything runs. No Qt and no
// game here, so the parser can be fuzzed on its own.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/menu.h"

namespace brisco2::replay {

// Bounds of the numbers a script may hold. Times stay far below the point where the
// clock's nanoseconds would overflow; sizes are what a window system can hold.
inline constexpr std::int64_t kMaxTimeMs = 1'000'000'000'000;  // about 31 years
inline constexpr int kMinWindowSize = 1;
inline constexpr int kMaxWindowSize = 32767;

enum class Op { Key, MouseDown, MouseUp, Resize, Maximize, Minimize, Restore, Dismiss, Dump, End };

struct Command {
    std::int64_t timeMs = 0;
    Op op = Op::Dump;
    int line = 0;  // physical line, from 1
    // key
    std::uint8_t vk = 0;
    tk::Shortcut modifiers = 0;
    bool toForm2 = false;
    // resize: outer size
    int width = 0;
    int height = 0;
};

struct Script {
    std::uint32_t seed = 0;
    std::vector<Command> commands;
};

// Parses a whole script. On failure returns false and sets `error` to
// "NAME:LINE: message" (one line, printable ASCII only); `out` is then unspecified.
bool parseScript(std::string_view text, const std::string& name, Script& out, std::string& error);

// Reads the file at `path` ("-": standard input) and parses it. A file that cannot be
// read gives "PATH:0: message".
bool loadScript(const std::string& path, Script& out, std::string& error);

// A key name with optional "shift+", "ctrl+", "alt+" prefixes (any case): a letter,
// a digit-row digit, NUM0..NUM9, F1..F12, SPACE, ENTER, ESC, LEFT, RIGHT, UP, DOWN or
// VK:N (0..255).
bool parseKeyName(std::string_view text, std::uint8_t& vk, tk::Shortcut& modifiers);

}  // namespace brisco2::replay
