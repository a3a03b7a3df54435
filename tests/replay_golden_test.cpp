// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Every kept replay script against the dumps stored beside it: tests/replays/NAME.replay
// and NAME.expected.json. `make replays-update` rewrites the expectations on purpose
// (BRISCO2_REPLAYS_UPDATE=1) and shows what changed. A kept recording of the real window
// also has NAME.replay.final.json, the state the real session closed in, which its last
// dump must match whatever the expectations say (as brisco2-replay --verify checks it).
//
// Left out of the comparison, and of the stored expectations: the width and height of
// every widget with a caption, which its text sizes by the fonts of the machine, and
// media.playing, which says whether a sound device took the music. Everything else,
// report texts included, is the game's own and must match.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "replay_support.h"
#include "tools/replay/compare.h"

namespace {

namespace fs = replay_test::fs;
using replay_test::Json;

// Outer levels on lines of their own: each dump's members, and each timer, widget and
// menu item on one line, so that a changed expectation reads as a short diff.
constexpr int kIndentLevels = 3;
// Enough of a failure's differences to see what went wrong.
constexpr std::size_t kShownDifferences = 20;

using replay_test::replaysDir;

// The dumps of a script run in an empty folder (no music file), without the fields
// that depend on the machine, as one array.
Json replayed(const std::string& name) {
    replay_test::TempDir cwd;
    const auto r =
        replay_test::runReplay({(replaysDir() / (name + ".replay")).string()}, "", cwd.path());
    EXPECT_EQ(r.status, 0) << r.err;
    Json all;
    all.type = Json::Type::Array;
    for (Json& d : replay_test::dumps(r.out)) {
        brisco2::replay::dropMachineFields(d, {});
        all.array.push_back(std::move(d));
    }
    return all;
}

class GoldenReplay : public ::testing::TestWithParam<std::string> {};

}  // namespace

TEST_P(GoldenReplay, EndsInTheStoredDumps) {
    const std::string name = GetParam();
    const fs::path expectedPath = replaysDir() / (name + ".expected.json");
    const Json actual = replayed(name);
    if (const fs::path final = replaysDir() / (name + ".replay.final.json"); fs::exists(final)) {
        Json closed = Json::parse(replay_test::readFile(final));
        Json last = actual.array.empty() ? Json{} : actual.array.back();
        brisco2::replay::dropMachineFields(closed, {.reportTexts = true});
        brisco2::replay::dropMachineFields(last, {.reportTexts = true});
        const auto diff = brisco2::replay::differences(closed, last);
        EXPECT_TRUE(diff.empty()) << name << " no longer ends in the state its real session "
                                  << "closed in:\n  " << (diff.empty() ? "" : diff.front());
    }
    if (std::getenv("BRISCO2_REPLAYS_UPDATE")) {
        std::ofstream(expectedPath, std::ios::binary) << actual.str(kIndentLevels) << '\n';
        return;
    }
    ASSERT_TRUE(fs::exists(expectedPath))
        << expectedPath << " is missing: `make replays-update` writes it";
    const Json expected = Json::parse(replay_test::readFile(expectedPath));
    ASSERT_EQ(actual.array.size(), expected.array.size()) << "dumps of " << name;
    for (std::size_t i = 0; i < expected.array.size(); ++i) {
        const auto diff = brisco2::replay::differences(expected.array[i], actual.array[i]);
        std::string shown;
        for (std::size_t k = 0; k < diff.size() && k < kShownDifferences; ++k)
            shown += "\n  " + diff[k];
        EXPECT_TRUE(diff.empty()) << name << ", dump " << i + 1 << " differs in " << diff.size()
                                  << " fields:" << shown
                                  << "\n(`make replays-update` if the change is meant)";
    }
}

INSTANTIATE_TEST_SUITE_P(Replays, GoldenReplay, ::testing::ValuesIn(replay_test::replayNames()),
                         [](const auto& info) {
                             std::string n = info.param;
                             for (char& c : n)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return n;
                         });
