// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The program itself when its platform timer fails or its recording cannot be made:
// one clear line and a failing status, never an abort and never a game whose timers
// stand still.
#include <gtest/gtest.h>

#include <string>

#include "preload_support.h"
#include "replay_support.h"

namespace {

using replay_test::lines;
using replay_test::RunResult;
using replay_test::TempDir;

// Kills a game that hangs instead of ending.
constexpr int kTimeoutSeconds = 20;

RunResult runGameWithFault(const std::string& fault) {
    TempDir cwd;
    return replay_test::runProgram(BRISCO2_GAME, {}, "", cwd.path(),
                                   {{"QT_QPA_PLATFORM", "offscreen"},
                                    {"LD_PRELOAD", BRISCO2_TIMERFD_FAULTS},
                                    {"ASAN_OPTIONS", preload_test::asanOptions()},
                                    {"BRISCO2_TIMERFD_FAULT", fault}},
                                   kTimeoutSeconds);
}

void expectClearFailure(const RunResult& r, const std::string& message) {
    EXPECT_EQ(r.status, 1) << r.err;
    const auto err = lines(r.err);
    ASSERT_FALSE(err.empty());
    EXPECT_EQ(err.back().rfind("brisco2: " + message, 0), 0u) << r.err;
    EXPECT_EQ(r.err.find("terminate called"), std::string::npos) << r.err;
}

}  // namespace

TEST(StartupFaults, NoPlatformTimerEndsTheProgramWithOneClearLine) {
    expectClearFailure(runGameWithFault("create"), "timerfd_create: ");
    // The first wake-up cannot be armed.
    expectClearFailure(runGameWithFault("settime:1"), "timerfd_settime: ");
}

TEST(StartupFaults, AWakeUpThatCannotBeArmedWhilePlayingEndsTheProgram) {
    // Well into the title screen, a few hundred wake-ups after the start.
    expectClearFailure(runGameWithFault("settime:300"), "timerfd_settime: ");
}

TEST(StartupFaults, ARecordingThatCannotBeMadeStopsTheStartWithOneClearLine) {
    TempDir cwd;
    auto r = replay_test::runProgram(BRISCO2_GAME, {"--record"}, "", cwd.path(),
                                     {{"QT_QPA_PLATFORM", "offscreen"}}, kTimeoutSeconds);
    EXPECT_EQ(r.status, 2);
    ASSERT_FALSE(lines(r.err).empty());
    EXPECT_EQ(lines(r.err)[0], "brisco2: --record needs a file name");
    const std::string nowhere = (cwd.path() / "none" / "s.replay").string();
    r = replay_test::runProgram(BRISCO2_GAME, {"--record", nowhere}, "", cwd.path(),
                                {{"QT_QPA_PLATFORM", "offscreen"}}, kTimeoutSeconds);
    expectClearFailure(r, "cannot write " + nowhere + ": No such file or directory");
}
