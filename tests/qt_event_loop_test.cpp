// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The real clock and its timer wake-up in a running Qt event loop, and the error
// report's message box, which must not stop that loop.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <vector>

#include "tests/qt_support.h"
#include "toolkit/application.h"
#include "toolkit/qt/event_loop.h"
#include "toolkit/qt/report_view.h"
#include "toolkit/qt/text_metrics.h"

namespace {

// Runs the event loop until `done` holds or `limitMs` has passed; returns `done()`.
bool runUntil(const std::function<bool()>& done, int limitMs) {
    QElapsedTimer t;
    t.start();
    QTimer heartbeat;  // so that waiting for events always ends
    heartbeat.start(20);
    while (!done() && t.elapsed() < limitMs)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return done();
}

struct RealLoop : ::testing::Test {
    QApplication& qapp = qt_support::application();
    tk::qt::RealClock clock;
    tk::LoopClock gameClock{clock};
    tk::qt::QtTextMetrics metrics;
    tk::Application app{gameClock, metrics, "Brisco2"};
    tk::RealLoop loop{app, gameClock};
    tk::qt::RealTimerDriver driver{loop, clock};
};

// A timer that records when it ticked and when that tick was due. Each tick changes the
// game, as a moving actor does: the loop must not let it sleep.
struct Probe {
    tk::Timer timer;
    std::vector<std::pair<tk::Nanos, tk::Nanos>> ticks;  // (now, due)
    std::function<tk::Nanos()> timerNow;
    Probe(tk::Scheduler& s, const char* name, std::uint32_t ms) : timer(s, name) {
        timer.setInterval(ms);
        timer.setOnTimer([this](tk::Object*) {
            // The scheduler has moved the due time on by one period before the handler.
            const tk::Nanos period = tk::Nanos(timer.interval()) * tk::kMillisecond;
            ticks.emplace_back(timerNow(), timer.due() - period);
            tk::noteStateChange();
        });
    }
};

}  // namespace

TEST_F(RealLoop, TheClockStandsAtZeroUntilTheLoopStarts) {
    EXPECT_EQ(clock.now(), 0);
    EXPECT_FALSE(clock.started());
    clock.start();
    const tk::Nanos a = clock.now();
    const tk::Nanos b = clock.now();
    EXPECT_GE(a, 0);
    EXPECT_GE(b, a);
    EXPECT_LT(a, 1000 * tk::kMillisecond);
    EXPECT_EQ(clock.toMonotonic(a) - clock.toMonotonic(0), a);
}

TEST_F(RealLoop, TimersLoadedBeforeTheStartCountFromItAndNeverTickEarly) {
    Probe p(app.scheduler(), "t", 30);  // armed at load, at clock time 0
    p.timerNow = [this] { return clock.now(); };
    clock.start();
    driver.start();
    ASSERT_TRUE(runUntil([&] { return p.ticks.size() >= 4; }, 5000));
    for (std::size_t i = 0; i < p.ticks.size(); ++i)
        EXPECT_GE(p.ticks[i].first, p.ticks[i].second) << "tick " << i << " came early";
    EXPECT_GE(p.ticks.front().first, 30 * tk::kMillisecond);
}

TEST_F(RealLoop, ATimerArmedSoonerThanTheWakeUpHeldWakesTheLoopSooner) {
    Probe slow(app.scheduler(), "slow", 60000);
    Probe fast(app.scheduler(), "fast", 20);
    fast.timer.setEnabled(false);
    fast.timerNow = [this] { return clock.now(); };
    clock.start();
    driver.start();
    ASSERT_EQ(driver.deadline(), 60000 * tk::kMillisecond);
    // Enabled from inside the loop, as a key handler would.
    QTimer::singleShot(0, [&] { fast.timer.setEnabled(true); });
    EXPECT_TRUE(runUntil([&] { return fast.ticks.size() >= 2; }, 3000));
    EXPECT_TRUE(slow.ticks.empty());
}

TEST_F(RealLoop, AnErrorReportIsAModalBoxThatLetsTheTimersRun) {
    tk::qt::QtReportView view(app);
    app.setReportView(&view);
    Probe p(app.scheduler(), "t", 10);
    p.timerNow = [this] { return clock.now(); };
    clock.start();
    driver.start();

    app.report("Kaputt");
    ASSERT_EQ(view.openBoxes().size(), 1u);
    QPointer<QMessageBox> box = view.openBoxes().front();
    EXPECT_EQ(box->text(), "Kaputt.");
    EXPECT_EQ(box->windowTitle(), "Brisco2");
    EXPECT_EQ(box->icon(), QMessageBox::Critical);
    EXPECT_EQ(box->windowModality(), Qt::ApplicationModal);
    EXPECT_TRUE(box->isVisible());

    EXPECT_TRUE(runUntil([&] { return p.ticks.size() >= 5; }, 5000));
    EXPECT_TRUE(app.reports().front().open);
    EXPECT_TRUE(box->isVisible());

    box->button(QMessageBox::Ok)->click();
    EXPECT_FALSE(app.reports().front().open);
    EXPECT_TRUE(runUntil([&] { return box.isNull(); }, 2000)) << "the box is deleted on close";
    EXPECT_TRUE(view.openBoxes().empty());
}
