// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <functional>
#include <string>

#include "tools/replay/script.h"
#include "tools/replay/session.h"

namespace brisco2::replay {

// The music device of a recorded session: it answers each open with the next `music`
// answer of the script, in order, and plays nothing. Once they are used up (or when the
// script has none) `fallback` answers.
MediaFactory recordedMusic(const Script& script, MediaFactory fallback);

// Runs a checked script on a session that stands at 0 ms. At each command's time every
// tick due at or before it is delivered first, then the command runs; commands of the
// same time run in file order. `late` delivers its round instead (Session::deliverLate);
// `music` answers were handed to the device when the session was made
// (recordedMusic). Each dump is handed to `onDump` as one line without its newline; each
// `check` to `onCheck`, with the digest of the session's state at that point.
using CheckSink = std::function<void(const Command& check, const std::string& digest)>;
void runScript(const Script& script, Session& session,
               const std::function<void(const std::string&)>& onDump,
               const CheckSink& onCheck = {});

}  // namespace brisco2::replay
