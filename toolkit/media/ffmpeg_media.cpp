// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "toolkit/media/ffmpeg_media.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <string_view>
#include <system_error>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libavutil/log.h>
#include <libswresample/swresample.h>
}

#include "toolkit/error.h"
#include "toolkit/media/containers.h"

namespace tk {

namespace {

using media::Container;
using media::kContainers;

// The header of a sound file is small; limiting what the stream analysis may read keeps
// open() at a few milliseconds even on a damaged file.
constexpr std::int64_t kProbeBytes = 64 * 1024;
constexpr std::int64_t kAnalyzeMicros = 200'000;

[[noreturn]] void fail(int code) {
    throw Error(mediaErrorText(code));
}

const Container* containerFor(const std::string& fileName) {
    const auto dot = fileName.find_last_of('.');
    const auto slash = fileName.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return nullptr;
    std::string ext = fileName.substr(dot);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const Container& c : kContainers)
        if (ext == c.extension) return &c;
    return nullptr;
}

bool listed(std::string_view list, std::string_view name) {
    while (!list.empty()) {
        const auto comma = list.find(',');
        if (list.substr(0, comma) == name) return true;
        if (comma == std::string_view::npos) break;
        list.remove_prefix(comma + 1);
    }
    return false;
}

}  // namespace

std::string mediaErrorText(int code) {
    char text[256] = {};
    if (av_strerror(code, text, sizeof text) < 0 || text[0] == '\0')
        return "Unbekannter Fehlercode";
    return text;
}

std::string systemErrorText(int errnoCode) {
    return mediaErrorText(AVERROR(errnoCode));
}

struct FfmpegMedia::Decoder {
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;
    int stream = -1;

    // The resampler and the input it was set up for; a stream may change mid-way.
    SwrContext* swr = nullptr;
    AVChannelLayout inLayout{};
    int inFormat = -1;
    int inRate = 0;
    std::vector<std::int16_t> pcm;

    Decoder() = default;
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;
    ~Decoder() {
        swr_free(&swr);
        av_channel_layout_uninit(&inLayout);
        av_frame_free(&frame);
        av_packet_free(&packet);
        avcodec_free_context(&codec);
        avformat_close_input(&format);
    }

    // Returns 0, or the library's failure code.
    int configure(const AVFrame& f) {
        AVChannelLayout in{};
        int r = 0;
        // A layout that only counts channels gets the usual one for that count.
        if (f.ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
            av_channel_layout_default(&in, f.ch_layout.nb_channels);
        else
            r = av_channel_layout_copy(&in, &f.ch_layout);
        if (r < 0) return r;
        swr_free(&swr);
        AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;  // the call wants it mutable
        r = swr_alloc_set_opts2(&swr, &stereo, AV_SAMPLE_FMT_S16, AudioOutput::kSampleRate, &in,
                                static_cast<AVSampleFormat>(f.format), f.sample_rate, 0, nullptr);
        if (r >= 0) r = swr_init(swr);
        av_channel_layout_uninit(&in);
        if (r < 0) {
            swr_free(&swr);
            return r;
        }
        av_channel_layout_uninit(&inLayout);
        av_channel_layout_copy(&inLayout, &f.ch_layout);
        inFormat = f.format;
        inRate = f.sample_rate;
        return 0;
    }

    // Resamples `f` (or, without a frame, what the resampler still holds) into pcm.
    // Returns the frames produced, or a negative failure code.
    int resample(const AVFrame* f) {
        if (f != nullptr && (swr == nullptr || f->format != inFormat || f->sample_rate != inRate ||
                             av_channel_layout_compare(&f->ch_layout, &inLayout) != 0)) {
            if (const int r = configure(*f); r < 0) return r;
        }
        if (swr == nullptr) return 0;
        const int capacity = swr_get_out_samples(swr, f != nullptr ? f->nb_samples : 0);
        if (capacity <= 0) return capacity;
        pcm.resize(static_cast<std::size_t>(capacity) * AudioOutput::kChannels);
        auto* out = reinterpret_cast<std::uint8_t*>(pcm.data());
        return f != nullptr
                   ? swr_convert(swr, &out, capacity,
                                 const_cast<const std::uint8_t**>(f->extended_data), f->nb_samples)
                   : swr_convert(swr, &out, capacity, nullptr, 0);
    }
};

namespace {

std::unique_ptr<FfmpegMedia::Decoder> openDecoder(const std::string& fileName) {
    const Container* container = containerFor(fileName);
    if (container == nullptr) fail(AVERROR_DEMUXER_NOT_FOUND);
    const AVInputFormat* demuxer = av_find_input_format(container->demuxer);
    if (demuxer == nullptr) fail(AVERROR_DEMUXER_NOT_FOUND);

    // Only a regular file: a directory would be read as garbage and a named pipe would
    // block the event thread until someone writes to it.
    struct stat st {};
    if (::stat(fileName.c_str(), &st) != 0) fail(AVERROR(errno));
    if (S_ISDIR(st.st_mode)) fail(AVERROR(EISDIR));
    if (!S_ISREG(st.st_mode)) fail(AVERROR(EINVAL));

    auto d = std::make_unique<FfmpegMedia::Decoder>();
    d->format = avformat_alloc_context();
    if (d->format == nullptr) fail(AVERROR(ENOMEM));
    d->format->probesize = kProbeBytes;
    d->format->max_analyze_duration = kAnalyzeMicros;
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    av_dict_set(&options, "codec_whitelist", container->decoders, 0);
    // The prefix keeps a name with a colon from being taken for another protocol.
    const std::string url = "file:" + fileName;
    int r = avformat_open_input(&d->format, url.c_str(), demuxer, &options);
    av_dict_free(&options);
    if (r < 0) fail(r);  // the library has freed the context
    if ((r = avformat_find_stream_info(d->format, nullptr)) < 0) fail(r);

    const AVCodec* codec = nullptr;
    r = av_find_best_stream(d->format, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (r < 0) fail(r);
    if (codec == nullptr || !listed(container->decoders, codec->name))
        fail(AVERROR_DECODER_NOT_FOUND);
    d->stream = r;
    d->codec = avcodec_alloc_context3(codec);
    if (d->codec == nullptr) fail(AVERROR(ENOMEM));
    if ((r = avcodec_parameters_to_context(d->codec, d->format->streams[d->stream]->codecpar)) < 0)
        fail(r);
    if ((r = avcodec_open2(d->codec, codec, nullptr)) < 0) fail(r);
    d->packet = av_packet_alloc();
    d->frame = av_frame_alloc();
    if (d->packet == nullptr || d->frame == nullptr) fail(AVERROR(ENOMEM));
    return d;
}

}  // namespace

FfmpegMedia::FfmpegMedia(std::unique_ptr<AudioOutput> output) : output_(std::move(output)) {
    if (!output_) output_ = std::make_unique<SilentOutput>();
    // The game keeps no log; what matters reaches the player as an error. Without this
    // the libraries would print their notes about damaged files to stderr.
    static std::once_flag quiet;
    std::call_once(quiet, [] { av_log_set_level(AV_LOG_QUIET); });
}

FfmpegMedia::~FfmpegMedia() {
    close();
}

void FfmpegMedia::open(const std::string& fileName) {
    close();
    decoder_ = openDecoder(fileName);
    fileName_ = fileName;
    fresh_ = true;
}

bool FfmpegMedia::rewind() {
    if (!decoder_) {
        setPlayError("Kein Gerät geöffnet");
        return false;
    }
    if (fresh_) return true;
    // Played before: the decoder is somewhere in the file. Opening afresh is the surest
    // way back to its beginning.
    try {
        decoder_ = openDecoder(fileName_);
    } catch (const Error& e) {
        decoder_.reset();
        setPlayError(e.what());
        return false;
    }
    fresh_ = true;
    return true;
}

void FfmpegMedia::play() {
    stopPlayback();
    setPlayError({});
    if (!rewind()) return;
    if (std::string why = output_->start(); !why.empty()) {
        setPlayError(std::move(why));
        return;
    }
    quit_ = false;
    try {
        worker_ = std::thread([this] { decodeLoop(*output_); });
    } catch (const std::system_error& e) {
        output_->stop();
        setPlayError(e.what());
        return;
    }
    started_ = true;
    fresh_ = false;
}

std::string FfmpegMedia::decodeAll(AudioOutput& output) {
    stopPlayback();
    setPlayError({});
    if (!rewind()) return lastPlayError();
    if (std::string why = output.start(); !why.empty()) return why;
    quit_ = false;
    fresh_ = false;
    decodeLoop(output);
    return lastPlayError();
}

double FfmpegMedia::duration() const {
    if (!decoder_ || decoder_->format->duration <= 0) return 0;
    return static_cast<double>(decoder_->format->duration) / AV_TIME_BASE;
}

void FfmpegMedia::close() {
    stopPlayback();
    decoder_.reset();
    fresh_ = false;
}

bool FfmpegMedia::isOpen() const {
    return decoder_ != nullptr;
}

bool FfmpegMedia::isPlaying() const {
    return started_ && output_->busy();
}

std::string FfmpegMedia::lastPlayError() const {
    std::lock_guard lock(errorMutex_);
    return playError_;
}

void FfmpegMedia::setPlayError(std::string text) {
    std::lock_guard lock(errorMutex_);
    playError_ = std::move(text);
}

void FfmpegMedia::stopPlayback() {
    if (!started_) return;
    quit_ = true;
    output_->stop();  // wakes a worker blocked on a full queue
    if (worker_.joinable()) worker_.join();
    started_ = false;
}

void FfmpegMedia::decodeLoop(AudioOutput& output) {
    Decoder& d = *decoder_;
    bool going = true;
    // Hands the resampled frames to the output; false when playback is to end.
    auto deliver = [&](int frames) {
        if (frames < 0) {
            setPlayError(mediaErrorText(frames));
            return false;
        }
        return frames == 0 || output.write(d.pcm.data(), static_cast<std::size_t>(frames));
    };
    auto drainDecoder = [&] {
        for (;;) {
            const int r = avcodec_receive_frame(d.codec, d.frame);
            if (r < 0) return true;  // wants input, at its end, or a broken frame
            const bool more = deliver(d.resample(d.frame));
            av_frame_unref(d.frame);
            if (!more) return false;
        }
    };
    while (going && !quit_) {
        // At the end of the file or where a damaged one stops making sense, playback ends
        // with what has been decoded so far.
        if (av_read_frame(d.format, d.packet) < 0) break;
        // A packet the decoder rejects is skipped; the next one may be fine.
        if (d.packet->stream_index == d.stream && avcodec_send_packet(d.codec, d.packet) >= 0)
            going = drainDecoder();
        av_packet_unref(d.packet);
    }
    if (going && !quit_ && avcodec_send_packet(d.codec, nullptr) >= 0) going = drainDecoder();
    if (going && !quit_) deliver(d.resample(nullptr));
    output.finish();
}

}  // namespace tk
