// The demo's sound effects, synthesised: interface sounds, footsteps on each floor, ambient
// loops, doors, fire, the boar and a bird. 22,050 samples a second, 16-bit mono.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/demo/demo_output.h"

inline constexpr int k_sound_rate = 22050;

// Samples -1..1 into a wave file (clipped).
std::vector<uint8_t> wave_file(const std::vector<double>& samples);

void make_sounds(DemoOutput& out);
