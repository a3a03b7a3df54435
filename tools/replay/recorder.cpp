// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tools/replay/recorder.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <stdexcept>

#include "toolkit/error.h"
#include "toolkit/headless.h"
#include "tools/replay/dump.h"
#include "tools/replay/script.h"

namespace brisco2::replay {

namespace {

std::string ms(tk::Nanos t) {
    return std::to_string(t / tk::kMillisecond);
}

// The music device of the game, telling the recorder how each open went.
class RecordingMedia : public tk::MediaBackend {
  public:
    RecordingMedia(std::unique_ptr<tk::MediaBackend> inner, Recorder& recorder)
        : inner_(std::move(inner)), recorder_(recorder) {}
    void open(const std::string& fileName) override {
        try {
            inner_->open(fileName);
        } catch (const tk::Error& e) {
            recorder_.musicAnswered(false, e.what());
            throw;
        }
        recorder_.musicAnswered(true, {});
    }
    void play() override { inner_->play(); }
    void close() override { inner_->close(); }
    bool isOpen() const override { return inner_->isOpen(); }
    bool isPlaying() const override { return inner_->isPlaying(); }

  private:
    std::unique_ptr<tk::MediaBackend> inner_;
    Recorder& recorder_;
};

// Appends to a file, flushed at once: a session that ends in a crash keeps what it
// recorded.
class FileSink {
  public:
    FileSink(std::string path, const char* mode) : path_(std::move(path)) {
        file_ = std::fopen(path_.c_str(), mode);
        if (!file_) fail();
    }
    ~FileSink() {
        if (file_) std::fclose(file_);
    }
    void write(const std::string& text) {
        if (std::fwrite(text.data(), 1, text.size(), file_) != text.size() ||
            std::fflush(file_) != 0)
            fail();
    }
    void close() {
        std::FILE* f = file_;
        file_ = nullptr;
        if (std::fclose(f) != 0) fail();
    }

  private:
    [[noreturn]] void fail() const {
        throw std::runtime_error("cannot write " + path_ + ": " + std::strerror(errno));
    }
    std::string path_;
    std::FILE* file_ = nullptr;
};

}  // namespace

Recorder::Recorder(Sink script, Sink final)
    : script_(std::move(script)),
      final_(std::move(final)),
      frame_(tk::HeadlessHost::kSizeableFrame) {}

std::unique_ptr<Recorder> Recorder::toFiles(const std::string& path) {
    const std::string finalPath = path + ".final.json";
    if (std::remove(finalPath.c_str()) != 0 && errno != ENOENT)
        throw std::runtime_error("cannot remove " + finalPath + ": " + std::strerror(errno));
    auto script = std::make_shared<FileSink>(path, "wb");
    return std::make_unique<Recorder>([script](const std::string& text) { script->write(text); },
                                      [finalPath](const std::string& text) {
                                          FileSink f(finalPath, "wb");
                                          f.write(text);
                                          f.close();
                                      });
}

void Recorder::attach(tk::Application& app) {
    app_ = &app;
    app.setCalendarClock([this] {
        const std::int64_t now = std::int64_t(std::time(nullptr));
        // FormCreate takes the seed to 32 bits; the replay's seed is that number.
        if (!wroteSeed_ && !wroteLine_) {
            wroteSeed_ = true;
            write(script_, "seed " + std::to_string(std::uint32_t(now)) + "\n");
        }
        return now;
    });
}

MediaFactory Recorder::recordMusic(MediaFactory media) {
    return [this, media = std::move(media)]() -> std::unique_ptr<tk::MediaBackend> {
        auto inner = media ? media() : nullptr;
        if (!inner) return nullptr;
        return std::make_unique<RecordingMedia>(std::move(inner), *this);
    };
}

void Recorder::write(const Sink& sink, const std::string& text) {
    if (failure_ || finished_) return;
    try {
        sink(text);
    } catch (const std::exception& e) {
        failure_ = e.what();
    }
}

void Recorder::line(tk::Nanos at, const std::string& command) {
    wroteLine_ = true;
    write(script_, ms(at) + " " + command + "\n");
}

void Recorder::watchFrame() {
    // The frame changes between events, never inside one: it is written with the time
    // of the last event, before the one that sees it.
    if (!game_) return;
    const tk::Window& main = game_->Form1.form();
    if (!main.host()) return;
    const tk::FrameExtents f = main.host()->decoration(main);
    if (f == frame_) return;
    frame_ = f;
    line(lastEvent_, "frame " + std::to_string(f.left) + " " + std::to_string(f.top) + " " +
                         std::to_string(f.right) + " " + std::to_string(f.bottom));
}

void Recorder::checkpoint(tk::Nanos at) {
    // Once a second of game time, the state the last event left: a replay that goes its
    // own way is caught in the second it parted, not only at the end.
    constexpr tk::Nanos kSecond = 1000 * tk::kMillisecond;
    if (!game_ || !app_ || at / kSecond <= lastEvent_ / kSecond) return;
    line(lastEvent_, "check " + stateDigest(*game_, *app_, lastEvent_ / tk::kMillisecond));
}

void Recorder::roundBegins(tk::Nanos at, tk::Nanos due) {
    watchFrame();
    checkpoint(at);
    lastEvent_ = at;
    if (at != due) line(at, "late " + ms(due));
}

void Recorder::inputArrives(tk::Nanos at, const tk::Input& in) {
    if (!in.nested) {
        watchFrame();
        checkpoint(at);
    }
    lastEvent_ = at;
    const bool second = app_ && in.window && in.window != app_->mainWindow();
    const std::string window = second ? " form2" : "";
    switch (in.kind) {
        case tk::Input::Kind::Key:
            line(at, "key " + keyName(in.virtualKey, in.modifiers) + window);
            break;
        case tk::Input::Kind::MouseCapture:
            line(at, in.captured ? "mouse-down" : "mouse-up");
            break;
        case tk::Input::Kind::Resize:
            line(at,
                 "resize " + std::to_string(in.width) + " " + std::to_string(in.height) + window);
            break;
        case tk::Input::Kind::State:
            line(at, std::string(in.state == tk::WindowState::Maximized   ? "maximize"
                                 : in.state == tk::WindowState::Minimized ? "minimize"
                                                                          : "restore") +
                         window);
            break;
        case tk::Input::Kind::ReportClosed:
            line(at, "dismiss " + std::to_string(in.reportId));
            break;
        case tk::Input::Kind::Close: {
            line(at, "dump");
            if (game_ && app_) {
                std::string state;
                appendDump(state, *game_, *app_, at / tk::kMillisecond);
                write(final_, state + "\n");
            }
            finished_ = true;
            break;
        }
    }
}

void Recorder::musicAnswered(bool ok, const std::string& text) {
    const tk::Nanos at = app_ ? app_->scheduler().now() : lastEvent_;
    line(at, ok ? "music ok" : text.empty() ? "music fail" : "music fail " + encodeText(text));
}

}  // namespace brisco2::replay
