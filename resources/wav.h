// Wave files as the sound loader reads them: a 44-byte header with "RIFF" at byte 0, channels
// (16-bit) at 22, the sample rate (32-bit) at 24, bits per sample (16-bit) at 34, which must be 8
// or 16, and the data size (32-bit) at 40; the samples follow the header directly.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

inline constexpr size_t k_wav_header_bytes = 44;

struct WavInfo {
    uint16_t channels = 1;
    uint32_t sample_rate = 22050;
    uint16_t bits = 16;
    uint32_t data_size = 0;
};

// The header and the samples it announces. A data size larger than the file is cut to the
// samples the file holds. False for a short file, a missing "RIFF" or other bit depths.
bool read_wav(std::span<const uint8_t> file, WavInfo& info, std::span<const uint8_t>& samples);

// A canonical 44-byte-header PCM file (data size = samples.size()).
std::vector<uint8_t> encode_wav(const WavInfo& info, std::span<const uint8_t> samples);
