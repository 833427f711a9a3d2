#include "platform/music_reader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/mathematics.h>
#include <libswresample/swresample.h>
}

#include "platform/media_input.h"
#include "platform/mixer.h"

namespace {

constexpr int k_min_rate = 1000, k_max_rate = 384000;
constexpr int k_max_channels = 8;
// A decoded frame larger than this is damage, not music.
constexpr int k_max_frame_out = 1 << 20;
// Steps of the decoder (packets read, frames taken) without any sound coming out, after which
// the file counts as ended: a damaged file never keeps a read going.
constexpr int k_max_idle_steps = 100000;

bool rate_ok(int rate) {
    return rate >= k_min_rate && rate <= k_max_rate;
}

bool channels_ok(int channels) {
    return channels >= 1 && channels <= k_max_channels;
}

} // namespace

struct MusicReader {
    MediaSource source;
    AVIOContext* io = nullptr;
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    SwrContext* swr = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;
    int stream = -1;
    int out_channels = 0; // 1 for a mono file (doubled when read), else 2
    AVSampleFormat in_format = AV_SAMPLE_FMT_NONE;
    int in_rate = 0, in_channels = 0;
    uint64_t length = 0;
    std::vector<int16_t> pending; // decoded stereo samples not yet read
    size_t pending_at = 0;
    bool flushing = false; // the demuxer has ended; the decoder gives what it holds
    bool ended = false;

    ~MusicReader();
};

namespace {

void close_decoder(MusicReader& r) {
    av_frame_free(&r.frame);
    av_packet_free(&r.packet);
    swr_free(&r.swr);
    avcodec_free_context(&r.codec);
    media_container_close(r.io, r.format);
    r.stream = -1;
}

uint64_t announced_length(const AVFormatContext& format, const AVStream& st) {
    int64_t frames = 0;
    if (st.duration != AV_NOPTS_VALUE && st.duration > 0)
        frames = av_rescale_q(st.duration, st.time_base, AVRational{1, k_mixer_rate});
    else if (format.duration != AV_NOPTS_VALUE && format.duration > 0)
        frames = av_rescale(format.duration, k_mixer_rate, AV_TIME_BASE);
    return frames > 0 ? uint64_t(frames) : 0;
}

bool open_converter(MusicReader& r) {
    AVChannelLayout in{}, out{};
    if (r.codec->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC ||
        av_channel_layout_copy(&in, &r.codec->ch_layout) < 0)
        av_channel_layout_default(&in, r.in_channels);
    av_channel_layout_default(&out, r.out_channels);
    const bool ok = swr_alloc_set_opts2(&r.swr, &out, AV_SAMPLE_FMT_S16, k_mixer_rate, &in,
                                        r.in_format, r.in_rate, 0, nullptr) >= 0 &&
                    swr_init(r.swr) >= 0;
    av_channel_layout_uninit(&in);
    return ok;
}

// Container, stream and decoder, reading the source from where it stands.
bool open_decoder(MusicReader& r) {
    if (!media_container_open(r.source, 0, r.io, r.format)) return false;
    const AVCodec* decoder = nullptr;
    r.stream = av_find_best_stream(r.format, AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
    if (r.stream < 0 || !decoder) return false;
    for (unsigned i = 0; i < r.format->nb_streams; ++i)
        if (int(i) != r.stream) r.format->streams[i]->discard = AVDISCARD_ALL;
    const AVStream& st = *r.format->streams[r.stream];
    if (!channels_ok(st.codecpar->ch_layout.nb_channels) || !rate_ok(st.codecpar->sample_rate))
        return false;
    r.codec = avcodec_alloc_context3(decoder);
    if (!r.codec || avcodec_parameters_to_context(r.codec, st.codecpar) < 0) return false;
    r.codec->thread_count = 1; // decoded the same way on every run
    if (avcodec_open2(r.codec, decoder, nullptr) < 0) return false;
    r.in_channels = r.codec->ch_layout.nb_channels;
    r.in_rate = r.codec->sample_rate;
    r.in_format = r.codec->sample_fmt;
    if (!channels_ok(r.in_channels) || !rate_ok(r.in_rate) || r.in_format == AV_SAMPLE_FMT_NONE)
        return false;
    r.out_channels = r.in_channels == 1 ? 1 : 2;
    if (!open_converter(r)) return false;
    r.length = announced_length(*r.format, st);
    r.packet = av_packet_alloc();
    r.frame = av_frame_alloc();
    return r.packet && r.frame;
}

// Converted output into `pending`, a mono file doubled to both channels.
bool append_converted(MusicReader& r, const uint8_t** in, int in_frames) {
    const int most = swr_get_out_samples(r.swr, in_frames);
    if (most < 0 || most > k_max_frame_out) return false;
    if (most == 0) return true;
    std::vector<int16_t> out(size_t(most) * size_t(r.out_channels));
    auto* out_bytes = reinterpret_cast<uint8_t*>(out.data());
    const int got = swr_convert(r.swr, &out_bytes, most, in, in_frames);
    if (got < 0) return false;
    for (size_t i = 0; i < size_t(got); ++i) {
        const int16_t left = out[i * size_t(r.out_channels)];
        r.pending.push_back(left);
        r.pending.push_back(r.out_channels == 2 ? out[i * 2 + 1] : left);
    }
    return true;
}

bool convert_frame(MusicReader& r, const AVFrame& f) {
    // A stream whose format changes on the way is not one the converter was made for.
    if (f.sample_rate != r.in_rate || f.ch_layout.nb_channels != r.in_channels ||
        f.format != r.in_format || f.nb_samples < 0)
        return false;
    return append_converted(r, const_cast<const uint8_t**>(f.extended_data), f.nb_samples);
}

// Decode until some sound is pending. False at the end of the file or at damage.
bool decode_some(MusicReader& r) {
    for (int step = 0; step < k_max_idle_steps; ++step) {
        const int got = avcodec_receive_frame(r.codec, r.frame);
        if (got == 0) {
            const bool ok = convert_frame(r, *r.frame);
            av_frame_unref(r.frame);
            if (!ok) return false;
            if (!r.pending.empty()) return true;
            continue;
        }
        if (got == AVERROR_EOF) {
            // What the converter still holds, once.
            append_converted(r, nullptr, 0);
            return !r.pending.empty();
        }
        if (got != AVERROR(EAGAIN) || r.flushing) return false;
        if (av_read_frame(r.format, r.packet) < 0) {
            r.flushing = true;
            avcodec_send_packet(r.codec, nullptr);
            continue;
        }
        if (r.packet->stream_index == r.stream) {
            // A packet the decoder refuses is skipped; the next one may decode.
            avcodec_send_packet(r.codec, r.packet);
        }
        av_packet_unref(r.packet);
    }
    return false;
}

MusicReaderPtr open_source(MediaSource source) {
    MusicReaderPtr r(new MusicReader);
    r->source = source;
    if (!open_decoder(*r)) return nullptr;
    return r;
}

} // namespace

MusicReader::~MusicReader() {
    close_decoder(*this);
    media_source_close(source);
}

void MusicReaderClose::operator()(MusicReader* reader) const {
    delete reader;
}

MusicReaderPtr music_reader_open(std::string_view path) {
    MediaSource s;
    if (!media_source_open_file(path, s)) return nullptr;
    return open_source(s); // the reader owns the file from here, also when opening fails
}

MusicReaderPtr music_reader_open_memory(std::span<const uint8_t> bytes) {
    return open_source(media_source_memory(bytes));
}

uint64_t music_reader_length(const MusicReader& reader) {
    return reader.length;
}

size_t music_reader_read(MusicReader& r, int16_t* out, size_t frames) {
    size_t done = 0;
    while (done < frames) {
        if (r.pending_at < r.pending.size()) {
            const size_t n = std::min(frames - done, (r.pending.size() - r.pending_at) / 2);
            std::copy_n(r.pending.begin() + long(r.pending_at), 2 * n, out + 2 * done);
            r.pending_at += 2 * n;
            done += n;
            continue;
        }
        r.pending.clear();
        r.pending_at = 0;
        if (r.ended || !decode_some(r)) {
            r.ended = true;
            break;
        }
    }
    return done;
}

bool music_reader_rewind(MusicReader& r) {
    r.pending.clear();
    r.pending_at = 0;
    r.flushing = false;
    r.ended = false;
    if (r.format && r.stream >= 0) {
        const AVStream& st = *r.format->streams[r.stream];
        const int64_t start = st.start_time != AV_NOPTS_VALUE ? st.start_time : 0;
        if (av_seek_frame(r.format, r.stream, start, AVSEEK_FLAG_BACKWARD) >= 0) {
            avcodec_flush_buffers(r.codec);
            swr_free(&r.swr);
            if (open_converter(r)) return true;
        }
    }
    // The container cannot seek: read it again from its first byte.
    close_decoder(r);
    if (media_source_seek(r.source, 0, SEEK_SET) == 0 && open_decoder(r)) return true;
    r.ended = true;
    return false;
}
