// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// brisco2-tune: writes the game's default music, or a plain test tone, as a WMA file.
//
//   brisco2-tune OUT.wma                          the tune
//   brisco2-tune --tone HZ --seconds S OUT.wma    a sine of HZ for S seconds

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "tools/tune/melody.h"
#include "tools/tune/synth.h"
#include "tools/tune/wma_writer.h"

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: brisco2-tune OUT.wma\n"
                 "       brisco2-tune --tone HZ --seconds S OUT.wma\n");
    return 2;
}

bool number(const char* text, double& out) {
    char* end = nullptr;
    out = std::strtod(text, &end);
    return end != text && *end == '\0';
}

}  // namespace

int main(int argc, char** argv) {
    double hz = 0;
    double seconds = 0;
    std::string out;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--tone" && i + 1 < argc) {
            if (!number(argv[++i], hz) || hz <= 0 || hz >= tune::kSampleRate / 2) return usage();
        } else if (arg == "--seconds" && i + 1 < argc) {
            if (!number(argv[++i], seconds) || seconds <= 0 || seconds > 600) return usage();
        } else if (out.empty() && !arg.empty() && arg[0] != '-') {
            out = arg;
        } else {
            return usage();
        }
    }
    if (out.empty() || (hz > 0) != (seconds > 0)) return usage();
    try {
        const tune::Stereo sound =
            hz > 0 ? tune::renderTone(hz, seconds) : tune::renderScore(tune::buildScore());
        tune::writeWma(out, sound);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "brisco2-tune: %s\n", e.what());
        return 1;
    }
    return 0;
}
