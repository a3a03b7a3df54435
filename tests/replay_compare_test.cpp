// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Dumps compared field by field, and brisco2-replay --verify on a recording.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "replay_support.h"
#include "tools/replay/compare.h"

using brisco2::replay::differences;
using brisco2::replay::dropMachineFields;
using brisco2::replay::Json;
using brisco2::replay::Leave;
using replay_test::lines;
using replay_test::runReplay;
using replay_test::TempDir;

namespace {

const char* kDump =
    R"({"t":5,"globals":{"Points":1},"widgets":{"c":{"left":216,"width":50},)"
    R"("l":{"left":1,"width":40,"height":13,"caption":"Level: 1"}},)"
    R"("media":{"open":false,"playing":true},"reports":[{"text":"a.","open":true}]})";

using Lines = std::vector<std::string>;

}  // namespace

TEST(DumpCompare, EveryDifferingFieldByItsPath) {
    const Json e = Json::parse(kDump);
    EXPECT_TRUE(differences(e, e).empty());
    std::string text = kDump;
    text.replace(text.find("\"Points\":1"), 10, "\"Points\":-2");
    text.replace(text.find("\"left\":216"), 10, "\"left\":\"x\"");
    text.replace(text.find(",\"playing\":true"), 15, ",\"extra\":null");
    text.replace(text.find("{\"text\":\"a.\",\"open\":true}"), 25, "");
    EXPECT_EQ(
        differences(e, Json::parse(text)),
        (Lines{"globals.Points: expected 1, got -2", "widgets.c.left: expected 216, got \"x\"",
               "media.playing: expected true, missing", "media.extra: not expected, got null",
               "reports: expected 1 entries, got 0"}));
    EXPECT_EQ(differences(e, Json::parse("[]")),
              (Lines{"the dump: expected " + e.str().substr(0, 80) + "..., got []"}));
}

TEST(DumpCompare, MachineFieldsAreLeftOutAndNothingElse) {
    Json d = Json::parse(kDump);
    dropMachineFields(d, Leave{});
    EXPECT_EQ(d.str(), R"({"t":5,"globals":{"Points":1},"widgets":{"c":{"left":216,"width":50},)"
                       R"("l":{"left":1,"caption":"Level: 1"}},"media":{"open":false},)"
                       R"("reports":[{"text":"a.","open":true}]})");
    dropMachineFields(d, Leave{.reportTexts = true});
    EXPECT_EQ(d["reports"].str(), R"([{"open":true}])");
}

TEST(DumpCompare, TheWriterIndentsTheOuterLevelsAndReadsBack) {
    const Json d = Json::parse(kDump);
    const std::string pretty = d.str(2);
    EXPECT_EQ(lines(pretty)[0], "{");
    EXPECT_EQ(lines(pretty)[1], "  \"t\": 5,");
    EXPECT_EQ(lines(pretty)[4], "  },");
    EXPECT_EQ(lines(pretty)[6], "    \"c\": {\"left\":216,\"width\":50},");
    EXPECT_EQ(Json::parse(pretty), d);
    EXPECT_THROW(Json::parse(std::string(100, '[') + std::string(100, ']')), std::runtime_error);
    EXPECT_THROW(Json::parse("1" + std::string(400, '0')), std::runtime_error);
}

TEST(ReplayVerify, ARecordingAgainstTheStateItClosedIn) {
    TempDir dir;
    const std::string script = "seed 3\n2500 key D form2\n3001 dismiss 1\n3500 dump\n";
    const auto path = dir.write("r.replay", script);
    // Missing final state: cannot verify.
    auto r = runReplay({"--verify", path.string()}, "", dir.path());
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("r.replay.final.json: cannot open"), std::string::npos) << r.err;

    auto plain = runReplay({path.string()}, "", dir.path());
    ASSERT_EQ(plain.status, 0);
    std::string final = lines(plain.out).back();
    dir.write("r.replay.final.json", final + "\n");
    r = runReplay({"--verify", path.string()}, "", dir.path());
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out, path.string() + ": replays to the recorded state at 3500 ms\n");

    // Another machine's fonts and report texts make no difference; the game's state does.
    Json changed = Json::parse(final);
    for (auto& [name, w] : changed.find("widgets")->members)
        if (w.has("caption")) w.find("width")->number += 3;
    changed.find("reports")->array[0].find("text")->string = "Another text.";
    changed.find("globals")->find("BarLeft")->number = 99;
    dir.write("r.replay.final.json", changed.str());
    r = runReplay({"--verify", path.string()}, "", dir.path());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(lines(r.out), (Lines{path.string() + ": the replay differs from " + path.string() +
                                       ".final.json in 1 field:",
                                   "  globals.BarLeft: expected 99, got 10"}));

    dir.write("r.replay.final.json", "{\"t\":");
    EXPECT_EQ(runReplay({"--verify", path.string()}, "", dir.path()).status, 2);
    const auto noDump = dir.write("n.replay", "5 key D\n");
    dir.write("n.replay.final.json", final);
    r = runReplay({"--verify", noDump.string()}, "", dir.path());
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("no dump"), std::string::npos);
    EXPECT_EQ(runReplay({"--verify"}, "", dir.path()).status, 2);
}
