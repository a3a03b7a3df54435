// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "toolkit/web/web_media.h"

#include "toolkit/error.h"
#include "toolkit/web/imports.h"

namespace tk::web {

namespace {
constexpr int kFailureSize = 512;
}

WebMedia::~WebMedia() {
    close();
}

void WebMedia::open(const std::string& fileName) {
    // Open first closes what is open, as the device does on the desktop.
    close();
    char failure[kFailureSize] = {};
    if (tkw_media_open(fileName.c_str(), failure, kFailureSize) != 0)
        throw Error(failure[0] ? failure : "Unbekannter Fehlercode");
    open_ = true;
}

void WebMedia::play() {
    if (open_) tkw_media_play();
}

void WebMedia::close() {
    if (!open_) return;
    open_ = false;
    tkw_media_close();
}

bool WebMedia::isPlaying() const {
    return open_ && tkw_media_playing() != 0;
}

}  // namespace tk::web
