// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "toolkit/web/page.h"

#include <emscripten.h>

#include <utility>
#include <vector>

#include "toolkit/menu.h"
#include "toolkit/web/imports.h"
#include "toolkit/web/shared_constants.h"

namespace tk::web {

namespace {
// What registerWithPage was given: the program's entry owns it all.
PageTargets targets;
}  // namespace

TickCounts::TickCounts(RealLoop& loop) : scheduler_(loop.scheduler()), sleepers_(loop.sleepers()) {
    scheduler_.setTickObserver([this](const Timer& t, Nanos, Nanos) { ++ticks_[&t]; });
}

const Timer* TickCounts::find(const std::string& timerName) const {
    for (const Timer* t : scheduler_.timers())
        if (t->name() == timerName) return t;
    return nullptr;
}

std::uint64_t TickCounts::ticksOf(const std::string& timerName) const {
    const Timer* t = find(timerName);
    const auto it = t ? ticks_.find(t) : ticks_.end();
    return it != ticks_.end() ? it->second : 0;
}

bool TickCounts::asleep(const std::string& timerName) const {
    const Timer* t = find(timerName);
    return t && t->armed() && sleepers_.sleeping(*t);
}

void registerWithPage(PageTargets parts) {
    // Each host at its own id, whatever order they came in.
    std::vector<WebWindowHost*> byId;
    for (WebWindowHost* h : parts.windows) {
        if (!h || h->id() < 0) continue;
        if (std::size_t(h->id()) >= byId.size()) byId.resize(std::size_t(h->id()) + 1);
        byId[std::size_t(h->id())] = h;
    }
    parts.windows = std::move(byId);
    targets = std::move(parts);
}

void showEnded() {
    tkw_quit();
}

void prefetch(const std::string& fileName) {
    tkw_media_prefetch(fileName.c_str());
}

}  // namespace tk::web

// What the page calls. A call for a window the module does not know does nothing.
using tk::web::targets;

namespace {

tk::web::WebWindowHost* hostOf(int window) {
    return window >= 0 && std::size_t(window) < targets.windows.size()
               ? targets.windows[std::size_t(window)]
               : nullptr;
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
    if (targets.timers) targets.timers->wake();
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
    if (targets.app) targets.app->closeReport(report);
}

EMSCRIPTEN_KEEPALIVE double tkw_ticks(const char* timerName) {
    return targets.ticks && timerName ? double(targets.ticks->ticksOf(timerName)) : 0.0;
}

EMSCRIPTEN_KEEPALIVE int tkw_asleep(const char* timerName) {
    return targets.ticks && timerName && targets.ticks->asleep(timerName) ? 1 : 0;
}

// Every shortcut the windows' menus bind, so the page can keep the browser's own
// meaning of such a key (F5: reload) away while the game cannot take it (a report box
// is open). Returns how many were written to `out`, at most `max`.
EMSCRIPTEN_KEEPALIVE int tkw_shortcuts(int* out, int max) {
    std::vector<int> all;
    if (targets.app)
        for (const tk::Window* w : targets.app->windows())
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
