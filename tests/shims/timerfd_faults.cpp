// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Preloaded into the game by the start-up tests: makes the platform timer fail on
// demand, as a system out of file descriptors or a broken kernel interface would.
//   BRISCO2_TIMERFD_FAULT=create        timerfd_create fails with EMFILE
//   BRISCO2_TIMERFD_FAULT=settime:N     the Nth timerfd_settime and every later one
//                                       fail with EINVAL (N from 1)
#include <dlfcn.h>
#include <sys/timerfd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

const char* fault() {
    const char* f = std::getenv("BRISCO2_TIMERFD_FAULT");
    return f ? f : "";
}

template <class Fn>
Fn next(const char* name) {
    return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" int timerfd_create(int clockid, int flags) {
    if (std::strcmp(fault(), "create") == 0) {
        errno = EMFILE;
        return -1;
    }
    static auto real = next<int (*)(int, int)>("timerfd_create");
    return real(clockid, flags);
}

extern "C" int timerfd_settime(int fd, int flags, const struct itimerspec* value,
                               struct itimerspec* old) {
    static long calls = 0;
    ++calls;
    const char* f = fault();
    if (std::strncmp(f, "settime:", 8) == 0 && calls >= std::atol(f + 8)) {
        errno = EINVAL;
        return -1;
    }
    static auto real =
        next<int (*)(int, int, const struct itimerspec*, struct itimerspec*)>("timerfd_settime");
    return real(fd, flags, value, old);
}
