// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "toolkit/media/ffmpeg_media.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
#include <libavformat/avio.h>
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

namespace {

// The file as the demuxer reads it: our own reads and seeks over a descriptor, the same
// on every platform. The library's own file layer hands a seek to the system, and the
// systems differ where a damaged header asks for a place far past the end: Linux goes
// there and the next read finds the end of the file, WebAssembly's file systems refuse
// offsets past 2^53. Here any place at or past the end simply reads as the end.
struct FileInput {
    static constexpr int kBufferSize = 32 * 1024;

    int fd = -1;
    std::int64_t size = 0;
    std::int64_t position = 0;    // where the demuxer reads next
    std::int64_t descriptor = 0;  // where the descriptor stands

    ~FileInput() {
        if (fd >= 0) ::close(fd);
    }

    static int read(void* opaque, std::uint8_t* buffer, int wanted) {
        auto& f = *static_cast<FileInput*>(opaque);
        if (f.position >= f.size || wanted <= 0) return AVERROR_EOF;
        if (f.descriptor != f.position) {
            if (::lseek(f.fd, static_cast<off_t>(f.position), SEEK_SET) < 0) return AVERROR(errno);
            f.descriptor = f.position;
        }
        const auto n =
            static_cast<std::size_t>(std::min<std::int64_t>(wanted, f.size - f.position));
        ssize_t got;
        do {
            got = ::read(f.fd, buffer, n);
        } while (got < 0 && errno == EINTR);
        if (got < 0) return AVERROR(errno);
        if (got == 0) return AVERROR_EOF;  // the file has shrunk since it was opened
        f.position += got;
        f.descriptor = f.position;
        return static_cast<int>(got);
    }

    static std::int64_t seek(void* opaque, std::int64_t offset, int whence) {
        auto& f = *static_cast<FileInput*>(opaque);
        std::int64_t base = 0;
        switch (whence & ~AVSEEK_FORCE) {
            case AVSEEK_SIZE:
                return f.size;
            case SEEK_SET:
                base = 0;
                break;
            case SEEK_CUR:
                base = f.position;
                break;
            case SEEK_END:
                base = f.size;
                break;
            default:
                return AVERROR(EINVAL);
        }
        std::int64_t to = 0;
        if (__builtin_add_overflow(base, offset, &to) || to < 0) return AVERROR(EINVAL);
        f.position = to;
        return to;
    }
};

}  // namespace

struct FfmpegMedia::Decoder {
    FileInput file;
    AVIOContext* io = nullptr;
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
        if (io != nullptr) av_freep(&io->buffer);
        avio_context_free(&io);
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
    // Without blocking: should a pipe have taken the file's place since the look above,
    // the look below turns it away.
    d->file.fd = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (d->file.fd < 0) fail(AVERROR(errno));
    if (::fstat(d->file.fd, &st) != 0) fail(AVERROR(errno));
    if (S_ISDIR(st.st_mode)) fail(AVERROR(EISDIR));
    if (!S_ISREG(st.st_mode)) fail(AVERROR(EINVAL));
    d->file.size = st.st_size;
    auto* buffer = static_cast<unsigned char*>(av_malloc(FileInput::kBufferSize));
    if (buffer == nullptr) fail(AVERROR(ENOMEM));
    d->io = avio_alloc_context(buffer, FileInput::kBufferSize, 0, &d->file, &FileInput::read,
                               nullptr, &FileInput::seek);
    if (d->io == nullptr) {
        av_free(buffer);
        fail(AVERROR(ENOMEM));
    }
    d->format = avformat_alloc_context();
    if (d->format == nullptr) fail(AVERROR(ENOMEM));
    d->format->pb = d->io;
    d->format->probesize = kProbeBytes;
    d->format->max_analyze_duration = kAnalyzeMicros;
    AVDictionary* options = nullptr;
    // The demuxer reads only what we hand it: it may open nothing else by name.
    av_dict_set(&options, "protocol_whitelist", "none", 0);
    av_dict_set(&options, "codec_whitelist", container->decoders, 0);
    int r = avformat_open_input(&d->format, fileName.c_str(), demuxer, &options);
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
