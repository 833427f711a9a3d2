#include "tools/common/film_writer.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace {

constexpr int k_sound_rate = 44100;

struct Stream {
    AVCodecContext* codec = nullptr;
    AVStream* stream = nullptr;
};

// Everything one encoding run holds, released together.
struct Encoding {
    std::string path; // the file the muxer writes, read back at the end
    AVFormatContext* format = nullptr;
    Stream video, audio;
    SwsContext* sws = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    std::string error;

    ~Encoding() {
        sws_freeContext(sws);
        av_frame_free(&frame);
        av_packet_free(&packet);
        avcodec_free_context(&video.codec);
        avcodec_free_context(&audio.codec);
        if (format) {
            if (format->pb) avio_closep(&format->pb);
            avformat_free_context(format);
        }
        std::error_code ec;
        if (!path.empty()) std::filesystem::remove(path, ec);
    }

    bool fail(const std::string& what) {
        if (error.empty()) error = what;
        return false;
    }
};

const AVCodec* video_encoder(FilmCodec codec) {
    if (codec == FilmCodec::h264)
        if (const AVCodec* c = avcodec_find_encoder_by_name("libx264")) return c;
    return avcodec_find_encoder(AV_CODEC_ID_MPEG4);
}

// The muxer writes a temporary file: moving the index to the front reopens it by name.
bool open_container(Encoding& e) {
    // The muxer's progress notes are no business of the tool's output.
    if (av_log_get_level() > AV_LOG_ERROR) av_log_set_level(AV_LOG_ERROR);
    static std::atomic<unsigned> serial{0};
    e.path = (std::filesystem::temp_directory_path() /
              ("vantor-film-" + std::to_string(getpid()) + "-" + std::to_string(serial++) + ".mp4"))
                 .string();
    if (avformat_alloc_output_context2(&e.format, nullptr, "mp4", e.path.c_str()) < 0 || !e.format)
        return e.fail("no MP4 muxer");
    if (avio_open(&e.format->pb, e.path.c_str(), AVIO_FLAG_WRITE) < 0)
        return e.fail("cannot write " + e.path);
    e.format->flags |= AVFMT_FLAG_BITEXACT;
    e.packet = av_packet_alloc();
    e.frame = av_frame_alloc();
    return e.packet && e.frame ? true : e.fail("out of memory");
}

bool add_stream(Encoding& e, Stream& s, const AVCodec* codec, AVDictionary** options) {
    s.stream = avformat_new_stream(e.format, nullptr);
    if (!s.stream) return e.fail("cannot add a stream");
    s.codec->thread_count = 1;
    s.codec->flags |= AV_CODEC_FLAG_BITEXACT;
    if (e.format->oformat->flags & AVFMT_GLOBALHEADER)
        s.codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (avcodec_open2(s.codec, codec, options) < 0)
        return e.fail(std::string("cannot open the encoder ") + codec->name);
    if (avcodec_parameters_from_context(s.stream->codecpar, s.codec) < 0)
        return e.fail("cannot describe the stream");
    s.stream->time_base = s.codec->time_base;
    return true;
}

bool add_video(Encoding& e, const FilmOptions& o) {
    const AVCodec* codec = video_encoder(o.codec);
    if (!codec) return e.fail("no video encoder");
    AVCodecContext* c = e.video.codec = avcodec_alloc_context3(codec);
    if (!c) return e.fail("out of memory");
    c->width = o.width;
    c->height = o.height;
    c->time_base = AVRational{1, o.rate};
    c->framerate = AVRational{o.rate, 1};
    c->pix_fmt = AV_PIX_FMT_YUV420P;
    c->gop_size = o.keyframe_interval;
    AVDictionary* options = nullptr;
    if (std::strcmp(codec->name, "libx264") == 0) {
        av_dict_set(&options, "preset", "veryfast", 0);
        av_dict_set_int(&options, "crf", o.quality, 0);
    } else {
        c->flags |= AV_CODEC_FLAG_QSCALE;
        c->global_quality = FF_QP2LAMBDA * std::clamp(o.quality / 2, 2, 31);
        c->max_b_frames = 2;
    }
    const bool ok = add_stream(e, e.video, codec, &options);
    av_dict_free(&options);
    if (!ok) return false;
    e.sws =
        sws_getContext(o.width, o.height, AV_PIX_FMT_RGB24, o.width, o.height, AV_PIX_FMT_YUV420P,
                       SWS_BICUBIC | SWS_ACCURATE_RND | SWS_BITEXACT, nullptr, nullptr, nullptr);
    return e.sws ? true : e.fail("no picture converter");
}

bool add_audio(Encoding& e, const FilmOptions& o) {
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_AAC);
    if (!codec) return e.fail("no AAC encoder");
    AVCodecContext* c = e.audio.codec = avcodec_alloc_context3(codec);
    if (!c) return e.fail("out of memory");
    c->sample_fmt = AV_SAMPLE_FMT_FLTP;
    c->sample_rate = k_sound_rate;
    c->time_base = AVRational{1, k_sound_rate};
    c->bit_rate = o.sound_bitrate;
    av_channel_layout_default(&c->ch_layout, 2);
    return add_stream(e, e.audio, codec, nullptr);
}

// Everything the encoder has ready, into the container.
bool drain(Encoding& e, Stream& s) {
    for (;;) {
        const int got = avcodec_receive_packet(s.codec, e.packet);
        if (got == AVERROR(EAGAIN) || got == AVERROR_EOF) return true;
        if (got < 0) return e.fail("encoding failed");
        // Every picture lasts one frame, the last one too, so the file's duration is whole.
        if (&s == &e.video) e.packet->duration = 1;
        av_packet_rescale_ts(e.packet, s.codec->time_base, s.stream->time_base);
        e.packet->stream_index = s.stream->index;
        if (av_interleaved_write_frame(e.format, e.packet) < 0) return e.fail("writing failed");
    }
}

bool encode(Encoding& e, Stream& s, const AVFrame* frame) {
    if (avcodec_send_frame(s.codec, frame) < 0) return e.fail("encoding failed");
    return drain(e, s);
}

bool encode_picture(Encoding& e, const RgbPicture& picture, int n) {
    AVFrame* f = e.frame;
    av_frame_unref(f);
    f->format = AV_PIX_FMT_YUV420P;
    f->width = e.video.codec->width;
    f->height = e.video.codec->height;
    if (av_frame_get_buffer(f, 0) < 0) return e.fail("out of memory");
    const uint8_t* source[1] = {picture.rgb.data()};
    const int stride[1] = {picture.width * 3};
    sws_scale(e.sws, source, stride, 0, picture.height, f->data, f->linesize);
    f->pts = n;
    return encode(e, e.video, f);
}

// Sound frames [from, to) of the interleaved input as the encoder's planar floats; zeros past
// the end of the input.
bool encode_sound(Encoding& e, std::span<const int16_t> sound, int64_t from, int64_t to) {
    AVFrame* f = e.frame;
    av_frame_unref(f);
    f->format = AV_SAMPLE_FMT_FLTP;
    f->nb_samples = int(to - from);
    f->sample_rate = k_sound_rate;
    if (av_channel_layout_copy(&f->ch_layout, &e.audio.codec->ch_layout) < 0 ||
        av_frame_get_buffer(f, 0) < 0)
        return e.fail("out of memory");
    const auto frames = int64_t(sound.size() / 2);
    for (int channel = 0; channel < 2; ++channel) {
        auto* out = reinterpret_cast<float*>(f->data[channel]);
        for (int64_t i = from; i < to; ++i)
            out[i - from] = i < frames ? sound[size_t(2 * i + channel)] / 32768.0f : 0.0f;
    }
    f->pts = from;
    return encode(e, e.audio, f);
}

// Sound up to frame `until` of the input, in the encoder's frame size; the rest at the end.
bool encode_sound_until(Encoding& e, std::span<const int16_t> sound, int64_t& done, int64_t until,
                        bool last) {
    const int64_t step = e.audio.codec->frame_size > 0 ? e.audio.codec->frame_size : 1024;
    while (done + step <= until || (last && done < until)) {
        const int64_t to = std::min(done + step, until);
        if (!encode_sound(e, sound, done, to)) return false;
        done = to;
    }
    return true;
}

bool finish(Encoding& e) {
    if (e.video.codec && !encode(e, e.video, nullptr)) return false;
    if (e.audio.codec && !encode(e, e.audio, nullptr)) return false;
    if (av_write_trailer(e.format) < 0) return e.fail("cannot finish the file");
    avio_closep(&e.format->pb);
    return true;
}

bool read_back(Encoding& e, std::vector<uint8_t>& out) {
    std::ifstream in(e.path, std::ios::binary);
    out.assign(std::istreambuf_iterator<char>(in), {});
    return in || in.eof() ? true : e.fail("cannot read back " + e.path);
}

// The index goes in front of the data, so a film cut short still plays up to the cut.
bool write_header(Encoding& e) {
    AVDictionary* options = nullptr;
    av_dict_set(&options, "movflags", "+faststart", 0);
    const int r = avformat_write_header(e.format, &options);
    av_dict_free(&options);
    return r >= 0 ? true : e.fail("cannot write the header");
}

} // namespace

bool write_film(const FilmOptions& o, const FilmPainter& paint, std::span<const int16_t> sound,
                std::vector<uint8_t>& out, std::string& error) {
    Encoding e;
    if (o.width < 16 || o.height < 16 || o.width % 2 || o.height % 2 || o.rate < 1 || o.frames < 1)
        return (error = "a film needs an even size of 16x16 or more, a rate and frames"), false;
    const bool has_sound = !sound.empty();
    if (!open_container(e) || !add_video(e, o) || (has_sound && !add_audio(e, o)) ||
        !write_header(e)) {
        error = e.error;
        return false;
    }
    // Sound is fed along with the pictures, so that the container interleaves them closely.
    const int64_t sound_frames = int64_t(o.frames) * k_sound_rate / o.rate;
    int64_t sound_done = 0;
    RgbPicture picture{o.width, o.height, std::vector<uint8_t>(size_t(o.width) * o.height * 3)};
    for (int n = 0; n < o.frames; ++n) {
        paint(n, picture);
        if (!encode_picture(e, picture, n) ||
            (has_sound && !encode_sound_until(e, sound, sound_done,
                                              int64_t(n + 1) * k_sound_rate / o.rate, false))) {
            error = e.error;
            return false;
        }
    }
    if ((has_sound && !encode_sound_until(e, sound, sound_done, sound_frames, true)) ||
        !finish(e) || !read_back(e, out)) {
        error = e.error;
        return false;
    }
    return true;
}

bool write_sound_only_film(std::span<const int16_t> sound, std::vector<uint8_t>& out,
                           std::string& error) {
    Encoding e;
    const FilmOptions o;
    int64_t done = 0;
    if (!open_container(e) || !add_audio(e, o) || !write_header(e) ||
        !encode_sound_until(e, sound, done, int64_t(sound.size() / 2), true) || !finish(e) ||
        !read_back(e, out)) {
        error = e.error;
        return false;
    }
    return true;
}

std::string film_encoder_name(FilmCodec codec) {
    const AVCodec* c = video_encoder(codec);
    return c ? c->name : "";
}
