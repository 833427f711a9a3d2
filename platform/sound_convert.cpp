#include "platform/sound_convert.h"

#include <algorithm>
#include <bit>
#include <climits>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/mathematics.h>
#include <libswresample/swresample.h>
}

#include "platform/mixer.h"

static_assert(std::endian::native == std::endian::little, "16-bit samples are taken as they lie");

namespace {

// Mixer buffers count their frames in 32 bits, and the converter in a signed int.
constexpr int64_t k_max_frames = INT_MAX / 4;

// The converter for one sound, freed on every path out.
struct Converter {
    SwrContext* swr = nullptr;
    ~Converter() { swr_free(&swr); }
};

} // namespace

bool convert_to_mixer_format(const PcmFormat& format, std::span<const uint8_t> samples,
                             std::vector<int16_t>& stereo) {
    if ((format.bits != 8 && format.bits != 16) || (format.channels != 1 && format.channels != 2) ||
        format.sample_rate <= 0)
        return false;
    const size_t block = size_t(format.bits / 8) * size_t(format.channels);
    const int64_t frames = int64_t(samples.size() / block);
    const int64_t most_out =
        av_rescale_rnd(frames, k_mixer_rate, format.sample_rate, AV_ROUND_UP) + 256;
    if (frames == 0 || frames > k_max_frames || most_out > k_max_frames) return false;

    AVChannelLayout layout;
    av_channel_layout_default(&layout, format.channels);
    Converter c;
    const AVSampleFormat in_format = format.bits == 8 ? AV_SAMPLE_FMT_U8 : AV_SAMPLE_FMT_S16;
    if (swr_alloc_set_opts2(&c.swr, &layout, AV_SAMPLE_FMT_S16, k_mixer_rate, &layout, in_format,
                            format.sample_rate, 0, nullptr) < 0 ||
        swr_init(c.swr) < 0)
        return false;

    // Converted with the sound's own channel count; a mono sound is doubled afterwards, so it
    // keeps its level instead of being spread at -3 dB.
    std::vector<int16_t> converted(size_t(most_out) * size_t(format.channels));
    uint8_t* out = reinterpret_cast<uint8_t*>(converted.data());
    const uint8_t* in = samples.data();
    const int got = swr_convert(c.swr, &out, int(most_out), &in, int(frames));
    if (got < 0) return false;
    uint8_t* tail = out + size_t(got) * 2 * size_t(format.channels);
    const int flushed = swr_convert(c.swr, &tail, int(most_out) - got, nullptr, 0);
    const size_t total = size_t(got) + size_t(flushed > 0 ? flushed : 0);
    if (total == 0) return false;

    stereo.resize(total * 2);
    if (format.channels == 2) {
        std::copy_n(converted.begin(), total * 2, stereo.begin());
    } else {
        for (size_t i = 0; i < total; ++i) stereo[2 * i] = stereo[2 * i + 1] = converted[i];
    }
    return true;
}
