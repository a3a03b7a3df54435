// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The layers hold as the sources are written: the game and its toolkit know nothing of
// the replay harness built above them, and game code knows no platform.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path kRoot = BRISCO2_SOURCE_DIR;

// The C++ files of `folders` (recursively unless `flat`), and the lone `files`.
std::vector<fs::path> sources(const std::vector<std::string>& folders, bool flat,
                              const std::vector<std::string>& files = {}) {
    std::vector<fs::path> out;
    auto take = [&](const fs::path& p) {
        const auto ext = p.extension();
        if (ext == ".cpp" || ext == ".h") out.push_back(p);
    };
    for (const std::string& f : folders) {
        if (flat) {
            for (const auto& e : fs::directory_iterator(kRoot / f))
                if (e.is_regular_file()) take(e.path());
        } else {
            for (const auto& e : fs::recursive_directory_iterator(kRoot / f))
                if (e.is_regular_file()) take(e.path());
        }
    }
    for (const std::string& f : files) take(kRoot / f);
    return out;
}

// The lines of `files` that include something whose name starts with one of `banned`
// ("\"tools/" or "<Q", say), as "FILE:LINE: text".
std::vector<std::string> includes(const std::vector<fs::path>& files,
                                  const std::vector<std::string>& banned) {
    std::vector<std::string> found;
    for (const fs::path& p : files) {
        std::ifstream in(p);
        EXPECT_TRUE(in) << p;
        std::string line;
        for (int n = 1; std::getline(in, line); ++n) {
            const auto hash = line.find_first_not_of(" \t");
            if (hash == std::string::npos || line[hash] != '#') continue;
            const auto word = line.find("include", hash);
            if (word == std::string::npos) continue;
            const auto name = line.find_first_of("\"<", word);
            if (name == std::string::npos) continue;
            for (const std::string& b : banned)
                if (line.compare(name, b.size(), b) == 0)
                    found.push_back(fs::relative(p, kRoot).string() + ":" + std::to_string(n) +
                                    ": " + line);
        }
    }
    return found;
}

}  // namespace

TEST(Layering, TheGameAndItsToolkitIncludeNothingOfTheReplayHarness) {
    const auto core = sources({"toolkit", "engine", "missions", "sound", "app/forms"}, false,
                              {"app/main_window.cpp", "app/main_window.h"});
    ASSERT_GT(core.size(), 40u) << "the tree was not found at " << kRoot;
    EXPECT_EQ(includes(core, {"\"tools/"}), std::vector<std::string>{});
}

TEST(Layering, GameCodeKnowsNoPlatform) {
    const auto game = sources({"engine", "missions", "sound", "app/forms"}, false,
                              {"app/main_window.cpp", "app/main_window.h"});
    const auto toolkit =
        sources({"toolkit"}, true);  // its own folder; qt/ and web/ are the platforms
    ASSERT_GT(game.size(), 10u);
    ASSERT_GT(toolkit.size(), 20u);
    const std::vector<std::string> platform = {"\"toolkit/qt/", "\"toolkit/web/", "<Q",
                                               "<emscripten",   "<xcb",           "<X11"};
    EXPECT_EQ(includes(game, platform), std::vector<std::string>{});
    EXPECT_EQ(includes(toolkit, platform), std::vector<std::string>{});
}
