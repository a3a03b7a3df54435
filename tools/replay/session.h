// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "app/main_window.h"
#include "toolkit/headless.h"
#include "toolkit/sleeping_timers.h"

namespace brisco2 {

// The whole game without a screen on the simulated clock: both windows, every timer
// and handler, the key dispatch and the default error report, exactly as the real
// window runs them. Time starts at 0 ms when the event loop starts.
class Session {
  public:
    struct Options {
        std::uint32_t seed = 0;                    // in place of the calendar time
        MediaFactory media;                        // null: the media player has no device
        const tk::TextMetrics* metrics = nullptr;  // null: fixed metrics
        // What the session does with a tick that is expected to change nothing: run it
        // as any other; skip it, as a real loop does; or run it and compare dumps of the
        // whole state before and after it, throwing std::logic_error from the round
        // should it have changed anything (tests).
        tk::QuietTicks quietTicks = tk::QuietTicks::Run;
    };
    explicit Session(Options options);
    explicit Session(std::uint32_t seed = 0)
        : Session(Options{seed, nullptr, nullptr, tk::QuietTicks::Run}) {}
    ~Session();

    // Delivers every tick due at or before t (ms), in time order, then stands at t.
    void runUntil(std::int64_t ms);
    // A round that a real loop delivered late: every tick due before `dueMs` as usual,
    // then one round at `atMs` of every tick due by then.
    void deliverLate(std::int64_t dueMs, std::int64_t atMs);
    void advance(std::int64_t ms) { runUntil(nowMs() + ms); }
    std::int64_t nowMs() const { return clock_.now() / tk::kMillisecond; }

    // A key-down by name ("D", "shift+D", "F5", "NUM1", "VK:68"). A name that names no
    // key throws std::invalid_argument: a misspelt key must not pass for one that does
    // nothing.
    void key(const std::string& name, bool toForm2 = false);
    void keyCode(std::uint8_t vk, tk::Shortcut modifiers, bool toForm2 = false);

    tk::Application& app() { return *app_; }
    // The timers asleep, under the session's QuietTicks.
    const tk::SleepingTimers& sleepers() const { return *sleepers_; }
    TForm1& form1() { return game_->Form1; }
    TForm2& form2() { return game_->Form2; }
    tk::Form& window1() { return game_->Form1.form(); }
    tk::Form& window2() { return game_->Form2.form(); }
    Game& game() { return *game_; }
    // The screen both windows are on: its window manager's frame can be set.
    tk::HeadlessHost& host() { return host_; }

  private:
    tk::SimClock clock_;
    tk::FixedTextMetrics fixedMetrics_;
    tk::HeadlessHost host_;
    tk::RecordingReportView reports_;
    std::unique_ptr<tk::Application> app_;
    std::unique_ptr<Game> game_;
    std::unique_ptr<tk::SleepingTimers> sleepers_;
};

}  // namespace brisco2
