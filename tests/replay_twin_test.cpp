// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Another build of the replay tool (the browser edition's brisco2-replay.js under
// Node.js, named by BRISCO2_REPLAY_COMMAND) runs the same game: for every kept script
// and every kind of music folder it prints, byte for byte, the dumps this build's tool
// prints. (Both measure captions with the desktop's font tables and open the music
// with the same media libraries' verdicts.)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "replay_support.h"
#include "tools/replay/compare.h"

using replay_test::dumps;
using replay_test::Json;
using replay_test::TempDir;

namespace {

namespace fs = std::filesystem;

// The music folders the game meets: none, the tune, bytes that are no music, a folder.
enum class Music { Missing, Tune, Garbage, Directory };

void prepare(const TempDir& dir, Music music) {
    const fs::path target = dir.path() / "Brisco.wma";
    switch (music) {
        case Music::Missing:
            break;
        case Music::Tune:
            fs::copy_file(std::string(BRISCO2_BINARY_DIR) + "/run/Brisco.wma", target);
            break;
        case Music::Garbage: {
            std::string bytes;
            for (int i = 0; i < 5000; ++i) bytes += char((i * 7919 + 13) % 251);
            dir.write("Brisco.wma", bytes);
            break;
        }
        case Music::Directory:
            fs::create_directory(target);
            break;
    }
}

class TwinReplay : public ::testing::TestWithParam<std::tuple<std::string, Music>> {};

TEST_P(TwinReplay, SameDumpsAsThisBuildsTool) {
    ASSERT_TRUE(std::getenv("BRISCO2_REPLAY_COMMAND"))
        << "BRISCO2_REPLAY_COMMAND must name the other build of the tool";
    const auto& [name, music] = GetParam();
    const std::string script = std::string(BRISCO2_SOURCE_DIR) + "/tests/replays/" + name;
    TempDir here, there;
    prepare(here, music);
    prepare(there, music);
    const auto mine = replay_test::runProgram(BRISCO2_REPLAY, {script}, "", here.path());
    const auto other = replay_test::runReplay({script}, "", there.path());
    ASSERT_EQ(mine.status, 0) << mine.err;
    ASSERT_EQ(other.status, 0) << other.err;
    const auto a = dumps(mine.out);
    const auto b = dumps(other.out);
    ASSERT_EQ(a.size(), b.size());
    ASSERT_FALSE(a.empty());
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto diff = brisco2::replay::differences(a[i], b[i]);
        EXPECT_TRUE(diff.empty()) << "dump " << i << " differs, first at " << diff.front();
    }
    EXPECT_EQ(mine.out, other.out) << "the same dumps, written otherwise";
}

std::vector<std::string> keptScripts() {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(std::string(BRISCO2_SOURCE_DIR) + "/tests/replays"))
        if (e.path().extension() == ".replay") names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string caseName(const ::testing::TestParamInfo<TwinReplay::ParamType>& info) {
    std::string n = std::get<0>(info.param);
    n = n.substr(0, n.find('.'));
    for (char& c : n)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    static const char* kinds[] = {"NoMusic", "Tune", "Garbage", "Directory"};
    return n + "_" + kinds[int(std::get<1>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(KeptScripts, TwinReplay,
                         ::testing::Combine(::testing::ValuesIn(keptScripts()),
                                            ::testing::Values(Music::Missing, Music::Tune,
                                                              Music::Garbage, Music::Directory)),
                         caseName);

}  // namespace
