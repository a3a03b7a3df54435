// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "toolkit/qt/frame_trace.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <set>
#include <string>

namespace tk::qt {

std::shared_ptr<FrameTrace> FrameTrace::fromEnvironment() {
    const char* path = std::getenv("BRISCO2_FRAME_TRACE");
    if (!path || !*path) return nullptr;
    static std::mutex lock;
    static std::weak_ptr<FrameTrace> shared;
    static std::string sharedPath;
    static std::set<std::string> begun;  // the traces this program has started
    const std::lock_guard<std::mutex> hold(lock);
    if (auto trace = shared.lock(); trace && sharedPath == path) return trace;
    // A trace begun earlier in this program, its windows gone since, goes on.
    std::FILE* file = std::fopen(path, begun.count(path) ? "a" : "w");
    if (!file) {
        // A measurement aid: the game plays on without it, and says why.
        std::perror(path);
        return nullptr;
    }
    begun.insert(path);
    auto trace = std::make_shared<FrameTrace>(file);
    shared = trace;
    sharedPath = path;
    return trace;
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
