// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Preloaded into processes that play through the sound server: stops the process at once
// when a connection to the server is taken down while its event thread may still be
// running in it, that is from another thread without the threaded main loop's lock.
// The real race aborts somewhere inside the sound library once in many hundred runs;
// this makes the same mistake fail every time, with a line that says what it was.
#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>

// The sound library's own types, opaque here: the probe needs no development headers.
extern "C" {
struct pa_threaded_mainloop;
struct pa_context;
}

namespace {

thread_local int held = 0;  // this thread's holds of a threaded main loop's lock
pa_threaded_mainloop* lastLoop = nullptr;

template <class Fn>
Fn next(const char* name) {
    return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" void pa_threaded_mainloop_lock(pa_threaded_mainloop* m) {
    static auto real = next<void (*)(pa_threaded_mainloop*)>("pa_threaded_mainloop_lock");
    real(m);
    lastLoop = m;
    ++held;
}

extern "C" void pa_threaded_mainloop_unlock(pa_threaded_mainloop* m) {
    static auto real = next<void (*)(pa_threaded_mainloop*)>("pa_threaded_mainloop_unlock");
    --held;
    real(m);
}

extern "C" void pa_context_disconnect(pa_context* c) {
    static auto real = next<void (*)(pa_context*)>("pa_context_disconnect");
    // Callbacks run on the loop's own thread, which holds the lock for them.
    static auto inThread = next<int (*)(pa_threaded_mainloop*)>("pa_threaded_mainloop_in_thread");
    const bool onLoopThread = lastLoop != nullptr && inThread != nullptr && inThread(lastLoop);
    if (held <= 0 && !onLoopThread) {
        static const char line[] =
            "pulse-lock-probe: pa_context_disconnect without the main loop's lock\n";
        (void)!write(STDERR_FILENO, line, sizeof line - 1);
        std::abort();
    }
    real(c);
}
