// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// What one wake-up costs on this machine when nothing is done in it: a thread sleeps on
// a periodic timerfd at RATE Hz for SECONDS and reports its own CPU time per wake-up, by
// the scheduler's count. A program that wakes N times a second can use no less than N
// times this, however little it does; in a virtual machine it is tens of microseconds.
//
//   brisco2-wake-floor RATE SECONDS   prints: wakeups=W cpu_ns=C ns_per_wakeup=P

#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace {

long long ownCpuNs() {
    std::ifstream f("/proc/thread-self/schedstat");
    long long ns = -1;
    f >> ns;
    return ns;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s RATE SECONDS\n", argv[0]);
        return 2;
    }
    const long rate = std::strtol(argv[1], nullptr, 10);
    const double seconds = std::strtod(argv[2], nullptr);
    if (rate < 1 || rate > 10000 || !(seconds > 0) || seconds > 3600) {
        std::fprintf(stderr, "%s: RATE is 1..10000 Hz, SECONDS 0..3600\n", argv[0]);
        return 2;
    }
    const int fd = timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC);
    if (fd < 0) {
        std::fprintf(stderr, "%s: timerfd_create: %s\n", argv[0], std::strerror(errno));
        return 1;
    }
    const long periodNs = 1'000'000'000L / rate;
    itimerspec ticking{};
    ticking.it_interval.tv_sec = periodNs / 1'000'000'000L;
    ticking.it_interval.tv_nsec = periodNs % 1'000'000'000L;
    ticking.it_value = ticking.it_interval;
    if (timerfd_settime(fd, 0, &ticking, nullptr) != 0) {
        std::fprintf(stderr, "%s: timerfd_settime: %s\n", argv[0], std::strerror(errno));
        return 1;
    }
    const long long wakeups = static_cast<long long>(rate * seconds);
    const long long before = ownCpuNs();
    for (long long i = 0; i < wakeups; ++i) {
        std::uint64_t expirations = 0;
        if (read(fd, &expirations, sizeof expirations) != sizeof expirations && errno != EINTR) {
            std::fprintf(stderr, "%s: read: %s\n", argv[0], std::strerror(errno));
            return 1;
        }
    }
    const long long cpu = ownCpuNs() - before;
    if (before < 0 || cpu < 0) {
        std::fprintf(stderr, "%s: no scheduler statistics in /proc\n", argv[0]);
        return 1;
    }
    std::printf("wakeups=%lld cpu_ns=%lld ns_per_wakeup=%lld\n", wakeups, cpu, cpu / wakeups);
    return 0;
}
