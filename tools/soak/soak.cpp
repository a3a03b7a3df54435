// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// brisco2-soak: hours of random play through the replay runner, checking at every
// simulated hour that the game is consistent and that memory stays flat.
//
// Usage: brisco2-soak [HOURS [SEED]]   (defaults: 24 hours, seed 1)
// Exit status 0 when every check held, 1 otherwise.
#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>

#include "tools/replay/runner.h"
#include "tools/replay/script.h"
#include "tools/replay/session.h"
#include "tools/replay/silent_music.h"

namespace {

long residentKb() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// The integer after "key": in a dump line, or -1.
long long field(const std::string& dump, const std::string& key) {
    const std::string needle = "\"" + key + "\":";
    auto at = dump.find(needle);
    if (at == std::string::npos) return -1;
    return std::atoll(dump.c_str() + at + needle.size());
}

bool timerOn(const std::string& dump, const std::string& name) {
    return dump.find("\"" + name + "\":{\"enabled\":true") != std::string::npos;
}

}  // namespace

int main(int argc, char** argv) {
    const int hours = argc > 1 ? std::atoi(argv[1]) : 24;
    const unsigned seed = argc > 2 ? unsigned(std::atoi(argv[2])) : 1u;
    if (hours < 1 || hours > 24 * 365) {
        std::fprintf(stderr, "usage: brisco2-soak [HOURS [SEED]]\n");
        return 2;
    }

    // The script: a random action every 50 to 2000 ms, a dump on every hour.
    std::mt19937 rng(seed);
    std::string text = "seed " + std::to_string(seed) + "\n";
    const std::int64_t endMs = std::int64_t(hours) * 3'600'000;
    std::int64_t nextDump = 3'600'000;
    const char* keys[] = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "M", "F5", "D", "A"};
    for (std::int64_t t = 0; t < endMs;) {
        t += 50 + std::int64_t(rng() % 1950);
        while (nextDump <= t && nextDump < endMs) {
            text += std::to_string(nextDump) + " dump\n";
            nextDump += 3'600'000;
        }
        if (t >= endMs) break;
        const unsigned pick = rng() % 100;
        std::string cmd;
        if (pick < 70)
            cmd = std::string("key ") + keys[9 + rng() % 4];  // M, F5, D, A: the busy keys
        else if (pick < 85)
            cmd = std::string("key ") + keys[rng() % 9];
        else if (pick < 90)
            cmd = "resize " + std::to_string(100 + rng() % 900) + " " +
                  std::to_string(100 + rng() % 700);
        else if (pick < 94)
            cmd = (rng() % 2) ? "maximize" : "minimize";
        else if (pick < 97)
            cmd = "restore";
        else
            cmd = "dismiss";
        text += std::to_string(t) + " " + cmd + "\n";
    }
    text += std::to_string(endMs) + " dump\n";

    brisco2::replay::Script script;
    std::string error;
    if (!brisco2::replay::parseScript(text, "soak", script, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }

    brisco2::Session::Options options;
    options.seed = script.seed;
    options.media = brisco2::replay::silentMusic();
    brisco2::Session session(std::move(options));

    int hour = 0, failures = 0;
    long firstHourKb = 0;
    long long lastGame = -1;
    std::printf("hour  rss_kb  GameSeconds  Points  reports\n");
    brisco2::replay::runScript(script, session, [&](const std::string& dump) {
        ++hour;
        const long kb = residentKb();
        if (hour == 1) firstHourKb = kb;
        const long long t = field(dump, "t");
        const long long game = field(dump, "GameSeconds");
        // The game clock starts at 3000 ms and never stops: one second per tick.
        const long long expected = t >= 4000 ? (t - 3000) / 1000 : 0;
        int chain = 0;
        for (const char* n : {"Timer5", "Timer9", "Timer10", "Timer11"}) chain += timerOn(dump, n);
        auto check = [&](bool ok, const char* what) {
            if (!ok) {
                ++failures;
                std::printf("hour %d: %s\n", hour, what);
            }
        };
        check(game == expected, "GameSeconds does not match the game clock");
        check(game >= lastGame, "GameSeconds went backwards");
        check(chain == 1, "not exactly one frame-chain timer enabled");
        check(!(timerOn(dump, "m7") && timerOn(dump, "m8")), "m7 and m8 both enabled");
        check(timerOn(dump, "Timer2") && timerOn(dump, "Timer6") && timerOn(dump, "Timer4"),
              "a timer that never stops has stopped");
        lastGame = game;
        std::printf("%4d  %6ld  %11lld  %6lld  %7zu\n", hour, kb, game, field(dump, "Points"),
                    session.app().reports().size());
    });
    const long growth = residentKb() - firstHourKb;
    std::printf("resident growth from hour 1 to the end: %ld kB (limit 1024 kB)\n", growth);
#if defined(__SANITIZE_ADDRESS__)
    const bool measured = false;  // the sanitizer's quarantine holds freed memory on purpose
#else
    const bool measured = true;
#endif
    if (measured && hours > 1 && growth >= 1024) {
        ++failures;
        std::printf("memory grew\n");
    }
    std::printf("%d passed, %d failed\n", failures == 0 ? 1 : 0, failures == 0 ? 0 : 1);
    return failures == 0 ? 0 : 1;
}
