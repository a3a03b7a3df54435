// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "toolkit/application.h"

#include <algorithm>
#include <cctype>
#include <ctime>
#include <exception>

#include "toolkit/error.h"
#include "toolkit/keys.h"
#include "toolkit/state.h"
#include "toolkit/window.h"

namespace tk {

Application::Application(Clock& clock, const TextMetrics& metrics, std::string title)
    : scheduler_(clock), metrics_(metrics), title_(std::move(title)) {
    scheduler_.setErrorSink([this](const std::exception& e) { reportException(e); });
}

void Application::addWindow(Window& w) {
    windows_.push_back(&w);
}

void Application::removeWindow(Window& w) {
    std::erase(windows_, &w);
}

void Application::inputArrives(Input in) {
    in.nested = inputDepth_ > 0 || scheduler_.delivering();
    if (inputObserver_) inputObserver_->input(in);
}

void Application::setMouseCaptured(bool captured) {
    if (captured == mouseCaptured_) return;
    Input in;
    in.kind = Input::Kind::MouseCapture;
    in.captured = captured;
    inputArrives(in);
    mouseCaptured_ = captured;
    noteStateChange();
}

bool Application::keyDown(Window& target, std::uint8_t virtualKey, Shortcut modifiers) {
    Input in;
    in.kind = Input::Kind::Key;
    in.window = &target;
    in.virtualKey = virtualKey;
    in.modifiers = modifiers;
    inputArrives(in);
    ++inputDepth_;
    struct Depth {
        int& depth;
        ~Depth() { --depth; }
    } acting{inputDepth_};
    if (mouseCaptured_) return false;
    const Shortcut value = Shortcut(virtualKey | (modifiers & (kShift | kCtrl | kAlt)));
    MenuItem* match = target.menu() ? target.menu()->find(value) : nullptr;
    Window* main = mainWindow();
    if (!match && main && main != &target && main->enabled() && main->menu())
        match = main->menu()->find(value);
    if (!match) return false;
    guarded([&] { Menu::click(*match); });
    return true;  // a matched key is consumed whether or not a handler ran
}

void Application::guarded(const std::function<void()>& fn) {
    try {
        fn();
    } catch (const std::exception& e) {
        reportException(e);
    }
}

void Application::reportException(const std::exception& e) {
    const auto* own = dynamic_cast<const Error*>(&e);
    report(e.what(), own ? own->source() : std::string());
}

bool Application::reportOpenFrom(const std::string& source) const {
    return std::any_of(reports_.begin(), reports_.end(),
                       [&](const Report& r) { return r.open && r.source == source; });
}

void Application::report(const std::string& errorText, const std::string& source) {
    // A failing device retried on a timer would otherwise stack up one modal box per
    // retry; one open box per source says all there is to say.
    if (!source.empty() && reportOpenFrom(source)) {
        ++suppressed_;
        return;
    }
    Report r;
    r.id = nextReportId_++;
    r.caption = title_;
    r.text = errorText + ".";
    r.source = source;
    reports_.push_back(r);
    noteStateChange();
    if (view_) view_->show(reports_.back());
}

void Application::closeReport(int id) {
    auto find = [&] {
        return std::find_if(reports_.begin(), reports_.end(),
                            [&](const Report& r) { return r.id == id && r.open; });
    };
    if (find() != reports_.end()) {
        Input in;
        in.kind = Input::Kind::ReportClosed;
        in.reportId = id;
        inputArrives(in);
        // The ticks that ran first may have reported more: look again.
        if (auto it = find(); it != reports_.end()) {
            it->open = false;
            ++closed_;
            noteStateChange();
        }
    }
    forgetOldClosed();
}

bool Application::dismissOldest() {
    for (Report& r : reports_)
        if (r.open) {
            closeReport(r.id);
            return true;
        }
    return false;
}

void Application::forgetOldClosed() {
    for (auto it = reports_.begin(); closed_ > kClosedReportsKept && it != reports_.end();) {
        if (!it->open) {
            it = reports_.erase(it);
            --closed_;
        } else {
            ++it;
        }
    }
}

bool Application::userClose(Window& w) {
    if (!w.enabled()) return false;
    if (&w == mainWindow()) {
        Input in;
        in.kind = Input::Kind::Close;
        in.window = &w;
        inputArrives(in);
        quit_ = true;
        noteStateChange();
        if (onQuit_) onQuit_();
        return true;
    }
    w.hide();
    return true;
}

std::int64_t Application::calendarSeconds() const {
    return calendar_ ? calendar_() : std::int64_t(std::time(nullptr));
}

std::string applicationTitle(const std::string& programPath) {
    std::string name = programPath;
    if (auto slash = name.find_last_of("/\\"); slash != std::string::npos)
        name = name.substr(slash + 1);
    if (auto dot = name.rfind('.'); dot != std::string::npos && dot > 0) name.resize(dot);
    for (std::size_t i = 1; i < name.size(); ++i)
        name[i] = char(std::tolower(static_cast<unsigned char>(name[i])));
    return name;
}

int virtualKeyFromName(const std::string& raw) {
    std::string n;
    for (char c : raw) n += char(std::toupper(static_cast<unsigned char>(c)));
    return virtualKeyOf(n);
}

}  // namespace tk
