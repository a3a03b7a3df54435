// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The replay script parser: what it accepts, and every way a script can be malformed.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "replay_support.h"
#include "tools/replay/script.h"

using namespace brisco2::replay;

namespace {

// The error of a script that must fail, or a test failure when it parses.
std::string errorOf(const std::string& text, const std::string& name = "s.replay") {
    Script s;
    std::string error;
    if (parseScript(text, name, s, error)) {
        ADD_FAILURE() << "parsed: " << text.substr(0, 80);
        return {};
    }
    return error;
}

Script parsed(const std::string& text) {
    Script s;
    std::string error;
    EXPECT_TRUE(parseScript(text, "s.replay", s, error)) << error;
    return s;
}

bool printableLine(const std::string& s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7f)
            return false;
    return true;
}

// The error starts with "s.replay:LINE: " and says something.
void expectErrorAt(const std::string& text, int line) {
    const std::string e = errorOf(text);
    const std::string prefix = "s.replay:" + std::to_string(line) + ": ";
    EXPECT_EQ(e.substr(0, prefix.size()), prefix) << e;
    EXPECT_GT(e.size(), prefix.size()) << e;
    EXPECT_TRUE(printableLine(e)) << e;
    EXPECT_LT(e.size(), 200u) << e;
}

}  // namespace

TEST(ReplayScript, ReadsEveryCommandWithItsTimeAndLine) {
    Script s = parsed(
        "# a comment\n"
        "seed 42\n"
        "\n"
        "0 key D\n"
        "10 key shift+a form2   # trailing comment\n"
        "10 mouse-down\n"
        "10 mouse-up\n"
        "20 resize 640 480\n"
        "20 maximize\n"
        "21 minimize\n"
        "22 restore\n"
        "23 dismiss\n"
        "\t24\tdump\t\n"
        "30 end\n");
    EXPECT_EQ(s.seed, 42u);
    ASSERT_EQ(s.commands.size(), 11u);
    const Command& k = s.commands[0];
    EXPECT_EQ(k.op, Op::Key);
    EXPECT_EQ(k.timeMs, 0);
    EXPECT_EQ(k.line, 4);
    EXPECT_EQ(k.vk, 'D');
    EXPECT_EQ(k.modifiers, 0);
    EXPECT_FALSE(k.toForm2);
    const Command& k2 = s.commands[1];
    EXPECT_EQ(k2.vk, 'A');
    EXPECT_EQ(k2.modifiers, tk::kShift);
    EXPECT_TRUE(k2.toForm2);
    EXPECT_EQ(k2.line, 5);
    EXPECT_EQ(s.commands[2].op, Op::MouseDown);
    EXPECT_EQ(s.commands[3].op, Op::MouseUp);
    EXPECT_EQ(s.commands[4].op, Op::Resize);
    EXPECT_EQ(s.commands[4].width, 640);
    EXPECT_EQ(s.commands[4].height, 480);
    EXPECT_EQ(s.commands[5].op, Op::Maximize);
    EXPECT_EQ(s.commands[6].op, Op::Minimize);
    EXPECT_EQ(s.commands[7].op, Op::Restore);
    EXPECT_EQ(s.commands[8].op, Op::Dismiss);
    EXPECT_EQ(s.commands[9].op, Op::Dump);
    EXPECT_EQ(s.commands[9].timeMs, 24);
    EXPECT_EQ(s.commands[10].op, Op::End);
    EXPECT_EQ(s.commands[10].line, 14);
}

TEST(ReplayScript, ReadsWhatARecordingAdds) {
    Script s = parsed(
        "seed 1\n"
        "0 frame 1 20 1 4\n"
        "15 late 10\n"
        "3000 music ok\n"
        "3007 music fail No%20such%20file%23%25%C3%A4\n"
        "3007 music fail\n"
        "3010 resize 300 200 form2\n"
        "3010 maximize form2\n"
        "3010 minimize\n"
        "3010 restore form2\n"
        "3010 dismiss 2\n"
        "3011 late 3010\n"  // due at the previous command's time
        "3011 dismiss\n"
        "3011 check 0123456789ABCdef\n");
    ASSERT_EQ(s.commands.size(), 13u);
    EXPECT_EQ(s.commands[0].op, Op::Frame);
    EXPECT_EQ(s.commands[0].frame, (tk::FrameExtents{1, 20, 1, 4}));
    EXPECT_EQ(s.commands[1].op, Op::Late);
    EXPECT_EQ(s.commands[1].timeMs, 15);
    EXPECT_EQ(s.commands[1].dueMs, 10);
    EXPECT_EQ(s.commands[2].op, Op::Music);
    EXPECT_TRUE(s.commands[2].musicOk);
    EXPECT_FALSE(s.commands[3].musicOk);
    EXPECT_EQ(s.commands[3].text, "No such file#%\xc3\xa4");
    EXPECT_FALSE(s.commands[4].musicOk);
    EXPECT_EQ(s.commands[4].text, "");
    EXPECT_EQ(s.commands[5].op, Op::Resize);
    EXPECT_TRUE(s.commands[5].toForm2);
    EXPECT_EQ(s.commands[6].op, Op::Maximize);
    EXPECT_TRUE(s.commands[6].toForm2);
    EXPECT_FALSE(s.commands[7].toForm2);
    EXPECT_TRUE(s.commands[8].toForm2);
    EXPECT_EQ(s.commands[9].reportId, 2);
    EXPECT_EQ(s.commands[10].dueMs, 3010);
    EXPECT_EQ(s.commands[11].reportId, 0);  // the oldest open one
    EXPECT_EQ(s.commands[12].op, Op::Check);
    EXPECT_EQ(s.commands[12].text, "0123456789abcdef");
}

TEST(ReplayScript, BadRecordingCommands) {
    for (const char* line : {"20 late",
                             "20 late 20",
                             "20 late 21",
                             "20 late x",
                             "20 late 5",  // 5: before 10
                             "20 late 15 16",
                             "20 frame 1 2 3",
                             "20 frame 1 2 3 1001",
                             "20 frame -1 0 0 0",
                             "20 frame 1 2 3 4 5",
                             "20 music",
                             "20 music maybe",
                             "20 music ok fine",
                             "20 music fail a b",
                             "20 music fail 50%",
                             "20 music fail %zz",
                             "20 music fail %4",
                             "20 check",
                             "20 check 0123456789abcde",
                             "20 check 0123456789abcdef0",
                             "20 check 0123456789abcdeg",
                             "20 check 0123456789abcdef 1",
                             "20 dismiss 0",
                             "20 dismiss -1",
                             "20 dismiss 2147483648",
                             "20 dismiss 1 2",
                             "20 resize 10 10 form3",
                             "20 maximize form1",
                             "20 restore form2 now"}) {
        SCOPED_TRACE(line);
        expectErrorAt(std::string("10 dump\n") + line + "\n", 2);
    }
}

TEST(ReplayScript, KeyNamesReadBackAsTheSameKey) {
    for (int vk = 0; vk < 256; ++vk)
        for (tk::Shortcut mods : {tk::Shortcut(0), tk::kShift, tk::kCtrl, tk::kAlt,
                                  tk::Shortcut(tk::kShift | tk::kCtrl | tk::kAlt)}) {
            const std::string name = keyName(std::uint8_t(vk), mods);
            std::uint8_t back = 0;
            tk::Shortcut backMods = 0;
            ASSERT_TRUE(parseKeyName(name, back, backMods)) << name;
            EXPECT_EQ(back, vk) << name;
            EXPECT_EQ(backMods, mods) << name;
        }
    EXPECT_EQ(keyName('D', 0), "D");
    EXPECT_EQ(keyName(116, 0), "F5");
    EXPECT_EQ(keyName(97, tk::kShift), "shift+NUM1");
    EXPECT_EQ(keyName(200, tk::kCtrl | tk::kAlt), "ctrl+alt+VK:200");
}

TEST(ReplayScript, AnyTextSurvivesAsOneToken) {
    std::string every;
    for (int c = 0; c < 256; ++c) every += char(c);
    for (const std::string& text : {every, std::string("Invalid data found"), std::string("%#")}) {
        const std::string token = encodeText(text);
        Script s = parsed("0 music fail " + token + "\n");
        ASSERT_EQ(s.commands.size(), 1u);
        EXPECT_EQ(s.commands[0].text, text);
    }
    EXPECT_EQ(encodeText("No such file"), "No%20such%20file");
}

TEST(ReplayScript, EmptyScriptsAndDefaults) {
    for (const char* text : {"", "\n\n", "# only a comment", "   \t  \n# x\n"}) {
        Script s = parsed(text);
        EXPECT_EQ(s.seed, 0u);
        EXPECT_TRUE(s.commands.empty());
    }
    EXPECT_EQ(parsed("0 dump").commands.size(), 1u);  // no newline at the end
}

TEST(ReplayScript, CrlfAndBytesInCommentsAreAccepted) {
    Script s = parsed("seed 5\r\n0 key d\r\n0 dump\r\n# \x01\xff\xe4 anything\0 here\r\n");
    EXPECT_EQ(s.seed, 5u);
    ASSERT_EQ(s.commands.size(), 2u);
    EXPECT_EQ(s.commands[0].vk, 'D');
    std::string withNul("0 dump # a\0b\n1 dump\n", 20);
    EXPECT_EQ(parsed(withNul).commands.size(), 2u);
}

TEST(ReplayScript, KeyNamesInAnyCaseAndRawCodes) {
    struct Case {
        const char* name;
        int vk;
        tk::Shortcut mods;
    };
    const Case cases[] = {
        {"d", 'D', 0},
        {"D", 'D', 0},
        {"z", 'Z', 0},
        {"0", '0', 0},
        {"9", '9', 0},
        {"num0", 96, 0},
        {"NUM9", 105, 0},
        {"f1", 112, 0},
        {"F5", 116, 0},
        {"F12", 123, 0},
        {"space", 32, 0},
        {"Enter", 13, 0},
        {"ESC", 27, 0},
        {"left", 37, 0},
        {"UP", 38, 0},
        {"Right", 39, 0},
        {"down", 40, 0},
        {"vk:68", 68, 0},
        {"VK:52", '4', 0},
        {"VK:0", 0, 0},
        {"VK:255", 255, 0},
        {"VK:007", 7, 0},
        {"shift+D", 'D', tk::kShift},
        {"ctrl+alt+1", '1', tk::kCtrl | tk::kAlt},
        {"SHIFT+Ctrl+ALT+vk:200", 200, tk::kShift | tk::kCtrl | tk::kAlt},
        {"alt+shift+m", 'M', tk::kShift | tk::kAlt},
    };
    for (const Case& c : cases) {
        Script s = parsed(std::string("0 key ") + c.name);
        ASSERT_EQ(s.commands.size(), 1u) << c.name;
        EXPECT_EQ(s.commands[0].vk, c.vk) << c.name;
        EXPECT_EQ(s.commands[0].modifiers, c.mods) << c.name;
    }
}

TEST(ReplayScript, BadKeyNames) {
    for (const char* name :
         {"F0", "F13", "F01", "NUM", "NUM10", "shift+", "+D", "hyper+D", "shift++D", "VK:", "VK:-1",
          "VK:256", "VK:99999999999999999999999", "VK:1x", "DD", "ä", "LEFTY", "0x41"}) {
        SCOPED_TRACE(name);
        expectErrorAt(std::string("0 dump\n0 key ") + name + "\n", 2);
    }
    expectErrorAt("0 key\n", 1);
    expectErrorAt("0 key D form3\n", 1);
    expectErrorAt("0 key D form2 extra\n", 1);
}

TEST(ReplayScript, BadTimes) {
    for (const char* t : {"abc", "-5", "+5", "1.5", "10ms", "1e3", "0x10", "", "\xff"}) {
        SCOPED_TRACE(t);
        expectErrorAt(std::string("# first\n\n") + t + " dump\n", 3);
    }
    expectErrorAt("dump\n", 1);  // a command without its time
    expectErrorAt("0\n", 1);     // a time without its command
}

TEST(ReplayScript, TimesNeverGoBackwards) {
    Script s = parsed("5 dump\n5 dump\n6 dump\n");
    EXPECT_EQ(s.commands.size(), 3u);
    expectErrorAt("10 dump\n# c\n9 dump\n", 3);
    expectErrorAt("0 dump\n100 key D\n99 key A\n", 3);
}

TEST(ReplayScript, HugeNumbersAreRangeErrorsNotOverflows) {
    EXPECT_EQ(parsed("1000000000000 dump").commands[0].timeMs, kMaxTimeMs);
    expectErrorAt("1000000000001 dump\n", 1);
    expectErrorAt("9223372036854775807 dump\n", 1);
    expectErrorAt("18446744073709551616 dump\n", 1);
    expectErrorAt("99999999999999999999999999999999999999999 dump\n", 1);
    // An overflow that wraps to a small number must not slip through as an earlier time.
    expectErrorAt("5 dump\n18446744073709551617 dump\n", 2);
}

TEST(ReplayScript, SeedRangeAndPlace) {
    EXPECT_EQ(parsed("seed 0").seed, 0u);
    EXPECT_EQ(parsed("seed 4294967295").seed, 4294967295u);
    EXPECT_EQ(parsed("# comment first\n\nseed 7\n0 dump\n").seed, 7u);
    expectErrorAt("seed 4294967296\n", 1);
    expectErrorAt("seed 99999999999999999999999\n", 1);
    expectErrorAt("seed -1\n", 1);
    expectErrorAt("seed\n", 1);
    expectErrorAt("seed 1 2\n", 1);
    expectErrorAt("seed x\n", 1);
    expectErrorAt("0 dump\nseed 1\n", 2);
    expectErrorAt("seed 1\nseed 2\n", 2);
    expectErrorAt("0 seed 1\n", 1);
}

TEST(ReplayScript, ResizeSizesAreBounded) {
    Script s = parsed("0 resize 1 1\n0 resize 32767 32767\n");
    EXPECT_EQ(s.commands[0].width, kMinWindowSize);
    EXPECT_EQ(s.commands[1].height, kMaxWindowSize);
    for (const char* args : {"0 100", "100 0", "-1 100", "100 -1", "32768 100", "100 32768",
                             "99999999999999999999 1", "1.5 2", "100", "", "100 100 100", "a b"}) {
        SCOPED_TRACE(args);
        expectErrorAt(std::string("0 resize ") + args + "\n", 1);
    }
}

TEST(ReplayScript, UnknownCommandsAndStrayArguments) {
    for (const char* line : {"0 jump", "0 DUMP", "0 Key D", "0 dump now", "0 end 5",
                             "0 mouse-down 1", "0 maximise", "0 dismiss all", "0 du\x01mp"}) {
        SCOPED_TRACE(line);
        expectErrorAt(std::string("0 dump\n# x\n") + line + "\n", 3);
    }
    expectErrorAt(std::string("0 du\0mp\n", 8), 1);
}

TEST(ReplayScript, NothingFollowsEnd) {
    EXPECT_EQ(parsed("0 dump\n10 end\n# done\n\n").commands.size(), 2u);
    expectErrorAt("10 end\n20 dump\n", 2);
    expectErrorAt("10 end\n10 end\n", 2);
}

TEST(ReplayScript, LongLinesAndBinaryDataGiveShortPrintableErrors) {
    const std::string big(10 << 20, 'x');
    expectErrorAt("0 dump\n" + big + "\n", 2);
    expectErrorAt("0 dump\n0 key " + big + "\n", 2);
    expectErrorAt("0 dump\n0 " + big + "\n", 2);
    // A 10 MB comment costs nothing.
    EXPECT_EQ(parsed("0 dump #" + big + "\n1 dump\n").commands.size(), 2u);

    std::mt19937 rng(7);
    for (int round = 0; round < 200; ++round) {
        std::string junk(1 + rng() % 300, '\0');
        for (char& c : junk) c = char(rng());
        Script s;
        std::string error;
        if (!parseScript("0 dump\n" + junk, "s.replay", s, error)) {
            EXPECT_EQ(error.rfind("s.replay:", 0), 0u) << error;
            EXPECT_TRUE(printableLine(error)) << error;
        }
    }
}

TEST(ReplayScript, ErrorsNameTheScriptAsGiven) {
    Script s;
    std::string error;
    ASSERT_FALSE(parseScript("0 jump\n", "-", s, error));
    EXPECT_EQ(error.rfind("-:1: ", 0), 0u) << error;
    ASSERT_FALSE(parseScript("0 jump\n", "dir/x.replay", s, error));
    EXPECT_EQ(error.rfind("dir/x.replay:1: ", 0), 0u) << error;
}

TEST(ReplayScript, LoadReportsFilesThatCannotBeRead) {
    replay_test::TempDir dir;
    Script s;
    std::string error;
    const std::string missing = (dir.path() / "missing.replay").string();
    EXPECT_FALSE(loadScript(missing, s, error));
    EXPECT_EQ(error.rfind(missing + ":0: ", 0), 0u) << error;
    EXPECT_FALSE(loadScript(dir.path().string(), s, error));  // a directory
    EXPECT_EQ(error.rfind(dir.path().string() + ":0: ", 0), 0u) << error;
    const auto good = dir.write("good.replay", "seed 9\n0 dump\n");
    EXPECT_TRUE(loadScript(good.string(), s, error)) << error;
    EXPECT_EQ(s.seed, 9u);
    EXPECT_EQ(s.commands.size(), 1u);
}
