// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tools/tune/wma_writer.h"

#include <cstdio>
#include <cstring>
#include <stdexcept>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
}

namespace tune {

namespace {

void check(int code, const char* what) {
    if (code >= 0) return;
    char text[256] = {};
    av_strerror(code, text, sizeof text);
    throw std::runtime_error(std::string(what) + ": " + text);
}

// Owns what an encoding run allocates.
struct Encoding {
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    AVStream* stream = nullptr;
    ~Encoding() {
        av_packet_free(&packet);
        av_frame_free(&frame);
        avcodec_free_context(&codec);
        if (format != nullptr && format->pb != nullptr) avio_closep(&format->pb);
        avformat_free_context(format);
    }

    // Sends a frame (nullptr flushes) and writes whatever packets come out.
    void encode(const AVFrame* f) {
        check(avcodec_send_frame(codec, f), "encode");
        for (;;) {
            const int r = avcodec_receive_packet(codec, packet);
            if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) return;
            check(r, "encode");
            av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
            packet->stream_index = stream->index;
            check(av_interleaved_write_frame(format, packet), "write");
        }
    }
};

}  // namespace

void writeWma(const std::string& path, const Stereo& sound, int bitRate) {
    const std::string partial = path + ".part";
    {
        Encoding e;
        check(avformat_alloc_output_context2(&e.format, nullptr, "asf", partial.c_str()),
              "container");
        const AVCodec* encoder = avcodec_find_encoder_by_name("wmav2");
        if (encoder == nullptr) throw std::runtime_error("no wmav2 encoder in this build");
        e.stream = avformat_new_stream(e.format, nullptr);
        e.codec = avcodec_alloc_context3(encoder);
        e.frame = av_frame_alloc();
        e.packet = av_packet_alloc();
        if (e.stream == nullptr || e.codec == nullptr || e.frame == nullptr || e.packet == nullptr)
            throw std::runtime_error("out of memory");

        const AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
        e.codec->sample_rate = kSampleRate;
        check(av_channel_layout_copy(&e.codec->ch_layout, &stereo), "layout");
        e.codec->sample_fmt = AV_SAMPLE_FMT_FLTP;
        e.codec->bit_rate = bitRate;
        e.codec->time_base = {1, kSampleRate};
        if ((e.format->oformat->flags & AVFMT_GLOBALHEADER) != 0)
            e.codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        check(avcodec_open2(e.codec, encoder, nullptr), "encoder");
        check(avcodec_parameters_from_context(e.stream->codecpar, e.codec), "stream");
        e.stream->time_base = e.codec->time_base;
        check(avio_open(&e.format->pb, partial.c_str(), AVIO_FLAG_WRITE), partial.c_str());
        check(avformat_write_header(e.format, nullptr), "header");

        // The encoder takes fixed-size frames; the last one is padded with silence.
        const int frameSize = e.codec->frame_size;
        e.frame->nb_samples = frameSize;
        e.frame->format = e.codec->sample_fmt;
        check(av_channel_layout_copy(&e.frame->ch_layout, &stereo), "layout");
        check(av_frame_get_buffer(e.frame, 0), "frame");
        const std::size_t total = sound.left.size();
        for (std::size_t at = 0; at < total; at += static_cast<std::size_t>(frameSize)) {
            check(av_frame_make_writable(e.frame), "frame");
            auto* l = reinterpret_cast<float*>(e.frame->data[0]);
            auto* r = reinterpret_cast<float*>(e.frame->data[1]);
            for (int i = 0; i < frameSize; ++i) {
                const std::size_t n = at + static_cast<std::size_t>(i);
                l[i] = n < total ? sound.left[n] : 0.0f;
                r[i] = n < total ? sound.right[n] : 0.0f;
            }
            e.frame->pts = static_cast<std::int64_t>(at);
            e.encode(e.frame);
        }
        e.encode(nullptr);
        check(av_write_trailer(e.format), "trailer");
    }
    if (std::rename(partial.c_str(), path.c_str()) != 0)
        throw std::runtime_error("cannot rename " + partial + " to " + path + ": " +
                                 std::strerror(errno));
}

}  // namespace tune
