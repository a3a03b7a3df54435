// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Another build of the replay tool (the browser edition's brisco2-replay.js under
// Node.js, named by BRISCO2_REPLAY_COMMAND) runs the same game: for every kept script
// and every kind of music folder it prints the dumps this build's tool prints, except
// the sizes of captioned widgets (fonts differ) and whether the music is heard.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "replay_support.h"

using replay_test::dumps;
using replay_test::Json;
using replay_test::TempDir;

namespace {

namespace fs = std::filesystem;

// Where a and b differ, as "path: a / b" lines; the fields fonts and sound decide are
// left out.
void differences(const Json& a, const Json& b, const std::string& path,
                 std::vector<std::string>& out) {
    if (a.type != b.type) {
        out.push_back(path + ": types differ");
        return;
    }
    switch (a.type) {
        case Json::Type::Object: {
            if (a.keys() != b.keys()) {
                out.push_back(path + ": members differ");
                return;
            }
            const bool captioned = a.has("caption");
            for (const auto& [key, value] : a.members) {
                if (captioned && (key == "width" || key == "height")) continue;
                if (path == "/media" && key == "playing") continue;
                differences(value, b[key], path + "/" + key, out);
            }
            return;
        }
        case Json::Type::Array:
            if (a.array.size() != b.array.size()) {
                out.push_back(path + ": lengths differ");
                return;
            }
            for (std::size_t i = 0; i < a.array.size(); ++i)
                differences(a.array[i], b.array[i], path + "/" + std::to_string(i), out);
            return;
        case Json::Type::String:
            if (a.string != b.string) out.push_back(path + ": " + a.string + " / " + b.string);
            return;
        case Json::Type::Number:
            if (a.number != b.number)
                out.push_back(path + ": " + std::to_string(a.number) + " / " +
                              std::to_string(b.number));
            return;
        case Json::Type::Bool:
            if (a.boolean != b.boolean) out.push_back(path + ": booleans differ");
            return;
        case Json::Type::Null:
            return;
    }
}

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
        std::vector<std::string> diff;
        differences(a[i], b[i], "", diff);
        EXPECT_TRUE(diff.empty()) << "dump " << i << " differs, first at " << diff.front();
    }
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
