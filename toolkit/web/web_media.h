// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>

#include "toolkit/media_player.h"

namespace tk::web {

// The music device of the browser edition: the page (or the replay tool's Node.js
// side) opens the file with a WebAssembly build of the media libraries and plays the
// decoded sound through Web Audio.
class WebMedia : public MediaBackend {
  public:
    ~WebMedia() override;
    // Waits until the file is open or has failed; throws tk::Error with the media
    // system's text for the failure.
    void open(const std::string& fileName) override;
    void play() override;
    void close() override;
    bool isOpen() const override { return open_; }
    bool isPlaying() const override;

  private:
    bool open_ = false;
};

}  // namespace tk::web
