// Shared by the sound tests: wave files made by the format writer, written into the test's own
// working directory, and the headless machine's clock moved on so its mixer runs.
#pragma once

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/headless/headless_platform.h"
#include "resources/wav.h"

// A wave file of `frames` frames, each channel's sample given by `sample(frame, channel)`.
template <typename Sample>
std::vector<uint8_t> make_wave(int channels, uint32_t rate, int bits, int frames, Sample sample) {
    std::vector<uint8_t> data;
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c) {
            const int v = sample(i, c);
            if (bits == 8) {
                data.push_back(static_cast<uint8_t>(v));
            } else {
                data.push_back(static_cast<uint8_t>(v & 0xFF));
                data.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
            }
        }
    WavInfo info;
    info.channels = static_cast<uint16_t>(channels);
    info.sample_rate = rate;
    info.bits = static_cast<uint16_t>(bits);
    return encode_wav(info, data);
}

// 16-bit mono at 44.1 kHz, every sample `value`.
inline std::vector<uint8_t> flat_wave(int frames, int value) {
    return make_wave(1, 44100, 16, frames, [value](int, int) { return value; });
}

inline void write_file(const std::string& path, const std::vector<uint8_t>& bytes) {
    const auto slash = path.rfind('/');
    if (slash != std::string::npos) std::filesystem::create_directories(path.substr(0, slash));
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// Move the virtual clock on by `ms`; the mixer mixes that much.
inline void run_ms(uint32_t ms) {
    sys_wait_until(sys_milliseconds() + ms);
}

inline double rms(const std::vector<int16_t>& stereo, size_t first_frame, size_t frames,
                  int channel) {
    double sum = 0;
    size_t n = 0;
    for (size_t i = first_frame; i < first_frame + frames && 2 * i + 1 < stereo.size(); ++i, ++n)
        sum += double(stereo[2 * i + size_t(channel)]) * stereo[2 * i + size_t(channel)];
    return n ? std::sqrt(sum / double(n)) : 0;
}
