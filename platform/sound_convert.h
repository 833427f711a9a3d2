// Sound samples of any rate, 8 or 16 bits, mono or stereo, converted once into the mixer's
// format (44.1 kHz stereo 16-bit) through libswresample. A mono sound goes to both channels at
// its own level.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

struct PcmFormat {
    int channels = 1;    // 1 or 2, interleaved
    int sample_rate = 0; // frames a second
    int bits = 16;       // 8 (unsigned) or 16 (signed, little-endian)
};

// False, `stereo` untouched, for another format, no whole frame, or more frames than the mixer
// could hold. A partial frame at the end is dropped.
bool convert_to_mixer_format(const PcmFormat& format, std::span<const uint8_t> samples,
                             std::vector<int16_t>& stereo);
