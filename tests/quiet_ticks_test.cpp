// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A real event loop lets a timer sleep once its tick changed nothing, until something
// changes. That is only sound if every change the game can see is counted. Every kept
// replay script runs here three ways on the simulated clock: every tick delivered; every
// tick delivered while each tick expected to change nothing is checked against a dump
// of the whole state before and after it; and with those ticks skipped. The dumps of
// all three must agree.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "replay_support.h"
#include "tools/replay/runner.h"
#include "tools/replay/script.h"

namespace {

using brisco2::Session;

using replay_test::replaysDir;

struct Played {
    std::vector<std::string> dumps;
    std::vector<std::string> noisy;  // ticks expected to change nothing that did
    std::uint64_t delivered = 0, skipped = 0;
};

Played replay(const std::string& name, tk::QuietTicks mode) {
    brisco2::replay::Script script;
    std::string error;
    const bool loaded =
        brisco2::replay::loadScript((replaysDir() / (name + ".replay")).string(), script, error);
    EXPECT_TRUE(loaded) << error;
    Session::Options options;
    options.seed = script.seed;
    options.media = brisco2::replay::recordedMusic(script, {});
    options.quietTicks = mode;
    Session session(std::move(options));
    Played run;
    try {
        brisco2::replay::runScript(script, session,
                                   [&](const std::string& line) { run.dumps.push_back(line); });
    } catch (const std::logic_error& e) {  // a checked tick changed the game
        run.noisy.push_back(e.what());
    }
    run.delivered = session.app().scheduler().ticksDelivered();
    run.skipped = session.sleepers().ticksSkipped();
    return run;
}

class QuietTicks : public ::testing::TestWithParam<std::string> {};

}  // namespace

TEST_P(QuietTicks, SkippingTicksThatChangeNothingChangesNothing) {
    const Played all = replay(GetParam(), tk::QuietTicks::Run);
    ASSERT_FALSE(all.dumps.empty());

    const Played checked = replay(GetParam(), tk::QuietTicks::Check);
    EXPECT_TRUE(checked.noisy.empty())
        << checked.noisy.size() << " ticks changed the state without counting it, first "
        << checked.noisy.front();
    EXPECT_EQ(checked.dumps, all.dumps);

    const Played skipping = replay(GetParam(), tk::QuietTicks::Skip);
    ASSERT_EQ(skipping.dumps.size(), all.dumps.size());
    for (std::size_t i = 0; i < all.dumps.size(); ++i)
        EXPECT_EQ(skipping.dumps[i], all.dumps[i]) << "dump " << i;
    std::printf(
        "%s: %llu ticks delivered; skipping %llu of them, %llu never due\n", GetParam().c_str(),
        static_cast<unsigned long long>(all.delivered),
        static_cast<unsigned long long>(skipping.skipped),
        static_cast<unsigned long long>(all.delivered - skipping.delivered - skipping.skipped));
}

INSTANTIATE_TEST_SUITE_P(Kept, QuietTicks, ::testing::ValuesIn(replay_test::replayNames()),
                         [](const auto& info) { return info.param; });
