// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The game's command line, read before anything of the windowing system starts, so
// that --help and --version answer without a display. The game itself takes no
// arguments; --record only writes down what the player does.

#include <string>

namespace brisco2 {

struct CommandLine {
    enum class Action {
        Play,     // no option: the game runs
        Help,     // print helpText() and exit 0
        Version,  // print versionText() and exit 0
        Misused,  // print `error` and kUsageLine on standard error and exit 2
    };
    Action action = Action::Play;
    std::string error;       // with Misused: what is wrong, naming the argument
    std::string recordPath;  // with Play: where --record writes the session; empty: nowhere
};

// Reads argv[1] .. argv[argc - 1] in order; the first option that decides wins.
CommandLine parseCommandLine(int argc, const char* const* argv);

extern const char* const kUsageLine;
std::string helpText();
std::string versionText();

}  // namespace brisco2
