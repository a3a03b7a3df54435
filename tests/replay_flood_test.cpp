// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A million random key-downs over the whole shortcut space through brisco2-replay in
// one run: every virtual-key code with every modifier combination, to both windows,
// with and without mouse capture. The game's standing invariants hold at every dump.
// This is the longest of the replay tests (a few seconds).
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "replay_support.h"

using replay_test::Json;

TEST(ReplayFlood, MillionRandomKeysKeepTheInvariants) {
    constexpr int kKeys = 1'000'000;
    constexpr int kDumpEvery = 10'000;
    std::mt19937 rng(20240611);
    std::string script = "seed 12345\n";
    script.reserve(40u * kKeys);
    long long t = 0;
    bool captured = false;
    int capturedKeys = 0, form2Keys = 0;
    for (int k = 1; k <= kKeys; ++k) {
        t += rng() % 8;
        const std::string time = std::to_string(t);
        if (rng() % 512 == 0) {
            captured = !captured;
            script += time + (captured ? " mouse-down\n" : " mouse-up\n");
        }
        const unsigned vk = rng() % 256;
        const unsigned mods = rng() % 8;
        const bool toForm2 = rng() % 2;
        script += time + " key ";
        if (mods & 1) script += "shift+";
        if (mods & 2) script += "ctrl+";
        if (mods & 4) script += "alt+";
        script += "VK:" + std::to_string(vk);
        script += toForm2 ? " form2\n" : "\n";
        capturedKeys += captured;
        form2Keys += toForm2;
        if (k % kDumpEvery == 0) script += time + " dump\n";
    }
    ASSERT_GT(capturedKeys, kKeys / 10);  // the flood covers both cases
    ASSERT_GT(form2Keys, kKeys / 3);

    replay_test::TempDir dir;
    const auto path = dir.write("flood.replay", script);
    auto r = replay_test::runReplay({path.string()}, "", dir.path());
    ASSERT_EQ(r.status, 0) << r.err;
    const auto dumps = replay_test::dumps(r.out);
    ASSERT_EQ(dumps.size(), std::size_t(kKeys / kDumpEvery));

    long long lastGameSeconds = -1, lastT = 0;
    for (const Json& d : dumps) {
        const long long t = d["t"].integer();
        SCOPED_TRACE("t = " + std::to_string(t));
        const Json& timers = d["timers"];
        int frames = 0;
        for (const char* name : {"Timer5", "Timer9", "Timer10", "Timer11"})
            frames += timers[name]["enabled"].truth();
        EXPECT_EQ(frames, 1);
        EXPECT_LE(timers["m7"]["enabled"].truth() + timers["m8"]["enabled"].truth(), 1);
        // The game clock runs on at one second a second whatever the keys do: a key
        // that stopped or restarted its timer would show here.
        const long long gs = d["globals"]["GameSeconds"].integer();
        if (lastGameSeconds >= 0) {
            EXPECT_GE(gs - lastGameSeconds, (t - lastT) / 1000);
            EXPECT_LE(gs - lastGameSeconds, (t - lastT) / 1000 + 1);
        }
        lastGameSeconds = gs;
        lastT = t;
    }
    // The run covered nearly an hour of game time.
    EXPECT_GT(lastGameSeconds, 3000);
}
