// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Showing and re-framing a window by a window manager's answers, scripted here.
#include "toolkit/qt/x11_reframer.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "tests/qt_support.h"

using tk::FrameExtents;
using tk::qt::X11Reframer;
using Step = X11Reframer::Step;
using Log = std::vector<std::string>;

namespace {

// A window manager whose answers the test sets; it notes what it was asked.
struct ScriptedWm : tk::qt::WmAnswers {
    bool running = true;
    bool isManaged = true;
    bool isWithdrawn = false;
    std::optional<FrameExtents> frame;
    Log asked;
    bool wmRunning() const override { return running; }
    bool managed() const override { return isManaged; }
    bool withdrawn() const override { return isWithdrawn; }
    std::optional<FrameExtents> extents() const override { return frame; }
    void requestExtents() override { asked.push_back("request"); }
    void clearExtents() override {
        asked.push_back("clear");
        frame.reset();
    }
};

// The window's side: what was done to it, in order.
struct RecordingHost : X11Reframer::Host {
    bool isWanted = true;
    bool outdated = true;
    Log done;
    bool wanted() const override { return isWanted; }
    bool borderOutdated() const override { return outdated; }
    void withdraw() override { done.push_back("withdraw"); }
    void rebuild() override {
        done.push_back("rebuild");
        outdated = false;
    }
    void framed(const FrameExtents& f) override {
        done.push_back("framed " + std::to_string(f.left) + "," + std::to_string(f.top));
    }
    void show() override { done.push_back("show"); }
    void keepHidden() override { done.push_back("keepHidden"); }
    bool has(const std::string& what) const {
        return std::find(done.begin(), done.end(), what) != done.end();
    }
};

// An answer wait that never runs out within a test.
constexpr int kNever = 600'000;

bool processUntil(const std::function<bool()>& done) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < 10'000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    return done();
}

struct Reframer : ::testing::Test {
    QApplication& qapp = qt_support::application();
    ScriptedWm wm;
    RecordingHost host;
};

}  // namespace

TEST_F(Reframer, EachStepWaitsForTheWindowManagersAnswer) {
    wm.isManaged = false;  // its map request still on the way
    X11Reframer r(host, &wm, kNever);
    r.reframe();
    EXPECT_EQ(r.step(), Step::Managed);
    EXPECT_TRUE(host.done.empty()) << "withdrawn before the window manager took it in";

    wm.isManaged = true;
    r.answered();
    EXPECT_EQ(host.done, Log{"withdraw"});
    EXPECT_EQ(r.step(), Step::Withdrawn);
    r.answered();  // something else changed: still not let go
    EXPECT_EQ(host.done, Log{"withdraw"});

    wm.isManaged = false;
    wm.isWithdrawn = true;
    r.answered();
    EXPECT_EQ(host.done, (Log{"withdraw", "rebuild"}));
    EXPECT_EQ(wm.asked, (Log{"clear", "request"}));
    EXPECT_EQ(r.step(), Step::Extents);
    r.answered();  // no frame told yet
    EXPECT_FALSE(host.has("show"));

    wm.frame = FrameExtents{5, 29, 5, 5};
    r.answered();
    EXPECT_EQ(host.done, (Log{"withdraw", "rebuild", "framed 5,29", "show"}));
    EXPECT_FALSE(r.busy());
}

TEST_F(Reframer, AnAnswerThatNeverComesIsWaitedOutAtEachStepAndNoStepIsSkipped) {
    wm.isManaged = false;
    wm.isWithdrawn = false;  // neither ever changes
    X11Reframer r(host, &wm, 30);
    r.reframe();
    EXPECT_TRUE(host.done.empty());
    // Each step is looked at as soon as the one before it is done.
    ASSERT_TRUE(processUntil([&] { return host.has("withdraw"); }));
    EXPECT_EQ(host.done, Log{"withdraw"}) << "the wait for the window to be let go was skipped";
    EXPECT_EQ(r.step(), Step::Withdrawn);
    ASSERT_TRUE(processUntil([&] { return host.has("rebuild"); }));
    EXPECT_EQ(host.done, (Log{"withdraw", "rebuild"})) << "the wait for the frame was skipped";
    EXPECT_EQ(wm.asked, (Log{"clear", "request"}));
    ASSERT_TRUE(processUntil([&] { return host.has("show"); }));
    EXPECT_EQ(host.done, (Log{"withdraw", "rebuild", "show"}));  // shown with no frame told
    EXPECT_FALSE(r.busy());
}

TEST_F(Reframer, WithoutAWindowManagerTheWindowIsReframedAndShownAtOnce) {
    wm.running = false;
    wm.isManaged = false;
    X11Reframer r(host, &wm, kNever);
    r.reframe();
    EXPECT_EQ(host.done, (Log{"withdraw", "rebuild", "show"}));
    EXPECT_TRUE(wm.asked.empty());
    EXPECT_FALSE(r.busy());

    host.done.clear();
    X11Reframer none(host, nullptr, kNever);  // not X11 at all
    none.show();
    EXPECT_EQ(host.done, Log{"show"});
}

TEST_F(Reframer, AShowAsksForAFreshFrameAndWaitsForIt) {
    host.outdated = false;
    wm.frame = FrameExtents{1, 1, 1, 1};  // the answer for the window's last frame
    X11Reframer r(host, &wm, kNever);
    r.show();
    EXPECT_EQ(wm.asked, (Log{"clear", "request"}));
    EXPECT_TRUE(host.done.empty()) << "shown by an old answer";
    wm.frame = FrameExtents{4, 23, 4, 4};
    r.answered();
    EXPECT_EQ(host.done, (Log{"framed 4,23", "show"}));
}

TEST_F(Reframer, ABorderChangedWhileTheFrameIsAwaitedIsTakenBeforeTheShow) {
    host.outdated = false;
    X11Reframer r(host, &wm, kNever);
    r.show();
    host.outdated = true;
    wm.frame = FrameExtents{4, 23, 4, 4};  // the frame of the border it no longer has
    r.answered();
    EXPECT_EQ(host.done, Log{"rebuild"});
    EXPECT_EQ(wm.asked, (Log{"clear", "request", "clear", "request"}));
    EXPECT_EQ(r.step(), Step::Extents);
    wm.frame = FrameExtents{0, 0, 0, 0};
    r.answered();
    EXPECT_EQ(host.done, (Log{"rebuild", "framed 0,0", "show"}));
}

TEST_F(Reframer, AWindowHiddenMeanwhileStaysHidden) {
    X11Reframer r(host, &wm, kNever);
    r.reframe();
    ASSERT_EQ(host.done, Log{"withdraw"});
    host.isWanted = false;
    wm.isWithdrawn = true;
    r.answered();
    EXPECT_EQ(host.done, (Log{"withdraw", "rebuild", "keepHidden"}));
    EXPECT_FALSE(r.busy());

    host.done.clear();
    host.isWanted = true;
    r.show();
    ASSERT_EQ(r.step(), Step::Extents);
    r.cancelShow();
    EXPECT_FALSE(r.busy());
    wm.frame = FrameExtents{4, 23, 4, 4};
    r.answered();  // a late answer shows nothing
    EXPECT_TRUE(host.done.empty());
}
