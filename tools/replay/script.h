// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The replay script: read and checked as a whole before anything runs. No Qt and no
// game here, so the parser can be fuzzed on its own.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/menu.h"
#include "toolkit/window.h"

namespace brisco2::replay {

// Bounds of the numbers a script may hold. Times stay far below the point where the
// clock's nanoseconds would overflow; sizes are what a window system can hold.
inline constexpr std::int64_t kMaxTimeMs = 1'000'000'000'000;  // about 31 years
inline constexpr int kMinWindowSize = 1;
inline constexpr int kMaxWindowSize = 32767;

// Bounds of a window manager's frame, each side.
inline constexpr int kMaxFrame = 1000;

enum class Op {
    Key,
    MouseDown,
    MouseUp,
    Resize,
    Maximize,
    Minimize,
    Restore,
    Dismiss,
    Dump,
    End,
    // What a recording of a real window adds (see the recorder).
    Late,   // a round of ticks delivered after its due time
    Frame,  // the window manager's frame around a window with a border
    Music,  // the answer of the music device to one open
    Check,  // the digest of the whole state after the last event (replay::stateDigest)
};

// A digest is this many hex digits.
inline constexpr std::size_t kDigestDigits = 16;

struct Command {
    std::int64_t timeMs = 0;
    Op op = Op::Dump;
    int line = 0;  // physical line, from 1
    // key
    std::uint8_t vk = 0;
    tk::Shortcut modifiers = 0;
    // key, resize, maximize, minimize, restore: to the second window
    bool toForm2 = false;
    // resize: outer size
    int width = 0;
    int height = 0;
    // dismiss: the report's number (from 1, in the order they were shown); 0: the oldest
    // open one
    int reportId = 0;
    // late: when the round's earliest tick was due
    std::int64_t dueMs = 0;
    // frame
    tk::FrameExtents frame;
    // music: whether the open succeeded, and the failure's text; check: the digest, in
    // lower-case hex
    bool musicOk = true;
    std::string text;
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
// The name parseKeyName reads back as the same key: the plain name where there is one,
// else VK:N; modifiers as lower-case prefixes.
std::string keyName(std::uint8_t vk, tk::Shortcut modifiers);

// A text as one script token: printable ASCII stays, every other byte and '%' and '#'
// become %XX. parseScript decodes it.
std::string encodeText(std::string_view text);

}  // namespace brisco2::replay
