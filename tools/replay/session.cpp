#include "tools/replay/session.h"

#include <cctype>

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
    // The event loop starts: the main window shows.
    window1().show();
}

Session::~Session() = default;

void Session::runUntil(std::int64_t ms) {
    const tk::Nanos end = ms * tk::kMillisecond;
    tk::Scheduler& s = app_->scheduler();
    for (auto due = s.nextDue(); due && *due <= end; due = s.nextDue()) {
        clock_.set(*due);
        s.runDue();
    }
    if (end > clock_.now()) clock_.set(end);
}

void Session::keyCode(std::uint8_t vk, tk::Shortcut modifiers, bool toForm2) {
    app_->keyDown(toForm2 ? static_cast<tk::Window&>(window2()) : window1(), vk, modifiers);
}

bool Session::key(const std::string& name, bool toForm2) {
    std::uint8_t vk = 0;
    tk::Shortcut mods = 0;
    if (!parseKey(name, vk, mods)) return false;
    keyCode(vk, mods, toForm2);
    return true;
}

bool parseKey(const std::string& text, std::uint8_t& vk, tk::Shortcut& modifiers) {
    modifiers = 0;
    std::string rest = text;
    for (;;) {
        auto plus = rest.find('+');
        if (plus == std::string::npos || plus == 0) break;
        std::string mod = rest.substr(0, plus);
        for (char& ch : mod) ch = char(std::tolower(static_cast<unsigned char>(ch)));
        if (mod == "shift")
            modifiers |= tk::kShift;
        else if (mod == "ctrl")
            modifiers |= tk::kCtrl;
        else if (mod == "alt")
            modifiers |= tk::kAlt;
        else
            return false;
        rest = rest.substr(plus + 1);
    }
    if (rest.size() > 3 && (rest[0] == 'V' || rest[0] == 'v') &&
        (rest[1] == 'K' || rest[1] == 'k') && rest[2] == ':') {
        int n = 0;
        for (std::size_t i = 3; i < rest.size(); ++i) {
            if (!std::isdigit(static_cast<unsigned char>(rest[i])) || i > 6) return false;
            n = n * 10 + (rest[i] - '0');
        }
        if (n > 255) return false;
        vk = std::uint8_t(n);
        return true;
    }
    int code = tk::virtualKeyFromName(rest);
    if (code < 0) return false;
    vk = std::uint8_t(code);
    return true;
}

}  // namespace brisco2
