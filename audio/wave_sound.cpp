#include "audio/wave_sound.h"

#include "platform/sound_convert.h"
#include "resources/wav.h"

namespace {

// The rates a sound buffer of the game's sound system accepted.
constexpr uint32_t k_min_rate = 100, k_max_rate = 200000;

} // namespace

bool decode_wave_sound(std::span<const uint8_t> file, std::vector<int16_t>& stereo) {
    WavInfo info;
    std::span<const uint8_t> samples;
    if (!read_wav(file, info, samples)) return false;
    if ((info.channels != 1 && info.channels != 2) || info.sample_rate < k_min_rate ||
        info.sample_rate > k_max_rate)
        return false;
    const size_t block = size_t(info.bits / 8) * info.channels;
    const uint64_t frames = samples.size() / block;
    if (frames == 0 || frames > uint64_t{k_max_sound_seconds} * info.sample_rate) return false;
    const PcmFormat format{info.channels, static_cast<int>(info.sample_rate), info.bits};
    return convert_to_mixer_format(format, samples.first(size_t(frames) * block), stereo);
}
