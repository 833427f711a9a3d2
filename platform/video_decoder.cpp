#include "platform/video_decoder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <deque>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/mathematics.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include "platform/media_input.h"
#include "platform/mixer.h"

namespace {

// How much of a file the container probe may read: a film's headers are at its start, and a
// damaged file should not be read whole before it is refused.
constexpr int64_t k_probe_bytes = 1 << 20;
// Sound read ahead of what plays: enough to cover a long pass between two pictures, little
// enough that a skipped film drops it unnoticed. At least two pictures' worth at slow rates.
constexpr double k_sound_lead_seconds = 0.25;
// Picture packets held while reading ahead for the sound; beyond this the sound waits.
constexpr size_t k_max_queued_packets = 512;
// Converted sound held back while the mixer has no room; beyond this it is dropped.
constexpr size_t k_max_pending_sound_frames = 4 * size_t{k_mixer_rate};
// Decoder steps (packets read or given, frames taken) without a picture, after which the film
// counts as ended: damaged data never keeps a decode going.
constexpr int k_max_decode_steps = 8192;
// A sound track starting more than this before or after the pictures is misplaced, not late.
constexpr int64_t k_max_sound_offset_frames = 10 * int64_t{k_mixer_rate};
constexpr int k_min_sound_rate = 1000, k_max_sound_rate = 384000;
// libavutil's time base of microseconds, as a C++ value (its macro is a C compound literal).
constexpr AVRational k_microseconds{1, AV_TIME_BASE};
constexpr int k_max_sound_channels = 8;

bool size_accepted(int width, int height) {
    return width >= 1 && height >= 1 && width <= k_video_max_side && height <= k_video_max_side &&
           int64_t{width} * height <= k_video_max_pixels;
}

bool rate_accepted(AVRational r) {
    if (r.num <= 0 || r.den <= 0) return false;
    const double fps = av_q2d(r);
    return fps >= k_video_min_rate && fps <= k_video_max_rate;
}

bool sound_format_accepted(int rate, int channels, int format) {
    return rate >= k_min_sound_rate && rate <= k_max_sound_rate && channels >= 1 &&
           channels <= k_max_sound_channels && format != AV_SAMPLE_FMT_NONE;
}

AVPixelFormat av_format_of(const PixelFormat& f) {
    if (f == k_format_xrgb8888) return AV_PIX_FMT_BGR0; // bytes B, G, R, 0: 0x00RRGGBB words
    if (f == k_format_rgb565) return AV_PIX_FMT_RGB565LE;
    if (f == k_format_rgb555) return AV_PIX_FMT_RGB555LE;
    return AV_PIX_FMT_NONE;
}

} // namespace

struct VideoDecoder {
    MediaSource source;
    AVIOContext* io = nullptr;
    AVFormatContext* format = nullptr;
    AVCodecContext* video = nullptr;
    AVCodecContext* audio = nullptr;
    SwsContext* sws = nullptr;
    std::vector<uint8_t> converted; // the converter's output, before it is copied out
    SwrContext* swr = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* decoded = nullptr; // scratch
    AVFrame* picture = nullptr; // the last picture decoded
    int video_stream = -1, audio_stream = -1;
    std::deque<AVPacket*> queued; // picture packets read ahead for the sound
    bool demux_ended = false;
    bool video_flushing = false;
    bool has_picture = false;

    int width = 0, height = 0;
    AVRational rate{0, 1};
    uint32_t frame_count = 0, current_frame = 0;
    uint32_t start_ms = 0;
    double video_start_seconds = 0; // the pictures' first time stamp

    // Sound: converted to the mixer's format and held until the mixer has room.
    Mixer* mixer = nullptr;
    std::vector<int16_t> sound;
    size_t sound_at = 0; // samples of `sound` already pushed
    bool sound_started = false;
    int64_t sound_drop = 0; // frames still to drop where the track starts before the pictures
    int swr_rate = 0, swr_channels = 0, swr_format = AV_SAMPLE_FMT_NONE;

    ~VideoDecoder();
};

namespace {

void free_queue(VideoDecoder& d) {
    for (AVPacket* p : d.queued) av_packet_free(&p);
    d.queued.clear();
}

bool open_container(VideoDecoder& d) {
    return media_container_open(d.source, k_probe_bytes, d.io, d.format);
}

AVCodecContext* open_codec(const AVStream& st, const AVCodec* codec) {
    AVCodecContext* c = avcodec_alloc_context3(codec);
    if (!c) return nullptr;
    c->thread_count = 1; // decoded the same way on every run
    if (avcodec_parameters_to_context(c, st.codecpar) < 0 || avcodec_open2(c, codec, nullptr) < 0)
        avcodec_free_context(&c);
    return c;
}

uint32_t announced_frames(const AVFormatContext& f, const AVStream& st, AVRational rate) {
    int64_t frames = 0;
    if (st.nb_frames > 0) {
        frames = st.nb_frames;
    } else {
        int64_t duration_us = 0;
        if (st.duration != AV_NOPTS_VALUE && st.duration > 0)
            duration_us = av_rescale_q(st.duration, st.time_base, k_microseconds);
        else if (f.duration != AV_NOPTS_VALUE && f.duration > 0)
            duration_us = f.duration;
        frames = av_rescale_q(duration_us, k_microseconds, av_inv_q(rate));
    }
    return uint32_t(std::clamp<int64_t>(frames, 0, UINT32_MAX - 1));
}

bool open_pictures(VideoDecoder& d) {
    const AVCodec* codec = nullptr;
    d.video_stream = av_find_best_stream(d.format, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
    if (d.video_stream < 0 || !codec) return false;
    const AVStream& st = *d.format->streams[d.video_stream];
    // The base rate is what a constant-rate film was made at; the average, taken from the
    // file's duration, is off when a muxer left out the last frame's duration.
    d.rate = rate_accepted(st.r_frame_rate) ? st.r_frame_rate : st.avg_frame_rate;
    if (!rate_accepted(d.rate) || !size_accepted(st.codecpar->width, st.codecpar->height))
        return false;
    d.video = open_codec(st, codec);
    if (!d.video) return false;
    d.width = st.codecpar->width;
    d.height = st.codecpar->height;
    d.frame_count = announced_frames(*d.format, st, d.rate);
    if (st.start_time != AV_NOPTS_VALUE)
        d.video_start_seconds = st.start_time * av_q2d(st.time_base);
    return true;
}

// The sound is optional: a film whose sound cannot be decoded plays silent.
void open_sound(VideoDecoder& d) {
    if (!d.mixer) return;
    const AVCodec* codec = nullptr;
    const int s = av_find_best_stream(d.format, AVMEDIA_TYPE_AUDIO, -1, d.video_stream, &codec, 0);
    if (s < 0 || !codec) return;
    const AVCodecParameters& p = *d.format->streams[s]->codecpar;
    if (!sound_format_accepted(p.sample_rate, p.ch_layout.nb_channels, p.format)) return;
    d.audio = open_codec(*d.format->streams[s], codec);
    if (d.audio) d.audio_stream = s;
}

// A converter for the format of this frame; rebuilt when a stream changes its format.
bool converter_for(VideoDecoder& d, const AVFrame& f) {
    const int channels = f.ch_layout.nb_channels;
    if (!sound_format_accepted(f.sample_rate, channels, f.format)) return false;
    if (d.swr && f.sample_rate == d.swr_rate && channels == d.swr_channels &&
        f.format == d.swr_format)
        return true;
    swr_free(&d.swr);
    AVChannelLayout in{}, out{};
    if (f.ch_layout.order == AV_CHANNEL_ORDER_UNSPEC ||
        av_channel_layout_copy(&in, &f.ch_layout) < 0)
        av_channel_layout_default(&in, channels);
    av_channel_layout_default(&out, 2);
    const bool ok = swr_alloc_set_opts2(&d.swr, &out, AV_SAMPLE_FMT_S16, k_mixer_rate, &in,
                                        AVSampleFormat(f.format), f.sample_rate, 0, nullptr) >= 0 &&
                    swr_init(d.swr) >= 0;
    av_channel_layout_uninit(&in);
    if (!ok) {
        swr_free(&d.swr);
        return false;
    }
    d.swr_rate = f.sample_rate;
    d.swr_channels = channels;
    d.swr_format = f.format;
    return true;
}

size_t pending_sound_frames(const VideoDecoder& d) {
    return (d.sound.size() - d.sound_at) / 2;
}

// Where the track starts against the pictures, from the first sound's time stamp: silence in
// front of a late start, frames dropped from an early one.
void align_sound_start(VideoDecoder& d, const AVFrame& f) {
    d.sound_started = true;
    const int64_t pts = f.best_effort_timestamp;
    if (pts == AV_NOPTS_VALUE) return;
    const double start = pts * av_q2d(d.format->streams[d.audio_stream]->time_base);
    const auto offset =
        std::clamp<int64_t>(std::llround((start - d.video_start_seconds) * k_mixer_rate),
                            -k_max_sound_offset_frames, k_max_sound_offset_frames);
    if (offset > 0)
        d.sound.insert(d.sound.end(), size_t(offset) * 2, 0);
    else
        d.sound_drop = -offset;
}

void convert_sound(VideoDecoder& d, const AVFrame& f) {
    if (f.nb_samples <= 0 || !converter_for(d, f)) return;
    if (!d.sound_started) align_sound_start(d, f);
    const int most = swr_get_out_samples(d.swr, f.nb_samples);
    if (most <= 0 || size_t(most) > k_max_pending_sound_frames) return;
    if (pending_sound_frames(d) + size_t(most) > k_max_pending_sound_frames) return;
    const size_t at = d.sound.size();
    d.sound.resize(at + size_t(most) * 2);
    auto* out = reinterpret_cast<uint8_t*>(d.sound.data() + at);
    const int got =
        swr_convert(d.swr, &out, most, const_cast<const uint8_t**>(f.extended_data), f.nb_samples);
    d.sound.resize(at + size_t(std::max(got, 0)) * 2);
    const size_t dropped = std::min<size_t>(size_t(d.sound_drop), pending_sound_frames(d));
    d.sound_at += dropped * 2;
    d.sound_drop -= int64_t(dropped);
}

void decode_sound_packet(VideoDecoder& d, const AVPacket* p) {
    if (avcodec_send_packet(d.audio, p) < 0) return; // a packet the decoder refuses is skipped
    while (avcodec_receive_frame(d.audio, d.decoded) == 0) {
        convert_sound(d, *d.decoded);
        av_frame_unref(d.decoded);
    }
}

// One packet from the container: pictures are queued, sound decoded. False once it has ended.
bool read_packet(VideoDecoder& d) {
    if (d.demux_ended) return false;
    if (av_read_frame(d.format, d.packet) < 0) {
        d.demux_ended = true;
        if (d.audio) decode_sound_packet(d, nullptr);
        return false;
    }
    if (d.packet->stream_index == d.video_stream) {
        AVPacket* kept = av_packet_alloc();
        if (kept) {
            av_packet_move_ref(kept, d.packet);
            d.queued.push_back(kept);
        }
    } else if (d.packet->stream_index == d.audio_stream) {
        decode_sound_packet(d, d.packet);
    }
    av_packet_unref(d.packet);
    return true;
}

void push_sound(VideoDecoder& d) {
    const size_t room = size_t(mixer_stream_room(*d.mixer, MixerStream::video));
    const size_t n = std::min(room, pending_sound_frames(d));
    if (n > 0) {
        d.sound_at += 2 * mixer_stream_push(*d.mixer, MixerStream::video,
                                            {d.sound.data() + d.sound_at, 2 * n});
    }
    if (d.sound_at == d.sound.size() || d.sound_at > d.sound.size() / 2) {
        d.sound.erase(d.sound.begin(), d.sound.begin() + long(d.sound_at));
        d.sound_at = 0;
    }
}

uint64_t sound_lead_frames(const VideoDecoder& d) {
    const double lead = std::max(k_sound_lead_seconds, 2.0 / av_q2d(d.rate));
    return uint64_t(std::min(lead, 2.5) * k_mixer_rate);
}

// Keep the mixer's video stream a little ahead of what plays, reading on through the
// container as far as the picture queue allows.
void feed_sound(VideoDecoder& d) {
    if (!d.audio) return;
    const uint64_t lead = sound_lead_frames(d);
    for (int step = 0; step < k_max_decode_steps; ++step) {
        push_sound(d);
        if (mixer_stream_queued(*d.mixer, MixerStream::video) >= lead) return;
        if (pending_sound_frames(d) > 0 || d.queued.size() >= k_max_queued_packets) return;
        if (!read_packet(d)) return;
    }
}

// Give the picture decoder its next packet (or the end of the stream). False when there is
// nothing left to give.
bool give_picture_packet(VideoDecoder& d) {
    if (d.queued.empty()) {
        if (read_packet(d)) return true; // maybe a sound packet; the caller comes back
        if (d.video_flushing) return false;
        d.video_flushing = true;
        avcodec_send_packet(d.video, nullptr);
        return true;
    }
    AVPacket* p = d.queued.front();
    // The decoder asking to be emptied first keeps the packet for the next turn.
    if (avcodec_send_packet(d.video, p) == AVERROR(EAGAIN)) return true;
    d.queued.pop_front();
    av_packet_free(&p);
    return true;
}

// The converter fills the unused byte of a 32-bit pixel with 0xFF; the display's words have 0.
void clear_top_bytes(uint8_t* bits, int pitch, int width, int height) {
    for (int y = 0; y < height; ++y) {
        uint8_t* row = bits + size_t(y) * size_t(pitch);
        for (int x = 0; x < width; ++x) row[4 * x + 3] = 0;
    }
}

bool picture_usable(const AVFrame& f) {
    return f.format >= 0 && size_accepted(f.width, f.height) && f.data[0] != nullptr;
}

VideoDecoderPtr open_source(const MediaSource& source, Mixer* mixer, uint32_t now_ms) {
    VideoDecoderPtr d(new VideoDecoder);
    d->source = source;
    d->mixer = mixer;
    if (!open_container(*d) || !open_pictures(*d)) return nullptr;
    open_sound(*d);
    for (unsigned i = 0; i < d->format->nb_streams; ++i)
        if (int(i) != d->video_stream && int(i) != d->audio_stream)
            d->format->streams[i]->discard = AVDISCARD_ALL;
    d->packet = av_packet_alloc();
    d->decoded = av_frame_alloc();
    d->picture = av_frame_alloc();
    if (!d->packet || !d->decoded || !d->picture) return nullptr;
    d->start_ms = now_ms;
    if (mixer) {
        mixer_stream_clear(*mixer, MixerStream::video);
        mixer_stream_set_volume(*mixer, MixerStream::video, 0);
        mixer_stream_pause(*mixer, MixerStream::video, false);
    }
    feed_sound(*d);
    return d;
}

} // namespace

VideoDecoder::~VideoDecoder() {
    // The film's sound ends with it.
    if (mixer) mixer_stream_clear(*mixer, MixerStream::video);
    free_queue(*this);
    sws_freeContext(sws);
    swr_free(&swr);
    av_frame_free(&picture);
    av_frame_free(&decoded);
    av_packet_free(&packet);
    avcodec_free_context(&audio);
    avcodec_free_context(&video);
    media_container_close(io, format);
    media_source_close(source);
}

void VideoDecoderClose::operator()(VideoDecoder* decoder) const {
    delete decoder;
}

VideoDecoderPtr video_open(std::string_view path, Mixer* mixer, uint32_t now_ms) {
    MediaSource s;
    if (!media_source_open_file(path, s)) return nullptr;
    return open_source(s, mixer, now_ms); // the decoder owns the file from here
}

VideoDecoderPtr video_open_memory(std::span<const uint8_t> bytes, Mixer* mixer, uint32_t now_ms) {
    return open_source(media_source_memory(bytes), mixer, now_ms);
}

int video_width(const VideoDecoder& d) {
    return d.width;
}

int video_height(const VideoDecoder& d) {
    return d.height;
}

uint32_t video_frame_count(const VideoDecoder& d) {
    return d.frame_count;
}

uint32_t video_current_frame(const VideoDecoder& d) {
    return d.current_frame;
}

double video_frame_rate(const VideoDecoder& d) {
    return av_q2d(d.rate);
}

bool video_wait(const VideoDecoder& d, uint32_t now_ms) {
    const int64_t offset =
        av_rescale_rnd(d.current_frame, int64_t{1000} * d.rate.den, d.rate.num, AV_ROUND_DOWN);
    const uint32_t due = d.start_ms + uint32_t(offset);
    return int32_t(now_ms - due) < 0;
}

bool video_do_frame(VideoDecoder& d) {
    for (int step = 0; step < k_max_decode_steps; ++step) {
        const int got = avcodec_receive_frame(d.video, d.decoded);
        if (got == 0) {
            if (!picture_usable(*d.decoded)) {
                av_frame_unref(d.decoded);
                continue;
            }
            av_frame_unref(d.picture);
            av_frame_move_ref(d.picture, d.decoded);
            d.has_picture = true;
            feed_sound(d);
            return true;
        }
        if (got != AVERROR(EAGAIN) || !give_picture_packet(d)) break;
    }
    d.frame_count = d.current_frame + 1;
    feed_sound(d);
    return false;
}

bool video_copy_to_buffer(VideoDecoder& d, uint8_t* bits, int pitch, int rows,
                          const PixelFormat& format) {
    const AVPixelFormat out = av_format_of(format);
    if (out == AV_PIX_FMT_NONE || !d.has_picture || !bits || rows < d.height) return false;
    const int row_bytes = d.width * bytes_per_pixel(format);
    if (pitch < row_bytes) return false;
    const AVFrame& p = *d.picture;
    d.sws = sws_getCachedContext(d.sws, p.width, p.height, AVPixelFormat(p.format), d.width,
                                 d.height, out, SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (!d.sws) return false;
    // The converter's vector code writes whole blocks past the end of a row, so it converts
    // into a buffer of its own, with room to spare, and the rows are copied out from there.
    const int stride = FFALIGN(row_bytes, 64);
    d.converted.resize(size_t(stride) * size_t(d.height) + 256);
    uint8_t* planes[4] = {d.converted.data(), nullptr, nullptr, nullptr};
    int strides[4] = {stride, 0, 0, 0};
    if (sws_scale(d.sws, p.data, p.linesize, 0, p.height, planes, strides) != d.height)
        return false;
    for (int y = 0; y < d.height; ++y)
        std::memcpy(bits + size_t(y) * size_t(pitch), d.converted.data() + size_t(y) * stride,
                    size_t(row_bytes));
    if (out == AV_PIX_FMT_BGR0) clear_top_bytes(bits, pitch, d.width, d.height);
    return true;
}

void video_next_frame(VideoDecoder& d) {
    // Never past the frame before a known end: a player waiting for it must see it.
    if (d.frame_count != 0 && d.current_frame + 1 >= d.frame_count) return;
    if (d.current_frame < UINT32_MAX - 1) ++d.current_frame;
}
