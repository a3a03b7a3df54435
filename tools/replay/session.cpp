// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tools/replay/session.h"

#include <stdexcept>

#include "tools/replay/dump.h"
#include "tools/replay/script.h"

namespace brisco2 {

Session::Session(Options o) {
    const tk::TextMetrics& metrics = o.metrics ? *o.metrics : fixedMetrics_;
    app_ = std::make_unique<tk::Application>(clock_, metrics, "brisco2");
    const std::uint32_t seed = o.seed;
    app_->setCalendarClock([seed] { return std::int64_t(seed); });
    app_->setReportView(&reports_);
    game_ = std::make_unique<Game>(*app_, std::move(o.media));
    window1().setHost(&host_);
    window2().setHost(&host_);
    sleepers_ = std::make_unique<tk::SleepingTimers>(app_->scheduler(), o.quietTicks);
    app_->setInputObserver(sleepers_.get());
    if (o.quietTicks == tk::QuietTicks::Check)
        sleepers_->setCheck(
            [this] {
                std::string state;
                replay::appendDump(state, *game_, *app_, 0);
                return state;
            },
            [this](const tk::Timer& t) {
                throw std::logic_error("the tick of " + t.name() + " at " +
                                       std::to_string(nowMs()) +
                                       " ms changed the game, yet no change was counted");
            });
    // The event loop starts: the main window shows.
    window1().show();
}

Session::~Session() {
    app_->setInputObserver(nullptr);
}

void Session::runUntil(std::int64_t ms) {
    const tk::Nanos end = ms * tk::kMillisecond;
    tk::SleepingTimers& s = *sleepers_;
    for (auto due = s.nextDue(); due && *due <= end; due = s.nextDue()) {
        clock_.set(*due);
        s.runDue();
    }
    if (end > clock_.now()) clock_.set(end);
}

void Session::deliverLate(std::int64_t dueMs, std::int64_t atMs) {
    runUntil(dueMs - 1);
    const tk::Nanos at = atMs * tk::kMillisecond;
    if (at > clock_.now()) clock_.set(at);
    sleepers_->runDue();
}

void Session::keyCode(std::uint8_t vk, tk::Shortcut modifiers, bool toForm2) {
    app_->keyDown(toForm2 ? static_cast<tk::Window&>(window2()) : window1(), vk, modifiers);
}

void Session::key(const std::string& name, bool toForm2) {
    std::uint8_t vk = 0;
    tk::Shortcut mods = 0;
    if (!replay::parseKeyName(name, vk, mods))
        throw std::invalid_argument("no key is named '" + name + "'");
    keyCode(vk, mods, toForm2);
}

}  // namespace brisco2
