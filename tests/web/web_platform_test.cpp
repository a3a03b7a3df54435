// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The browser edition's platform layer against a stand-in for the page: the functions the
// page gives the module are defined here and record what the module asks of them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "toolkit/application.h"
#include "toolkit/error.h"
#include "toolkit/headless.h"
#include "toolkit/loop.h"
#include "toolkit/menu.h"
#include "toolkit/picture.h"
#include "toolkit/web/canvas.h"
#include "toolkit/web/event_loop.h"
#include "toolkit/web/imports.h"
#include "toolkit/web/page.h"
#include "toolkit/web/web_media.h"
#include "toolkit/web/window_host.h"

namespace {

// What the page was asked.
struct PageLog {
    std::vector<double> wakes;
    struct Update {
        int window;
        std::string caption;
        int frame[4];
        int state, enabled, visible, left, top, width, height, icon;
    };
    std::vector<Update> updates;
    std::vector<int> frames;
    std::vector<std::vector<std::int32_t>> draws;
    std::vector<std::string> drawText;
    std::vector<std::pair<int, std::vector<std::uint8_t>>> pictures;
    std::vector<std::string> opened;
    std::string openFailure;  // what the next open answers; empty: it opens
    std::vector<std::string> prefetched;
    int plays = 0, closes = 0, quits = 0;
    void clear() { *this = PageLog{}; }
};
PageLog page;

}  // namespace

extern "C" {
void tkw_arm_wake(double delayMs) {
    page.wakes.push_back(delayMs);
}
void tkw_window_update(int window, const char* caption, int fl, int ft, int fr, int fb, int state,
                       int enabled, int visible, int left, int top, int width, int height,
                       int icon) {
    page.updates.push_back({window,
                            caption,
                            {fl, ft, fr, fb},
                            state,
                            enabled,
                            visible,
                            left,
                            top,
                            width,
                            height,
                            icon});
}
void tkw_request_frame(int window) {
    page.frames.push_back(window);
}
void tkw_draw(int, const std::int32_t* ops, int count, const char* text) {
    page.draws.emplace_back(ops, ops + count);
    page.drawText.emplace_back(text);
}
void tkw_define_picture(int id, int width, int height, const std::uint8_t* rgba) {
    page.pictures.emplace_back(id, std::vector<std::uint8_t>(rgba, rgba + width * height * 4));
}
int tkw_measure(const char*, const char* text, int* height) {
    *height = 13;
    return int(std::strlen(text)) * 5;
}
void tkw_report_show(int, const char*, const char*) {}
void tkw_quit() {
    ++page.quits;
}
void tkw_media_prefetch(const char* name) {
    page.prefetched.push_back(name);
}
int tkw_media_open(const char* name, char* failure, int size) {
    page.opened.push_back(name);
    if (page.openFailure.empty()) return 0;
    std::snprintf(failure, std::size_t(size), "%s", page.openFailure.c_str());
    return 1;
}
void tkw_media_play() {
    ++page.plays;
}
void tkw_media_close() {
    ++page.closes;
}
int tkw_media_playing() {
    return page.plays > 0 ? 1 : 0;
}
}

// What the module exports to the page (page.cpp).
extern "C" {
void tkw_wake();
int tkw_key(int window, int virtualKey, int modifiers);
void tkw_report_closed(int report);
double tkw_ticks(const char* timerName);
int tkw_asleep(const char* timerName);
int tkw_shortcuts(int* out, int max);
int tkw_constant(const char* name);
int tkw_constant_count();
}

namespace {

using tk::kMillisecond;

struct Fixture : ::testing::Test {
    void SetUp() override { page.clear(); }
    tk::SimClock clock;  // the page's real clock, moved by hand
    tk::LoopClock loopClock{clock};
    tk::FixedTextMetrics metrics;
    tk::Application app{loopClock, metrics, "brisco2"};
    tk::RealLoop loop{app, loopClock};
};

using WebTimers = Fixture;

TEST_F(WebTimers, OneWakeUpForTheEarliestDueTickRoundedUpAndArmedAgainAfterEachRound) {
    tk::Timer slow(app.scheduler(), "slow");
    tk::Timer fast(app.scheduler(), "fast");
    int slowTicks = 0, fastTicks = 0;
    slow.setInterval(25);
    // Each tick changes the game, as a moving actor does: neither timer may sleep.
    slow.setOnTimer([&](tk::Object*) {
        ++slowTicks;
        tk::noteStateChange();
    });
    fast.setInterval(1);  // the shortest period: 10 ms
    fast.setOnTimer([&](tk::Object*) {
        ++fastTicks;
        tk::noteStateChange();
    });
    tk::web::WebTimerDriver driver(loop, clock);
    clock.set(3 * kMillisecond / 10);  // 0.3 ms late to start
    driver.start();
    ASSERT_EQ(page.wakes.size(), 1u);
    EXPECT_EQ(page.wakes.back(), 10.0);  // 9.7 ms, rounded up: never early
    clock.set(10 * kMillisecond);
    driver.wake();
    EXPECT_EQ(fastTicks, 1);
    EXPECT_EQ(slowTicks, 0);
    EXPECT_EQ(page.wakes.back(), 10.0);
    clock.set(25 * kMillisecond);
    driver.wake();  // late: the fast timer's tick of 20 ms and the slow one's of 25 ms
    EXPECT_EQ(slowTicks, 1);
    EXPECT_EQ(fastTicks, 2);
    EXPECT_EQ(page.wakes.back(), 5.0);  // the fast timer keeps its phase: 30 ms
}

TEST_F(WebTimers, AnEarlierTimerWakesSoonerAndStopCancelsEverything) {
    tk::Timer slow(app.scheduler(), "slow");
    int ticks = 0;
    slow.setInterval(1000);
    slow.setOnTimer([&](tk::Object*) { ++ticks; });
    tk::web::WebTimerDriver driver(loop, clock);
    driver.start();
    EXPECT_EQ(page.wakes.back(), 1000.0);
    tk::Timer quick(app.scheduler(), "quick");
    quick.setInterval(30);
    quick.setOnTimer([&](tk::Object*) { ++ticks; });
    EXPECT_EQ(page.wakes.back(), 30.0);
    driver.stop();
    EXPECT_LT(page.wakes.back(), 0.0);
    clock.set(2000 * kMillisecond);
    driver.wake();  // a wake-up that was already on its way
    EXPECT_EQ(ticks, 0);
}

TEST_F(WebTimers, NothingArmedMeansNoWakeUp) {
    tk::web::WebTimerDriver driver(loop, clock);
    driver.start();
    EXPECT_TRUE(page.wakes.empty());
    EXPECT_FALSE(driver.deadline());
}

using WebPainting = Fixture;

TEST_F(WebPainting, TheDisplayListCarriesEveryOperationWithItsStrings) {
    tk::web::PictureIds ids;
    tk::web::WebCanvas canvas(ids);
    canvas.setClip(tk::Rect{1, 2, 3, 4});
    canvas.fill(tk::Rect{5, 6, 7, 8}, tk::colors::navy);
    tk::Font font;
    font.bold = true;
    font.italic = true;
    font.height = -16;
    font.color = tk::colors::red;
    canvas.text(tk::Rect{9, 10, 11, 12}, font, "Left+:10", tk::Canvas::Align::Center);
    const auto& ops = canvas.ops();
    ASSERT_EQ(ops.size(), 5u + 6u + 11u);
    EXPECT_EQ(std::vector<std::int32_t>(ops.begin(), ops.begin() + 5),
              (std::vector<std::int32_t>{tk::web::WebCanvas::kClip, 1, 2, 3, 4}));
    EXPECT_EQ(std::vector<std::int32_t>(ops.begin() + 5, ops.begin() + 11),
              (std::vector<std::int32_t>{tk::web::WebCanvas::kFill, 5, 6, 7, 8, 0x000080}));
    const auto* t = &ops[11];
    EXPECT_EQ(t[0], tk::web::WebCanvas::kText);
    EXPECT_EQ(t[5], 1);  // centred
    EXPECT_EQ(t[6], 0xFF0000);
    EXPECT_EQ(canvas.text().substr(std::size_t(t[7]), std::size_t(t[8])),
              "italic bold 16px \"Liberation Sans\"");
    EXPECT_EQ(canvas.text().substr(std::size_t(t[9]), std::size_t(t[10])), "Left+:10");
    canvas.clear();
    EXPECT_TRUE(canvas.ops().empty());
    EXPECT_TRUE(canvas.text().empty());
}

TEST_F(WebPainting, FontsAreTheStandInsAtTheirPixelSize) {
    tk::Font title{"Neurochrome", -19, tk::colors::white, false, false};
    EXPECT_EQ(tk::web::cssFont(title), "19px \"DejaVu Sans\"");
    tk::Font maker{"Algerian", -96, tk::colors::yellow, true, false};
    EXPECT_EQ(tk::web::cssFont(maker), "bold 96px \"Liberation Serif\"");
    tk::Font zero{"MS Sans Serif", 0, tk::colors::black, false, false};
    EXPECT_EQ(tk::web::cssFont(zero), "1px \"Liberation Sans\"");
}

TEST_F(WebPainting, EachPictureGoesToThePageOnceWithItsTransparency) {
    const char* const xpm[] = {"2 1 2 1", "a c #FF0000", ". c None", "a."};
    const tk::Picture p = tk::Picture::fromXpm(xpm, 4);
    tk::web::PictureIds ids;
    const int first = ids.id(p);
    EXPECT_EQ(ids.id(p), first);
    ASSERT_EQ(page.pictures.size(), 1u);
    EXPECT_EQ(page.pictures[0].first, first);
    EXPECT_EQ(page.pictures[0].second, (std::vector<std::uint8_t>{255, 0, 0, 255, 0, 0, 0, 0}));
    const tk::Picture q = tk::Picture::fromXpm(xpm, 4);
    EXPECT_NE(ids.id(q), first);
}

using WebWindows = Fixture;

TEST_F(WebWindows, ThePageSeesEveryChangeAndTheFrameFollowsTheBorder) {
    tk::Window w("Form1", app);
    w.setCaption("VD Brisco2");
    w.setBounds(278, 208, 497, 304);
    tk::web::PictureIds ids;
    tk::web::WebWindowHost host(w, 0, ids);
    ASSERT_FALSE(page.updates.empty());
    auto u = page.updates.back();
    EXPECT_EQ(u.caption, "VD Brisco2");
    EXPECT_EQ(u.frame[1], 23);
    EXPECT_EQ(u.width, 497);
    EXPECT_EQ(w.clientWidth(), 489);
    EXPECT_EQ(w.clientHeight(), 277);
    w.setBorder(tk::BorderStyle::None);
    u = page.updates.back();
    EXPECT_EQ(u.frame[0] + u.frame[1] + u.frame[2] + u.frame[3], 0);
    EXPECT_EQ(w.clientWidth(), 497);
    w.setState(tk::WindowState::Maximized);
    EXPECT_EQ(page.updates.back().state, 2);
    w.setEnabled(false);
    EXPECT_EQ(page.updates.back().enabled, 0);
}

TEST_F(WebWindows, OnlyAFramedNormalWindowTakesTheUsersSize) {
    tk::Window w("Form1", app);
    w.setBounds(278, 208, 497, 304);
    tk::web::PictureIds ids;
    tk::web::WebWindowHost host(w, 0, ids);
    const std::size_t before = page.updates.size();
    host.userResize(600, 400);
    EXPECT_EQ(w.width(), 600);
    EXPECT_EQ(page.updates.size(), before);  // the page made it: no echo
    w.setBorder(tk::BorderStyle::None);
    host.userResize(300, 200);
    EXPECT_EQ(w.width(), 600);
    w.setBorder(tk::BorderStyle::Sizeable);
    host.userState(tk::WindowState::Maximized);
    EXPECT_EQ(w.state(), tk::WindowState::Maximized);
    host.userResize(300, 200);
    EXPECT_EQ(w.width(), 600);
    host.userMove(10, 10);
    EXPECT_EQ(w.left(), 278);
}

TEST_F(WebWindows, KeysGoThroughTheShortcutsAndThePaintIsWholeOnlyWhenAsked) {
    tk::Window w("Form1", app);
    w.setBounds(0, 0, 100, 50);
    tk::Menu menu("MainMenu1");
    tk::MenuItem d("Left1", "l+", 68, true);
    int clicks = 0;
    d.setOnClick([&](tk::Object*) { ++clicks; });
    menu.add(&d);
    w.setMenu(&menu);
    tk::web::PictureIds ids;
    tk::web::WebWindowHost host(w, 3, ids);
    int inputs = 0;
    host.setInputListener([&] { ++inputs; });
    EXPECT_TRUE(host.key(68, 0));
    EXPECT_FALSE(host.key(68, tk::kShift));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(inputs, 2);
    // A button held over the window drops the keys; a disabled window takes no press.
    host.mouse(true);
    EXPECT_FALSE(host.key(68, 0));
    host.mouse(false);
    w.setEnabled(false);
    host.mouse(true);
    EXPECT_FALSE(app.mouseCaptured());

    page.draws.clear();
    host.paint(100, 50, false);
    ASSERT_EQ(page.draws.size(), 1u);  // changes since load
    host.paint(100, 50, false);
    EXPECT_EQ(page.draws.size(), 1u);  // nothing changed
    host.paint(100, 50, true);
    ASSERT_EQ(page.draws.size(), 2u);
    // The window's colour over the whole canvas first.
    EXPECT_EQ(std::vector<std::int32_t>(page.draws[1].begin(), page.draws[1].begin() + 11),
              (std::vector<std::int32_t>{tk::web::WebCanvas::kClip, 0, 0, 100, 50,
                                         tk::web::WebCanvas::kFill, 0, 0, 100, 50,
                                         std::int32_t(w.color().rgb)}));
}

using WebPage = Fixture;

// The page's calls reach what the program's entry registered, windows by the id the page
// knows them by; before that, and for an id no host has, they do nothing.
TEST_F(WebPage, TheCallsReachTheRegisteredPartsAndNothingElse) {
    tk::Window w("Form1", app);
    w.setBounds(0, 0, 100, 50);
    tk::Menu menu("MainMenu1");
    tk::MenuItem d("Left1", "l+", 68, true);
    tk::MenuItem m("Menu1", "m", tk::Shortcut(77 | tk::kCtrl), true);
    int clicks = 0;
    d.setOnClick([&](tk::Object*) { ++clicks; });
    menu.add(&d);
    menu.add(&m);
    w.setMenu(&menu);
    tk::Timer timer(app.scheduler(), "Timer7");
    timer.setInterval(10);
    timer.setOnTimer([](tk::Object*) { tk::noteStateChange(); });
    tk::web::PictureIds ids;
    tk::web::WebWindowHost host(w, 1, ids);
    tk::web::WebTimerDriver driver(loop, clock);
    tk::web::TickCounts ticks(loop);

    EXPECT_EQ(tkw_key(1, 68, 0), 0);  // nothing registered yet
    tk::web::registerWithPage({&app, &driver, &ticks, {&host}});
    EXPECT_EQ(tkw_key(0, 68, 0), 0);  // no host has id 0
    EXPECT_EQ(tkw_key(2, 68, 0), 0);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(tkw_key(1, 68, 0), 1);
    EXPECT_EQ(clicks, 1);
    int shortcuts[4] = {};
    ASSERT_EQ(tkw_shortcuts(shortcuts, 4), 2);
    EXPECT_EQ(shortcuts[0], 68);
    EXPECT_EQ(shortcuts[1], 77 | tk::kCtrl);
    EXPECT_EQ(tkw_shortcuts(shortcuts, 1), 1);  // never more than asked

    driver.start();
    clock.set(10 * kMillisecond);
    tkw_wake();
    clock.set(20 * kMillisecond);
    tkw_wake();
    EXPECT_EQ(tkw_ticks("Timer7"), 2.0);
    EXPECT_EQ(tkw_ticks("NoSuchTimer"), 0.0);
    EXPECT_EQ(tkw_asleep("Timer7"), 0);

    // The shared values by name, as the page compares them.
    EXPECT_EQ(tkw_constant("SHIFT"), tk::kShift);
    EXPECT_EQ(tkw_constant("STATE_MAXIMIZED"), int(tk::WindowState::Maximized));
    EXPECT_EQ(tkw_constant("KEY_F5"), 116);
    EXPECT_EQ(tkw_constant("shift"), -1);
    EXPECT_GT(tkw_constant_count(), 70);

    tk::web::registerWithPage({});  // the parts go with this test
    EXPECT_EQ(tkw_key(1, 68, 0), 0);
    EXPECT_EQ(tkw_ticks("Timer7"), 0.0);
}

using WebMusic = Fixture;

TEST_F(WebMusic, AFailedOpenThrowsTheMediaSystemsTextAndLeavesNothingOpen) {
    tk::web::WebMedia media;
    page.openFailure = "No such file or directory";
    try {
        media.open("Brisco.wma");
        FAIL() << "the open did not fail";
    } catch (const tk::Error& e) {
        EXPECT_STREQ(e.what(), "No such file or directory");
    }
    EXPECT_FALSE(media.isOpen());
    media.play();
    EXPECT_EQ(page.plays, 0);
    page.openFailure.clear();
    media.open("Brisco.wma");
    EXPECT_TRUE(media.isOpen());
    media.play();
    EXPECT_TRUE(media.isPlaying());
    // Each open closes what was open first; closing twice closes once.
    media.open("Brisco.wma");
    EXPECT_EQ(page.closes, 1);
    media.close();
    media.close();
    EXPECT_EQ(page.closes, 2);
    EXPECT_EQ(page.opened.size(), 3u);
}

}  // namespace
