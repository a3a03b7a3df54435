// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "toolkit/menu.h"
#include "toolkit/timer.h"

namespace tk {

class TextMetrics;
class Window;

// One shown default error report.
struct Report {
    int id = 0;
    std::string caption;
    std::string text;    // as shown: the error text followed by a full stop
    std::string source;  // what raised it (see Error::source)
    bool open = true;
};

// The platform's message box for the default error report: application-modal, yet
// the event loop and its timers run on while it is open.
class ReportView {
  public:
    virtual ~ReportView() = default;
    virtual void show(const Report& report) = 0;
};

enum class WindowState;

// Something that reaches the game from outside its handlers: a key, the mouse taken or
// let go, the user sizing a window or changing its state, a report closed, the main
// window closed. Observed by a real event loop, which lets due ticks run first, and by
// a recording.
struct Input {
    enum class Kind { Key, MouseCapture, Resize, State, ReportClosed, Close };
    Kind kind = Kind::Key;
    const Window* window = nullptr;  // key, resize, state, close
    std::uint8_t virtualKey = 0;     // key
    Shortcut modifiers = 0;          // key
    bool captured = false;           // mouse capture
    int width = 0, height = 0;       // resize: the outer size
    WindowState state{};             // state
    int reportId = 0;                // report closed
    // Raised while a handler or another input is running (a window letting go of the
    // mouse as a handler changes its border), not between them.
    bool nested = false;
};

class InputObserver {
  public:
    virtual ~InputObserver() = default;
    // Called before the input acts.
    virtual void input(const Input& in) = 0;
};

// The application: its windows (the first added is the main window), the timer
// queue, the key dispatch, and the default error report.
class Application {
  public:
    Application(Clock& clock, const TextMetrics& metrics, std::string title);
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    Scheduler& scheduler() { return scheduler_; }
    const TextMetrics& metrics() const { return metrics_; }
    const std::string& title() const { return title_; }

    // Windows add themselves as they are made and remove themselves as they go.
    void addWindow(Window& w);
    void removeWindow(Window& w);
    Window* mainWindow() const { return windows_.empty() ? nullptr : windows_.front(); }
    const std::vector<Window*>& windows() const { return windows_; }

    // A key-down reaching `target` (or one of its children): the shortcut dispatch.
    // Returns whether a menu consumed it.
    bool keyDown(Window& target, std::uint8_t virtualKey, Shortcut modifiers);
    void setMouseCaptured(bool captured);
    bool mouseCaptured() const { return mouseCaptured_; }

    // Every input is shown to the observer before it acts (see Input). Windows report
    // the user's changes to them through here.
    void setInputObserver(InputObserver* observer) { inputObserver_ = observer; }
    void inputArrives(Input in);

    // Runs fn; a failure escaping it becomes a default error report.
    void guarded(const std::function<void()>& fn);
    void reportException(const std::exception& e);
    void report(const std::string& errorText, const std::string& source = {});
    // Every report still open, and the most recent closed ones (kClosedReportsKept), oldest
    // first: a device failing for days must not grow the history without end.
    static constexpr std::size_t kClosedReportsKept = 1000;
    const std::deque<Report>& reports() const { return reports_; }
    bool reportOpenFrom(const std::string& source) const;
    void closeReport(int id);
    bool dismissOldest();  // closes the oldest open report; false when none is open
    void setReportView(ReportView* view) { view_ = view; }
    std::uint64_t reportsSuppressed() const { return suppressed_; }

    // The user asks to close a window. The main window ends the program; a disabled
    // window refuses. Returns whether the window closes.
    bool userClose(Window& w);
    bool quitRequested() const { return quit_; }
    // The system clock's calendar time in whole seconds since the epoch.
    std::int64_t calendarSeconds() const;
    void setCalendarClock(std::function<std::int64_t()> fn) { calendar_ = std::move(fn); }
    void setQuitHandler(std::function<void()> fn) { onQuit_ = std::move(fn); }

  private:
    Scheduler scheduler_;
    const TextMetrics& metrics_;
    std::string title_;
    std::vector<Window*> windows_;
    bool mouseCaptured_ = false;
    InputObserver* inputObserver_ = nullptr;
    int inputDepth_ = 0;  // inputs acting right now
    std::deque<Report> reports_;
    ReportView* view_ = nullptr;
    int nextReportId_ = 1;
    std::uint64_t suppressed_ = 0;
    std::size_t closed_ = 0;
    void forgetOldClosed();
    bool quit_ = false;
    std::function<void()> onQuit_;
    std::function<std::int64_t()> calendar_;
};

// The application's title from the program file: the name without directory or
// extension, its first letter as stored and the rest in lower case.
std::string applicationTitle(const std::string& programPath);

// The virtual-key code of a key name of the shared table (toolkit/keys.h), in any case;
// -1 for an unknown name.
int virtualKeyFromName(const std::string& name);

}  // namespace tk
