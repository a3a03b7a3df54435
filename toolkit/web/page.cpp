// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "toolkit/web/page.h"

#include <emscripten.h>

#include <vector>

#include "toolkit/menu.h"
#include "toolkit/web/imports.h"
#include "toolkit/web/shared_constants.h"

namespace tk::web {

namespace {
Page* thePage = nullptr;
}

Page::Page(const std::string& programFile)
    : app_(clock_, metrics_, applicationTitle(programFile)),
      loop_(app_, clock_),
      timers_(loop_, realClock_) {
    app_.setReportView(&reports_);
    app_.setQuitHandler([this] {
        timers_.stop();
        tkw_quit();
    });
    thePage = this;
}

Page::~Page() {
    if (thePage == this) thePage = nullptr;
}

Page* Page::current() {
    return thePage;
}

void Page::addWindow(Window& window) {
    hosts_.push_back(std::make_unique<WebWindowHost>(window, int(hosts_.size()), pictures_));
    hosts_.back()->setInputListener([this] { timers_.rearm(); });
}

void Page::start(Window& main) {
    app_.scheduler().setTickObserver([this](const Timer& t, Nanos, Nanos) { ++ticks_[&t]; });
    realClock_.start();
    timers_.start();
    main.show();
}

void Page::prefetch(const std::string& fileName) {
    tkw_media_prefetch(fileName.c_str());
}

std::uint64_t Page::ticksOf(const std::string& timerName) {
    for (const Timer* t : app_.scheduler().timers())
        if (t->name() == timerName) {
            auto it = ticks_.find(t);
            return it != ticks_.end() ? it->second : 0;
        }
    return 0;
}

bool Page::asleep(const std::string& timerName) {
    Scheduler& s = app_.scheduler();
    for (const Timer* t : s.timers())
        if (t->name() == timerName) return t->armed() && s.sleeping(*t);
    return false;
}

WebWindowHost* Page::host(int id) const {
    return id >= 0 && std::size_t(id) < hosts_.size() ? hosts_[std::size_t(id)].get() : nullptr;
}

}  // namespace tk::web

// What the page calls. A call for a window the module does not know does nothing.
namespace {

tk::web::WebWindowHost* hostOf(int window) {
    tk::web::Page* page = tk::web::Page::current();
    return page ? page->host(window) : nullptr;
}

void collect(const std::vector<tk::MenuItem*>& items, std::vector<int>& out) {
    for (const tk::MenuItem* item : items) {
        if (item->shortcut() != 0) out.push_back(item->shortcut());
        collect(item->children(), out);
    }
}

}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE void tkw_wake() {
    if (tk::web::Page* page = tk::web::Page::current()) page->timers().wake();
}

EMSCRIPTEN_KEEPALIVE void tkw_paint(int window, int width, int height, int force) {
    if (auto* h = hostOf(window)) h->paint(width, height, force != 0);
}

EMSCRIPTEN_KEEPALIVE int tkw_key(int window, int virtualKey, int modifiers) {
    auto* h = hostOf(window);
    return h && h->key(virtualKey, modifiers) ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE void tkw_mouse(int window, int down) {
    if (auto* h = hostOf(window)) h->mouse(down != 0);
}

EMSCRIPTEN_KEEPALIVE void tkw_user_resize(int window, int width, int height) {
    if (auto* h = hostOf(window)) h->userResize(width, height);
}

EMSCRIPTEN_KEEPALIVE void tkw_user_move(int window, int left, int top) {
    if (auto* h = hostOf(window)) h->userMove(left, top);
}

EMSCRIPTEN_KEEPALIVE void tkw_user_state(int window, int state) {
    if (state < int(tk::WindowState::Normal) || state > int(tk::WindowState::Maximized)) return;
    if (auto* h = hostOf(window)) h->userState(tk::WindowState(state));
}

EMSCRIPTEN_KEEPALIVE int tkw_user_close(int window) {
    auto* h = hostOf(window);
    return h && h->userClose() ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE void tkw_report_closed(int report) {
    if (tk::web::Page* page = tk::web::Page::current()) page->app().closeReport(report);
}

EMSCRIPTEN_KEEPALIVE double tkw_ticks(const char* timerName) {
    tk::web::Page* page = tk::web::Page::current();
    return page && timerName ? double(page->ticksOf(timerName)) : 0.0;
}

EMSCRIPTEN_KEEPALIVE int tkw_asleep(const char* timerName) {
    tk::web::Page* page = tk::web::Page::current();
    return page && timerName && page->asleep(timerName) ? 1 : 0;
}

// Every shortcut the windows' menus bind, so the page can keep the browser's own
// meaning of such a key (F5: reload) away while the game cannot take it (a report box
// is open). Returns how many were written to `out`, at most `max`.
EMSCRIPTEN_KEEPALIVE int tkw_shortcuts(int* out, int max) {
    std::vector<int> all;
    if (tk::web::Page* page = tk::web::Page::current())
        for (const tk::Window* w : page->app().windows())
            if (w->menu()) collect(w->menu()->items(), all);
    int n = 0;
    for (int s : all)
        if (n < max) out[n++] = s;
    return n;
}

// The module's value of a constant the page shares (shared_constants.js), or -1 for a
// name it does not know; and how many there are. The page compares them at start.
EMSCRIPTEN_KEEPALIVE int tkw_constant(const char* name) {
    return name ? tk::web::sharedConstant(name) : -1;
}

EMSCRIPTEN_KEEPALIVE int tkw_constant_count() {
    return int(tk::web::sharedConstants().size());
}

}  // extern "C"
