// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tools/replay/cli.h"

#include <cstdio>
#include <string>

#include "tools/replay/runner.h"
#include "tools/replay/script.h"

namespace brisco2::replay {

namespace {

constexpr const char* kUsageLine = "usage: brisco2-replay [SCRIPT]";

void printHelp() {
    std::printf(
        "%s\n"
        "Runs the game without a window on a simulated clock, driven by SCRIPT\n"
        "(standard input when SCRIPT is omitted or '-').\n"
        "\n"
        "Script: one command a line; blank lines and everything from '#' on are ignored.\n"
        "T is a time in milliseconds (0..%lld), never less than the previous one.\n"
        "  seed N              random seed 0..4294967295; only as the first command\n"
        "  T key KEY [form2]   a key-down to the main window (or the second window)\n"
        "  T mouse-down        mouse capture on: every key-down is dropped\n"
        "  T mouse-up          mouse capture off\n"
        "  T resize W H        the user sizes the main window to outer W x H (%d..%d each)\n"
        "  T maximize | T minimize | T restore\n"
        "  T dismiss           close the oldest open error report\n"
        "  T dump              print the state as one JSON object on one line\n"
        "  T end               run on until T and stop; nothing may follow it\n"
        "KEY: [shift+][ctrl+][alt+]NAME; NAME (any case) is A..Z, 0..9, NUM0..NUM9, F1..F12,\n"
        "SPACE, ENTER, ESC, LEFT, RIGHT, UP, DOWN or VK:N (N 0..255).\n"
        "At time T every tick due at or before T comes first, then the command.\n"
        "\n"
        "Exit status: 0 after the script ran; 2 when it cannot be read or is malformed\n"
        "(nothing runs, one line 'SCRIPT:LINE: message' on standard error).\n",
        kUsageLine, static_cast<long long>(kMaxTimeMs), kMinWindowSize, kMaxWindowSize);
}

int usageError(const std::string& what) {
    std::fprintf(stderr, "brisco2-replay: %s\n%s (--help for the script format)\n", what.c_str(),
                 kUsageLine);
    return 2;
}

}  // namespace

int replayMain(int argc, char** argv, const Platform& platform) {
    const char* pathArg = nullptr;
    bool optionsDone = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (!optionsDone && arg == "--") {
            optionsDone = true;
        } else if (!optionsDone && (arg == "-h" || arg == "--help")) {
            printHelp();
            return 0;
        } else if (!optionsDone && arg.size() > 1 && arg[0] == '-') {
            return usageError("unknown option '" + arg + "'");
        } else if (pathArg) {
            return usageError("more than one script");
        } else {
            pathArg = argv[i];
        }
    }
    const std::string path = pathArg ? pathArg : "-";

    // The whole script is checked before the game starts.
    Script script;
    std::string error;
    if (!loadScript(path, script, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }

    const std::unique_ptr<tk::TextMetrics> metrics =
        platform.metrics ? platform.metrics() : nullptr;
    Session::Options options;
    options.seed = script.seed;
    options.media = platform.media;
    options.metrics = metrics.get();
    Session session(std::move(options));

    static char outBuffer[1 << 16];
    std::setvbuf(stdout, outBuffer, _IOFBF, sizeof outBuffer);
    runScript(script, session, [](const std::string& line) {
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fputc('\n', stdout);
    });
    std::fflush(stdout);
    return 0;
}

}  // namespace brisco2::replay
