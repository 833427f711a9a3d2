// A sound effect's wave file as the sound loader takes it: the 44-byte header rules of
// resources/wav.h, then only what the mixer can play.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

// The longest sound a slot takes; anything longer is refused rather than converted.
inline constexpr uint32_t k_max_sound_seconds = 300;

// The file's samples in the mixer's format. False for a short file, a header other than "RIFF",
// bits other than 8 or 16, channels other than 1 or 2, a rate outside 100..200,000, no whole
// frame of samples, or a sound longer than the limit. A data size beyond the file takes what the
// file holds; a partial frame at the end is dropped.
bool decode_wave_sound(std::span<const uint8_t> file, std::vector<int16_t>& stereo);
