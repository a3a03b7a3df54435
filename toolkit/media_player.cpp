// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "toolkit/media_player.h"

#include "toolkit/error.h"

namespace tk {

MediaPlayer::MediaPlayer(std::string name, Widget* parent, std::unique_ptr<MediaBackend> backend)
    : Widget(std::move(name), WidgetKind::MediaPlayer, parent), backend_(std::move(backend)) {}

MediaPlayer::~MediaPlayer() {
    close();
}

void MediaPlayer::open() {
    // Opening changes what plays and what is counted, whether or not it works.
    noteStateChange();
    if (!backend_) {
        ++failures_;
        throw Error("Kein Mediengerät verfügbar", name());
    }
    try {
        backend_->open(fileName_);
    } catch (const Error& e) {
        ++failures_;
        throw Error(e.what(), name());
    }
    ++opens_;
}

void MediaPlayer::play() {
    noteStateChange();
    if (!backend_ || !backend_->isOpen()) throw Error("Kein Gerät geöffnet", name());
    backend_->play();
}

void MediaPlayer::close() {
    noteStateChange();
    if (backend_) backend_->close();
}

}  // namespace tk
