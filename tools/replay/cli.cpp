// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tools/replay/cli.h"

#include <signal.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "tools/replay/compare.h"
#include "tools/replay/runner.h"
#include "tools/replay/script.h"

namespace brisco2::replay {

namespace {

constexpr const char* kUsageLine = "usage: brisco2-replay [SCRIPT] | --verify RECORDING";
// Standard output could not take what was written: the dumps are lost.
constexpr int kOutputFailed = 3;

// Thrown from the dump callback once standard output has failed: nothing after it
// could be read, so the run stops there.
struct OutputFailed {
    int error;
};

// Writing to standard output failed (a full disk, a reader that went away): says so
// on standard error and gives the exit status.
int outputFailed(int error) {
    std::fprintf(stderr, "brisco2-replay: cannot write standard output: %s\n",
                 std::strerror(error != 0 ? error : EIO));
    return kOutputFailed;
}

// Everything printed reaches standard output, or the run fails: `status` when it did.
int finishOutput(int status) {
    errno = 0;
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) return outputFailed(errno);
    return status;
}

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
        "  T resize W H [form2]  the user sizes a window to outer W x H (%d..%d each)\n"
        "  T maximize [form2] | T minimize [form2] | T restore [form2]\n"
        "  T dismiss [N]       close report N (from 1, in the order shown), else the oldest\n"
        "  T dump              print the state as one JSON object on one line\n"
        "  T end               run on until T and stop; nothing may follow it\n"
        "What brisco2 --record adds, so that a real session replays exactly:\n"
        "  T late D            the round of ticks due at D (before T) came late, at T\n"
        "  T frame L T R B     the window manager's frame around a window with a border\n"
        "                      (%d..%d each side)\n"
        "  T music ok | T music fail [TEXT]   the answer to the next open of the music,\n"
        "                      in order; TEXT with %%XX for blanks, '#', '%%' and non-ASCII\n"
        "  T check DIGEST      once a second: the digest (16 hex digits) of the state the\n"
        "                      last event left, at T; --verify compares, others skip it\n"
        "KEY: [shift+][ctrl+][alt+]NAME; NAME (any case) is A..Z, 0..9, NUM0..NUM9, F1..F12,\n"
        "SPACE, ENTER, ESC, LEFT, RIGHT, UP, DOWN or VK:N (N 0..255).\n"
        "At time T every tick due at or before T comes first, then the command.\n"
        "\n"
        "Exit status: 0 after the script ran; 2 when it cannot be read or is malformed\n"
        "(nothing runs, one line 'SCRIPT:LINE: message' on standard error); 3 when standard\n"
        "output cannot be written (the reason on standard error).\n"
        "\n"
        "--verify RECORDING: replays a recording of brisco2 --record, compares the state at\n"
        "each 'check' with its digest and reports the first second where they part\n"
        "(RECORDING:LINE: ...), then compares the last dump with RECORDING.final.json, the\n"
        "state the real session closed in, field by field. Left out of both: the sizes of\n"
        "captioned widgets (fonts), media.playing (the sound device) and the texts of\n"
        "reports. Prints the verdict and every field that differs; exit status 0 when\n"
        "nothing does, 1 when something does, 2 when either file cannot be read.\n",
        kUsageLine, static_cast<long long>(kMaxTimeMs), kMinWindowSize, kMaxWindowSize, 0,
        kMaxFrame);
}

int usageError(const std::string& what) {
    std::fprintf(stderr, "brisco2-replay: %s\n%s (--help for the script format)\n", what.c_str(),
                 kUsageLine);
    return 2;
}

// The state a recording closed in, from RECORDING.final.json.
bool readFinal(const std::string& path, Json& out, std::string& error) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        error = path + ": cannot open: " + std::strerror(errno);
        return false;
    }
    std::string text;
    char buf[1 << 16];
    for (std::size_t got; (got = std::fread(buf, 1, sizeof buf, f)) > 0;) text.append(buf, got);
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) {
        error = path + ": cannot read";
        return false;
    }
    try {
        out = Json::parse(text);
    } catch (const std::exception& e) {
        error = path + ": " + e.what();
        return false;
    }
    return true;
}

// The first `check` of a recording whose digest the replay did not reach.
struct Parted {
    std::int64_t ms = 0;
    int line = 0;
    std::string expected, actual;
};

// --verify: the digests along the way, then the last dump against the recorded final
// state. Returns the exit status.
int verify(const std::string& script, const std::string& lastDump,
           const std::optional<Parted>& parted) {
    const std::string finalPath = script + ".final.json";
    Json expected;
    std::string error;
    if (!readFinal(finalPath, expected, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    if (lastDump.empty()) {
        std::fprintf(stderr, "%s: no dump to compare; a recording ends with one\n", script.c_str());
        return 2;
    }
    if (parted)
        std::printf(
            "%s:%d: the replay parts from the recording in second %lld: the state at "
            "%lld ms has digest %s, recorded %s\n",
            script.c_str(), parted->line, static_cast<long long>(parted->ms / 1000),
            static_cast<long long>(parted->ms), parted->actual.c_str(), parted->expected.c_str());
    Json actual = Json::parse(lastDump);
    dropMachineFields(expected, Leave{.reportTexts = true});
    dropMachineFields(actual, Leave{.reportTexts = true});
    const auto diff = differences(expected, actual);
    if (diff.empty()) {
        std::printf("%s: replays to the recorded state at %s ms\n", script.c_str(),
                    expected.has("t") ? expected["t"].str().c_str() : "?");
        return parted ? 1 : 0;
    }
    std::printf("%s: the replay differs from %s in %zu field%s:\n", script.c_str(),
                finalPath.c_str(), diff.size(), diff.size() == 1 ? "" : "s");
    for (const std::string& d : diff) std::printf("  %s\n", d.c_str());
    return 1;
}

}  // namespace

int replayMain(int argc, char** argv, const Platform& platform) {
    // A reader that went away is a write error like any other, reported, not a silent
    // death by signal.
    ::signal(SIGPIPE, SIG_IGN);
    const char* pathArg = nullptr;
    bool optionsDone = false;
    bool verifying = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (!optionsDone && arg == "--") {
            optionsDone = true;
        } else if (!optionsDone && (arg == "-h" || arg == "--help")) {
            printHelp();
            return finishOutput(0);
        } else if (!optionsDone && arg == "--verify") {
            verifying = true;
        } else if (!optionsDone && arg.size() > 1 && arg[0] == '-') {
            return usageError("unknown option '" + arg + "'");
        } else if (pathArg) {
            return usageError("more than one script");
        } else {
            pathArg = argv[i];
        }
    }
    if (verifying && (!pathArg || std::string(pathArg) == "-"))
        return usageError("--verify needs a recording file");
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
    options.media = recordedMusic(script, platform.media);
    options.metrics = metrics.get();
    Session session(std::move(options));

    static char outBuffer[1 << 16];
    std::setvbuf(stdout, outBuffer, _IOFBF, sizeof outBuffer);
    std::string lastDump;
    std::optional<Parted> parted;
    CheckSink onCheck;
    if (verifying)
        onCheck = [&](const Command& c, const std::string& digest) {
            if (!parted && digest != c.text) parted = Parted{c.timeMs, c.line, c.text, digest};
        };
    try {
        runScript(
            script, session,
            [&](const std::string& line) {
                if (verifying) {
                    lastDump = line;
                    return;
                }
                errno = 0;
                if (std::fwrite(line.data(), 1, line.size(), stdout) != line.size() ||
                    std::fputc('\n', stdout) == EOF)
                    throw OutputFailed{errno};
            },
            onCheck);
    } catch (const OutputFailed& e) {
        return outputFailed(e.error);
    }
    return finishOutput(verifying ? verify(path, lastDump, parted) : 0);
}

}  // namespace brisco2::replay
