// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// For tests that preload one of their shims into a child process.
#pragma once

#include <cstdlib>
#include <string>

namespace preload_test {

// This process's sanitizer options for a child that preloads a library: the sanitizer
// runtime wants to come first in a process, and the preloaded library must.
inline std::string asanOptions() {
    const char* own = std::getenv("ASAN_OPTIONS");
    std::string options = own != nullptr ? own : "";
    return options + (options.empty() ? "" : ":") + "verify_asan_link_order=0";
}

}  // namespace preload_test
