// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tools/replay/silent_music.h"

#include <sys/stat.h>

#include <optional>
#include <string>
#include <tuple>

#include "toolkit/media/audio_output.h"
#include "toolkit/media/ffmpeg_media.h"

namespace brisco2::replay {

namespace {

// What the file system says of a file: the same for an unchanged file.
struct Identity {
    std::string name;
    dev_t device;
    ino_t inode;
    off_t size;
    long long modifiedNs, changedNs;
    bool operator==(const Identity&) const = default;
};

std::optional<Identity> identify(const std::string& name) {
    struct stat st {};
    if (::stat(name.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    auto ns = [](const timespec& t) {
        return static_cast<long long>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
    };
    return Identity{name, st.st_dev, st.st_ino, st.st_size, ns(st.st_mtim), ns(st.st_ctim)};
}

class ProbedMusic : public tk::MediaBackend {
  public:
    void open(const std::string& fileName) override {
        close();
        const std::optional<Identity> id = identify(fileName);
        if (!id || id != lastOpened_) {
            lastOpened_.reset();
            // Throws the library's text, as in the game.
            probe_.open(fileName);
            probe_.close();
            lastOpened_ = id;
        }
        open_ = true;
    }
    void play() override { playing_ = open_; }
    void close() override { open_ = playing_ = false; }
    bool isOpen() const override { return open_; }
    bool isPlaying() const override { return playing_; }

  private:
    tk::FfmpegMedia probe_{std::make_unique<tk::SilentOutput>(tk::SilentOutput::Pace::Instant)};
    std::optional<Identity> lastOpened_;
    bool open_ = false;
    bool playing_ = false;
};

}  // namespace

MediaFactory silentMusic() {
    return []() -> std::unique_ptr<tk::MediaBackend> {
        return std::make_unique<tk::FfmpegMedia>(std::make_unique<tk::SilentOutput>());
    };
}

MediaFactory probedMusic() {
    return []() -> std::unique_ptr<tk::MediaBackend> { return std::make_unique<ProbedMusic>(); };
}

}  // namespace brisco2::replay
