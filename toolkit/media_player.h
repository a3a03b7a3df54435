// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "toolkit/state.h"
#include "toolkit/widget.h"

namespace tk {

// The device behind a media player widget: decoding and output.
class MediaBackend {
  public:
    virtual ~MediaBackend() = default;
    // Closes what is open (waiting for it), then opens the named file. Throws
    // tk::Error with the media library's text for the failure.
    virtual void open(const std::string& fileName) = 0;
    // Starts playback from the beginning and returns at once. A failure to start is
    // recorded, never thrown.
    virtual void play() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    virtual bool isPlaying() const = 0;
};

// The hidden media player widget: a file name, open, play, close.
class MediaPlayer : public Widget {
  public:
    MediaPlayer(std::string name, Widget* parent, std::unique_ptr<MediaBackend> backend);
    ~MediaPlayer() override;

    const std::string& fileName() const { return fileName_; }
    void setFileName(const std::string& f) {
        if (f == fileName_) return;
        fileName_ = f;
        noteStateChange();
    }
    void open();  // throws tk::Error, with this widget's name as its source
    void play();
    void close();

    bool isOpen() const { return backend_ && backend_->isOpen(); }
    bool isPlaying() const { return backend_ && backend_->isPlaying(); }
    std::uint64_t opens() const { return opens_; }
    std::uint64_t failures() const { return failures_; }
    MediaBackend* backend() const { return backend_.get(); }

  private:
    std::unique_ptr<MediaBackend> backend_;
    std::string fileName_;
    std::uint64_t opens_ = 0;
    std::uint64_t failures_ = 0;
};

}  // namespace tk
