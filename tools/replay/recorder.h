// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Recording a session played in a real window as a replay script. No Qt and no media
// library here: the real event loop tells the recorder what happened (tk::RealLoop's
// observer) and the program wires it.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/main_window.h"
#include "toolkit/loop.h"

namespace brisco2::replay {

// Writes the script as the session goes, one line at a time: `seed N` with the seed
// FormCreate draws from the calendar clock; every input that reaches the game at its
// time on the game's clock (keys to either window, mouse capture, the user's resizes and
// state changes, closed reports); what the real loop did that the simulated clock
// would not do on its own (`late` rounds, the window manager's `frame`, the `music`
// device's answers), and once a second of game time a `check` with the digest of the
// state (stateDigest) the last event left. When the main window closes it appends `T dump` and
// hands the game's state at that moment, one line in the dump format, to the final sink: the replay
// of the script must end in the same state.
class Recorder : public tk::LoopObserver {
  public:
    // A sink takes text to append; it throws std::runtime_error when it cannot.
    using Sink = std::function<void(const std::string& text)>;
    Recorder(Sink script, Sink final);

    // Writes to `path`, and at the end to `path` + ".final.json"; an old final file is
    // removed at once, so that it cannot pass for this session's. Throws
    // std::runtime_error when `path` cannot be written.
    static std::unique_ptr<Recorder> toFiles(const std::string& path);

    // Before the game is made, so that the seed FormCreate draws is seen.
    void attach(tk::Application& app);
    // Wraps the music device so that its answers are written; before the game is made.
    MediaFactory recordMusic(MediaFactory media);
    // Once the game is made: for the final state and the main window's frame.
    void watch(const Game& game) { game_ = &game; }

    void roundBegins(tk::Nanos at, tk::Nanos due) override;
    void inputArrives(tk::Nanos at, const tk::Input& in) override;
    void musicAnswered(bool ok, const std::string& text);

    // The first failure to write, if any: the recording stopped there, the game did not.
    const std::optional<std::string>& failure() const { return failure_; }
    // The main window closed and the final state is written.
    bool finished() const { return finished_; }

  private:
    void line(tk::Nanos at, const std::string& command);
    void write(const Sink& sink, const std::string& text);
    void watchFrame();
    // Before the event at `at`: the digest of the state, when `at` begins a new second.
    void checkpoint(tk::Nanos at);

    Sink script_;
    Sink final_;
    tk::Application* app_ = nullptr;
    const Game* game_ = nullptr;
    bool wroteSeed_ = false;
    bool wroteLine_ = false;
    tk::Nanos lastEvent_ = 0;
    tk::FrameExtents frame_;
    std::optional<std::string> failure_;
    bool finished_ = false;
};

}  // namespace brisco2::replay
