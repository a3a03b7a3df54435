// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/command_line.h"

#include <string_view>

namespace brisco2 {

const char* const kUsageLine = "usage: brisco2 [--record FILE | --help | --version]";

CommandLine parseCommandLine(int argc, const char* const* argv) {
    CommandLine result;
    bool optionsDone = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i] ? argv[i] : "";
        if (!optionsDone && arg == "--") {
            optionsDone = true;
        } else if (!optionsDone && (arg == "-h" || arg == "--help")) {
            result.action = CommandLine::Action::Help;
            return result;
        } else if (!optionsDone && arg == "--version") {
            result.action = CommandLine::Action::Version;
            return result;
        } else if (!optionsDone && arg == "--record") {
            if (i + 1 >= argc || !argv[i + 1] || argv[i + 1][0] == '\0') {
                result.action = CommandLine::Action::Misused;
                result.error = "--record needs a file name";
                return result;
            }
            result.recordPath = argv[++i];
        } else if (!optionsDone && arg.size() > 1 && arg[0] == '-') {
            result.action = CommandLine::Action::Misused;
            result.error = "unknown option '" + std::string(arg) + "'";
            return result;
        } else {
            // The game opens no file named on its command line.
            result.action = CommandLine::Action::Misused;
            result.error = "unexpected argument '" + std::string(arg) + "'";
            return result;
        }
    }
    return result;
}

std::string helpText() {
    return std::string(kUsageLine) +
           "\n"
           "Brisco2, a small arcade game. With no option it opens its window: after the\n"
           "title screen the keys 1 to 9 start a mission, A and D move the bar, M returns\n"
           "to the menu and F5 restores the window. The music is Brisco.wma in the folder\n"
           "the game starts in.\n"
           "\n"
           "      --record FILE  play as usual and write the session to FILE, a script for\n"
           "                     brisco2-replay, and its final state to FILE.final.json\n"
           "  -h, --help         print this help and exit\n"
           "      --version      print the version and the licence and exit\n"
           "\n"
           "Exit status: 0 when the game is closed, and after --help or --version; 1 when\n"
           "there is no display to show it on, it cannot start or the recording fails; 2 when\n"
           "the command line is wrong. The manual page brisco2(6) tells the missions.\n";
}

std::string versionText() {
    return "brisco2 " BRISCO2_VERSION
           "\n"
           "Copyright (C) 2026 Brisco2 developers\n"
           "License GPL-3.0-or-later: GNU GPL version 3 or later "
           "<https://www.gnu.org/licenses/gpl-3.0.html>.\n"
           "This is free software: you are free to change and redistribute it.\n"
           "There is NO WARRANTY, to the extent permitted by law.\n";
}

}  // namespace brisco2
