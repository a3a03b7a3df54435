// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "toolkit/media/audio_output.h"
#include "toolkit/media_player.h"

namespace tk {

// The media library's text for a failure code, or "Unbekannter Fehlercode" when it has
// none.
std::string mediaErrorText(int code);
// The same for an errno value: the text a file that cannot be read that way gives.
std::string systemErrorText(int errnoCode);

// The music device: opens a sound file with the media libraries, decodes it on a worker
// thread and hands the PCM to an AudioOutput.
//
// Every public call comes from the event thread. open() and play() first stop and join
// the worker, so the decoder state is only ever used by one thread at a time.
class FfmpegMedia : public MediaBackend {
  public:
    explicit FfmpegMedia(std::unique_ptr<AudioOutput> output);
    ~FfmpegMedia() override;
    FfmpegMedia(const FfmpegMedia&) = delete;
    FfmpegMedia& operator=(const FfmpegMedia&) = delete;

    // Synchronous and short: reads the container header and opens the decoder; decoding
    // happens during playback. The container comes from the extension (".wma" only); the
    // content is never probed for other formats. Throws tk::Error.
    void open(const std::string& fileName) override;
    // Plays from the beginning and returns at once. Without sound (no device, the device
    // refuses) the failure is kept in lastPlayError() and the game runs silently.
    void play() override;
    // Stops the sound, joins the worker and closes the file. Idempotent.
    void close() override;
    bool isOpen() const override;
    bool isPlaying() const override;

    // Decodes the open file from its beginning to its end on the calling thread into
    // `output`, which is started and finished here: for a caller that is itself off the
    // game's thread and has none to spare (the page's decoder worker). Returns why
    // decoding failed, or an empty text.
    std::string decodeAll(AudioOutput& output);
    // The open file's length in seconds as its header gives it; 0 when unknown.
    double duration() const;

    // Why the last play() gave no sound; empty when it started and decoding went well.
    std::string lastPlayError() const;
    AudioOutput& output() const { return *output_; }

    struct Decoder;  // the open file, its decoder and resampler

  private:
    void stopPlayback();
    bool rewind();  // back to the file's beginning; false (and the reason kept) on failure
    void decodeLoop(AudioOutput& output);  // the worker
    void setPlayError(std::string text);

    std::unique_ptr<AudioOutput> output_;
    std::unique_ptr<Decoder> decoder_;
    std::string fileName_;
    bool fresh_ = false;  // nothing has been read past the header since open()
    bool started_ = false;
    std::thread worker_;
    std::atomic<bool> quit_{false};
    mutable std::mutex errorMutex_;
    std::string playError_;
};

}  // namespace tk
