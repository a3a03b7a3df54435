// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "toolkit/qt/frame_trace.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>

namespace tk::qt {

std::unique_ptr<FrameTrace> FrameTrace::fromEnvironment() {
    const char* path = std::getenv("BRISCO2_FRAME_TRACE");
    if (!path || !*path) return nullptr;
    std::FILE* file = std::fopen(path, "w");
    if (!file) {
        // A measurement aid: the game plays on without it, and says why.
        std::perror(path);
        return nullptr;
    }
    return std::make_unique<FrameTrace>(file);
}

FrameTrace::~FrameTrace() {
    std::fclose(file_);
}

// Each line is written out at once: the game is usually ended by a signal.
void FrameTrace::frame(std::int64_t at) {
    std::fprintf(file_, "frame %" PRId64 "\n", at);
    std::fflush(file_);
}

void FrameTrace::key(std::int64_t taken, std::int64_t shown) {
    std::fprintf(file_, "key %" PRId64 " %" PRId64 "\n", taken, shown);
    std::fflush(file_);
}

}  // namespace tk::qt
