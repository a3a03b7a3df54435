// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The game's command line: the parser, and the real program answering it with no
// display at all, as a package's scripts and a user at a text console meet it.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <vector>

#include "replay_support.h"

using brisco2::CommandLine;
using replay_test::EnvChange;
using replay_test::lines;
using replay_test::RunResult;
using replay_test::TempDir;

namespace {

CommandLine parse(std::vector<std::string> args) {
    std::vector<const char*> argv = {"brisco2"};
    for (const std::string& a : args) argv.push_back(a.c_str());
    return brisco2::parseCommandLine(static_cast<int>(argv.size()), argv.data());
}

// The game with no display of any kind reachable and no platform chosen.
RunResult runGame(const std::vector<std::string>& args) {
    TempDir cwd;
    return replay_test::runProgram(BRISCO2_GAME, args, "", cwd.path(),
                                   {{"DISPLAY", {}},
                                    {"WAYLAND_DISPLAY", {}},
                                    {"WAYLAND_SOCKET", {}},
                                    {"QT_QPA_PLATFORM", {}}});
}

}  // namespace

TEST(CommandLine, NoArgumentPlaysAndOptionsDecideInOrder) {
    EXPECT_EQ(parse({}).action, CommandLine::Action::Play);
    EXPECT_EQ(parse({"--"}).action, CommandLine::Action::Play);
    EXPECT_EQ(parse({"--help"}).action, CommandLine::Action::Help);
    EXPECT_EQ(parse({"-h"}).action, CommandLine::Action::Help);
    EXPECT_EQ(parse({"--version"}).action, CommandLine::Action::Version);
    // The first option that decides wins; what follows it is not read.
    EXPECT_EQ(parse({"--version", "--help"}).action, CommandLine::Action::Version);
    EXPECT_EQ(parse({"--help", "--bogus"}).action, CommandLine::Action::Help);
    EXPECT_EQ(parse({"--bogus", "--help"}).action, CommandLine::Action::Misused);
}

TEST(CommandLine, UnknownOptionsAndArgumentsAreNamed) {
    const struct {
        std::vector<std::string> args;
        std::string error;
    } cases[] = {
        {{"--bogus"}, "unknown option '--bogus'"},
        {{"-x"}, "unknown option '-x'"},
        {{"--help=all"}, "unknown option '--help=all'"},
        {{"--vers"}, "unknown option '--vers'"},
        // Qt's own options are not the game's.
        {{"-platform", "offscreen"}, "unknown option '-platform'"},
        {{"Brisco.wma"}, "unexpected argument 'Brisco.wma'"},
        {{"-"}, "unexpected argument '-'"},
        {{"--", "--help"}, "unexpected argument '--help'"},
    };
    for (const auto& c : cases) {
        const CommandLine cl = parse(c.args);
        EXPECT_EQ(cl.action, CommandLine::Action::Misused) << c.args[0];
        EXPECT_EQ(cl.error, c.error);
    }
}

TEST(CommandLine, HelpAndVersionAnswerWithoutADisplay) {
    const RunResult help = runGame({"--help"});
    EXPECT_EQ(help.status, 0) << help.err;
    EXPECT_EQ(help.err, "");
    EXPECT_EQ(help.out, brisco2::helpText());
    EXPECT_EQ(help.out.rfind("usage: brisco2 ", 0), 0u) << help.out;
    EXPECT_NE(help.out.find("--version"), std::string::npos);
    EXPECT_NE(help.out.find("Exit status"), std::string::npos);

    const RunResult version = runGame({"--version"});
    EXPECT_EQ(version.status, 0) << version.err;
    EXPECT_EQ(version.err, "");
    const auto out = lines(version.out);
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out[0], "brisco2 " BRISCO2_VERSION);
    EXPECT_NE(version.out.find("GPL-3.0-or-later"), std::string::npos);
}

TEST(CommandLine, MisuseExits2NamingTheArgumentOnStandardError) {
    for (const std::string arg : {"--bogus", "extra"}) {
        const RunResult r = runGame({arg});
        EXPECT_EQ(r.status, 2) << arg << ": " << r.err;
        EXPECT_EQ(r.out, "");
        const auto err = lines(r.err);
        ASSERT_EQ(err.size(), 2u) << r.err;
        EXPECT_NE(err[0].find("'" + arg + "'"), std::string::npos) << err[0];
        EXPECT_EQ(err[1].rfind(brisco2::kUsageLine, 0), 0u) << err[1];
    }
}

TEST(CommandLine, NoDisplaySaysWhatToSetInOneLineAndExits1) {
    const RunResult r = runGame({});
    EXPECT_EQ(r.status, 1) << "signal " << r.signal << ": " << r.err;
    EXPECT_EQ(r.signal, 0);
    EXPECT_FALSE(r.coreDumped);
    EXPECT_EQ(r.out, "");
    const auto err = lines(r.err);
    ASSERT_EQ(err.size(), 1u) << r.err;
    EXPECT_EQ(err[0].rfind("brisco2: ", 0), 0u) << err[0];
    EXPECT_NE(err[0].find("set DISPLAY"), std::string::npos) << err[0];
    EXPECT_NE(err[0].find("WAYLAND_DISPLAY"), std::string::npos) << err[0];
}
