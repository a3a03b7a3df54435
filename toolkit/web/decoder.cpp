// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The page's music decoder: the desktop's own media code (tk::FfmpegMedia) in a module of
// its own that runs in a worker (media_worker.js), so that neither loading it nor
// decoding ever holds up the game. The worker puts the fetched file into this module's
// memory file system under the name the game opened, and asks here, one call at a time.
#include <emscripten.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/error.h"
#include "toolkit/media/audio_output.h"
#include "toolkit/media/ffmpeg_media.h"

namespace {

// Keeps the whole decoded file: the page hands it to Web Audio in one piece.
class PcmBuffer : public tk::AudioOutput {
  public:
    std::string start() override {
        samples.clear();
        return {};
    }
    void stop() override {}
    bool write(const std::int16_t* data, std::size_t frames) override {
        samples.insert(samples.end(), data, data + frames * kChannels);
        return true;
    }
    void finish() override {}
    bool busy() const override { return false; }

    std::vector<std::int16_t> samples;
};

tk::FfmpegMedia& device() {
    // Never destroyed: the worker lives as long as the page.
    static auto* media = new tk::FfmpegMedia(std::make_unique<PcmBuffer>());
    return *media;
}

PcmBuffer decoded;

int report(const std::string& text, char* failure, int size) {
    if (size > 0) {
        std::strncpy(failure, text.c_str(), std::size_t(size) - 1);
        failure[size - 1] = '\0';
    }
    return 1;
}

}  // namespace

extern "C" {

// Opens `name` as the game's device does: 0, or 1 with the failure's text in `failure`.
EMSCRIPTEN_KEEPALIVE int tkd_open(const char* name, char* failure, int size) {
    try {
        device().open(name);
        return 0;
    } catch (const tk::Error& e) {
        return report(e.what(), failure, size);
    }
}

// The failure of a file the site would not give (`status` is the HTTP status, 0 when no
// answer came): the words the desktop shows when a file cannot be read for that reason.
// Returns 1, as every failing call here.
EMSCRIPTEN_KEEPALIVE int tkd_fetch_failure(int status, char* failure, int size) {
    int code = EIO;
    if (status == 404 || status == 410) code = ENOENT;
    if (status == 401 || status == 403) code = EACCES;
    if (status == 0) code = ENETUNREACH;
    return report(tk::systemErrorText(code), failure, size);
}

EMSCRIPTEN_KEEPALIVE double tkd_duration() {
    return device().duration();
}

// Decodes the open file whole: 0 with the sound in tkd_samples(), or 1 with the failure.
EMSCRIPTEN_KEEPALIVE int tkd_decode(char* failure, int size) {
    const std::string why = device().decodeAll(decoded);
    if (!why.empty()) return report(why, failure, size);
    return 0;
}

// Interleaved 16-bit stereo at tk::AudioOutput::kSampleRate, valid until the next call.
EMSCRIPTEN_KEEPALIVE const std::int16_t* tkd_samples() {
    return decoded.samples.data();
}

EMSCRIPTEN_KEEPALIVE int tkd_frames() {
    return int(decoded.samples.size() / tk::AudioOutput::kChannels);
}

EMSCRIPTEN_KEEPALIVE int tkd_sample_rate() {
    return tk::AudioOutput::kSampleRate;
}

EMSCRIPTEN_KEEPALIVE void tkd_close() {
    device().close();
    decoded.samples = {};
}

}  // extern "C"
