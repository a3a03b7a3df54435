// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The frame trace of the real windows: one file for the whole program, whichever of its
// windows writes.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QWindow>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "replay_support.h"
#include "tests/qt_support.h"
#include "toolkit/qt/frame_trace.h"
#include "toolkit/qt/frame_tracer.h"
#include "toolkit/qt/text_metrics.h"
#include "toolkit/qt/window_host.h"
#include "tools/replay/session.h"

namespace {

// Names the trace file in the environment for as long as it lives.
struct TraceFile {
    replay_test::TempDir dir;
    std::string path = (dir.path() / "trace").string();
    TraceFile() { ::setenv("BRISCO2_FRAME_TRACE", path.c_str(), 1); }
    ~TraceFile() { ::unsetenv("BRISCO2_FRAME_TRACE"); }
    std::vector<std::string> lines() const {
        return replay_test::lines(replay_test::readFile(path));
    }
};

// Lets the event loop run until `done` holds, or 10 s have passed. Returns `done()`.
bool processUntil(const std::function<bool()>& done) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < 10'000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

}  // namespace

TEST(FrameTrace, EveryWindowsLinesAreKeptInOneFile) {
    TraceFile file;
    // Each window opens the trace as it is made; the first has written by the time the
    // second is made.
    auto first = tk::qt::FrameTrace::fromEnvironment();
    ASSERT_TRUE(first);
    first->frame(1);
    auto second = tk::qt::FrameTrace::fromEnvironment();
    ASSERT_TRUE(second);
    second->frame(2);
    first->key(3, 4);
    second->frame(5);
    EXPECT_EQ(file.lines(), (std::vector<std::string>{"frame 1", "frame 2", "key 3 4", "frame 5"}));
    // A window made once the others are gone adds to the same trace.
    first.reset();
    second.reset();
    auto third = tk::qt::FrameTrace::fromEnvironment();
    ASSERT_TRUE(third);
    third->frame(6);
    EXPECT_EQ(file.lines(),
              (std::vector<std::string>{"frame 1", "frame 2", "key 3 4", "frame 5", "frame 6"}));
}

TEST(FrameTrace, BothWindowsOfTheGameWriteToTheOneTrace) {
    TraceFile file;
    qt_support::application();
    tk::qt::QtTextMetrics metrics;
    brisco2::Session g{brisco2::Session::Options{
        .seed = 0, .media = nullptr, .metrics = &metrics, .quietTicks = tk::QuietTicks::Run}};
    tk::qt::QtWindowHost host1{g.window1()};
    tk::qt::QtWindowHost host2{g.window2()};
    g.runUntil(3005);  // both windows shown
    auto exposed = [](tk::qt::QtWindowHost& h) {
        return h.widget().windowHandle() && h.widget().windowHandle()->isExposed();
    };
    ASSERT_TRUE(processUntil([&] { return exposed(host1) && exposed(host2); }));
    // Changes in one window, then in the other, then in the first again: each frame's
    // line comes after every line before it.
    std::vector<std::string> seen = file.lines();
    const std::pair<tk::Window*, tk::Color> changes[] = {{&g.window1(), tk::colors::red},
                                                         {&g.window1(), tk::colors::blue},
                                                         {&g.window1(), tk::colors::red},
                                                         {&g.window2(), tk::colors::blue},
                                                         {&g.window1(), tk::colors::green}};
    int step = 0;
    for (const auto& [w, colour] : changes) {
        SCOPED_TRACE(step++);
        w->setColor(colour);
        ASSERT_TRUE(processUntil([&] { return file.lines().size() > seen.size(); }))
            << "the frame's line never came";
        const auto now = file.lines();
        EXPECT_EQ(std::vector<std::string>(now.begin(), now.begin() + seen.size()), seen);
        seen = now;
    }
    const auto& all = seen;
    for (const std::string& line : all) EXPECT_EQ(line.rfind("frame ", 0), 0u) << line;
}

TEST(FrameTrace, AFrameShowsTheKeysTakenSinceTheLastFrameThatShowedSomething) {
    TraceFile file;
    tk::qt::FrameTracer tracer(tk::qt::FrameTrace::fromEnvironment());
    ASSERT_TRUE(tracer.on());
    tracer.keyChanged(10);
    tracer.keyChanged(12);
    tracer.frameShown(20);
    tracer.keyChanged(30);
    tracer.nothingShown();  // what that key changed never showed
    tracer.frameShown(40);
    EXPECT_EQ(file.lines(),
              (std::vector<std::string>{"key 10 20", "key 12 20", "frame 20", "frame 40"}));

    tk::qt::FrameTracer off(nullptr);
    EXPECT_FALSE(off.on());
    off.keyChanged(50);
    off.frameShown(60);
    EXPECT_EQ(file.lines().size(), 4u);
}
