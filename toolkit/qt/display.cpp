// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "toolkit/qt/display.h"

#include <sys/stat.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace tk::qt {

namespace {

std::string env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The plugin names of QT_QPA_PLATFORM: a ';'-separated list of fallbacks, each with
// ':'-separated options ("wayland;xcb", "offscreen:fontengine=freetype").
std::vector<std::string> platformNames(const std::string& value) {
    std::vector<std::string> names;
    std::size_t from = 0;
    while (from <= value.size()) {
        std::size_t end = value.find(';', from);
        if (end == std::string::npos) end = value.size();
        std::string name = value.substr(from, end - from);
        name = name.substr(0, name.find(':'));
        const auto first = name.find_first_not_of(" \t");
        const auto last = name.find_last_not_of(" \t");
        if (first != std::string::npos) names.push_back(name.substr(first, last - first + 1));
        from = end + 1;
    }
    return names;
}

// Connects as Qt's xcb platform will, so a display that refuses us counts as missing.
// An empty `why` means it answered.
void probeX(std::string& why) {
    const std::string display = env("DISPLAY");
    if (display.empty()) {
        why = "DISPLAY is not set";
        return;
    }
    xcb_connection_t* connection = xcb_connect(display.c_str(), nullptr);
    if (xcb_connection_has_error(connection) != 0)
        why = "the X display '" + display + "' cannot be reached";
    xcb_disconnect(connection);
}

void probeWayland(std::string& why) {
    // A connection handed down by the compositor that started us.
    if (!env("WAYLAND_SOCKET").empty()) return;
    const std::string name = env("WAYLAND_DISPLAY");
    if (name.empty()) {
        why = "WAYLAND_DISPLAY is not set";
        return;
    }
    std::string path = name;
    if (name.front() != '/') {
        const std::string runtime = env("XDG_RUNTIME_DIR");
        if (runtime.empty()) {
            why = "WAYLAND_DISPLAY '" + name + "' is relative and XDG_RUNTIME_DIR is not set";
            return;
        }
        path = runtime + "/" + name;
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISSOCK(st.st_mode))
        why = "there is no Wayland socket " + path;
}

}  // namespace

std::string missingDisplay() {
    bool wantX = false, wantWayland = false;
    const std::vector<std::string> names = platformNames(env("QT_QPA_PLATFORM"));
    // Unset: Qt picks xcb, or wayland in a Wayland session.
    if (names.empty()) wantX = wantWayland = true;
    for (const std::string& name : names) {
        if (name == "xcb")
            wantX = true;
        else if (name.starts_with("wayland"))
            wantWayland = true;
        else
            return {};  // this platform needs no display of ours to look for
    }

    std::string xWhy, waylandWhy;
    if (wantX) {
        probeX(xWhy);
        if (xWhy.empty()) return {};
    }
    if (wantWayland) {
        probeWayland(waylandWhy);
        if (waylandWhy.empty()) return {};
    }
    const std::string setX = "set DISPLAY to a running X server (such as :0)";
    const std::string setWayland =
        "WAYLAND_DISPLAY to a Wayland compositor's socket (such as wayland-0)";
    std::string text = "no display to show the game on: ";
    if (wantX && wantWayland)
        text += xWhy + " and " + waylandWhy + "; " + setX + " or " + setWayland;
    else if (wantX)
        text += xWhy + "; " + setX;
    else
        text += waylandWhy + "; set " + setWayland;
    return text;
}

}  // namespace tk::qt
