// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The page's shared_constants.js, as the build writes it, holds the module's values: the
// generator is run and its output read back against the C++ that defines them.
#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <set>
#include <stdexcept>
#include <string>

#include "tests/replay_support.h"
#include "toolkit/application.h"
#include "toolkit/keys.h"
#include "toolkit/media/audio_output.h"
#include "toolkit/web/canvas.h"
#include "toolkit/window.h"
#include "tools/replay/json.h"

using brisco2::replay::Json;

namespace {

// The object literal assigned to `B.<name>` in the script, read as JSON.
Json assigned(const std::string& script, const std::string& name) {
    const std::string start = "B." + name + " = ";
    const auto at = script.find(start);
    if (at == std::string::npos) throw std::runtime_error("no " + start + " in the script");
    const auto from = at + start.size();
    const auto end = script.find("};", from);
    if (end == std::string::npos) throw std::runtime_error("B." + name + " never ends");
    return Json::parse(script.substr(from, end + 1 - from));
}

std::map<std::string, long long> members(const Json& object) {
    std::map<std::string, long long> out;
    for (const auto& [name, value] : object.members) {
        EXPECT_TRUE(out.emplace(name, value.integer()).second) << "twice: " << name;
    }
    return out;
}

struct Generated : ::testing::Test {
    replay_test::TempDir dir;
    std::string script;
    void SetUp() override {
        const auto file = dir.path() / "shared_constants.js";
        const auto run = replay_test::runProgram(BRISCO2_SHARED_CONSTANTS, {file.string()}, "",
                                                 dir.path(), {}, 60);
        ASSERT_EQ(run.status, 0) << run.err;
        script = replay_test::readFile(file);
        ASSERT_FALSE(script.empty());
    }
};

}  // namespace

TEST(KeyTable, NamesAndCodesAreUniqueAndReadBackInAnyCase) {
    std::set<std::string_view> names;
    std::set<int> codes;
    for (const tk::KeyName& k : tk::kKeyNames) {
        EXPECT_TRUE(names.insert(k.name).second) << k.name;
        EXPECT_TRUE(codes.insert(k.code).second) << k.name;
        std::string lower(k.name);
        for (char& c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_EQ(tk::virtualKeyFromName(lower), k.code) << k.name;
        EXPECT_EQ(tk::keyNameOf(k.code), k.name);
    }
    EXPECT_EQ(tk::virtualKeyFromName("F13"), -1);
    EXPECT_EQ(tk::keyNameOf(0), "");
}

TEST_F(Generated, SharedValuesAreTheModulesOwn) {
    const auto shared = members(assigned(script, "SHARED"));
    std::map<std::string, long long> want = {
        {"SHIFT", tk::kShift},
        {"CTRL", tk::kCtrl},
        {"ALT", tk::kAlt},
        {"STATE_NORMAL", int(tk::WindowState::Normal)},
        {"STATE_MINIMIZED", int(tk::WindowState::Minimized)},
        {"STATE_MAXIMIZED", int(tk::WindowState::Maximized)},
        {"OP_CLIP", tk::web::WebCanvas::kClip},
        {"OP_FILL", tk::web::WebCanvas::kFill},
        {"OP_TEXT", tk::web::WebCanvas::kText},
        {"OP_PICTURE", tk::web::WebCanvas::kPicture},
        {"MUSIC_RATE", tk::AudioOutput::kSampleRate},
    };
    for (const tk::KeyName& k : tk::kKeyNames) want["KEY_" + std::string(k.name)] = k.code;
    EXPECT_EQ(shared, want);
}

TEST_F(Generated, EveryKeyOfTheTableIsRecognisedOnceByThePage) {
    const auto byKey = members(assigned(script, "KEYS_BY_KEY"));
    const auto byCode = members(assigned(script, "KEYS_BY_CODE"));
    std::multiset<long long> seen;
    for (const auto& [event, code] : byKey) seen.insert(code);
    for (const auto& [event, code] : byCode) seen.insert(code);
    std::multiset<long long> table;
    for (const tk::KeyName& k : tk::kKeyNames) table.insert(k.code);
    EXPECT_EQ(seen, table);

    // Letters and function keys by what they type; the digit row and the keypad by place,
    // so that Shift+1 ("!") and the keypad without NumLock ("End") keep their codes.
    EXPECT_EQ(byKey.at("A"), tk::virtualKeyOf("A"));
    EXPECT_EQ(byKey.at("F5"), tk::virtualKeyOf("F5"));
    EXPECT_EQ(byKey.at(" "), tk::virtualKeyOf("SPACE"));
    EXPECT_EQ(byKey.at("Escape"), tk::virtualKeyOf("ESC"));
    EXPECT_EQ(byKey.at("ArrowLeft"), tk::virtualKeyOf("LEFT"));
    EXPECT_EQ(byCode.at("Digit1"), tk::virtualKeyOf("1"));
    EXPECT_EQ(byCode.at("Numpad1"), tk::virtualKeyOf("NUM1"));
    EXPECT_FALSE(byKey.contains("1"));
    EXPECT_FALSE(byCode.contains("KeyA"));
}
