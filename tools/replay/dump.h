// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>
#include <string_view>

#include <cstdint>

namespace tk {
class Application;
}

namespace brisco2 {
class Session;
struct Game;
}  // namespace brisco2

namespace brisco2::replay {

// The state of a game at `ms` as one JSON object on one line (no newline at the end):
// the time, the globals, every timer of both windows, every widget and menu item of the
// main window, both windows, the music player and every report so far.
void appendDump(std::string& out, const Game& game, const tk::Application& app, std::int64_t ms);
void appendDump(std::string& out, Session& session);

// A short digest of the whole state the game goes on from after its last event at `ms`:
// what a dump holds but for what depends on the machine (compare.h, as for a recording),
// each timer's phase and the random generator's state. kDigestDigits lower-case hex
// digits. A timer's phase is its first due time after `ms`: a real loop leaves a sleeping
// timer's ticks, which change nothing, to be caught up later, while the replay runs them.
std::string stateDigest(const Game& game, const tk::Application& app, std::int64_t ms);

// `text` as a JSON string literal. Valid UTF-8 is kept; a byte that is not part of a
// valid UTF-8 sequence is taken as Latin-1 and written as \u00XX, so captions in the
// old single-byte code page come out readable and the output stays valid UTF-8.
void appendJsonString(std::string& out, std::string_view text);

}  // namespace brisco2::replay
