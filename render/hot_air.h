// The hot-air shimmer: a small ripple simulation whose slopes shift pixels of the finished frame
// sideways inside a few screen areas above fires. The ripple runs on in every frame, across
// scenes; the areas belong to the scene.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "platform/surface.h"

struct Random;

inline constexpr int k_ripple_columns = 24;
inline constexpr int k_ripple_rows = 32;
inline constexpr int k_ripple_cells = k_ripple_columns * k_ripple_rows;
inline constexpr int k_shimmer_region_count = 8;
// A region's area: 24 pixels wide, 30 high, from its top-left corner.
inline constexpr int k_shimmer_width = 24;
inline constexpr int k_shimmer_height = 30;

struct ShimmerRegion {
    int32_t lifetime = 0; // -1 shimmers until the scene changes; 0 off
    int32_t x = 0, y = 0; // top-left corner on the screen
};

using RippleGrid = std::array<uint32_t, k_ripple_cells>;

struct HotAirState {
    // Height fields, 24 cells a row; each cell holds two 16-bit halves that ripple side by side.
    RippleGrid current{}, previous{}, spare{};
    std::array<ShimmerRegion, k_shimmer_region_count> shimmer_regions{};
};

// One ripple step over the inner cells: spare = (sum of the 8 neighbours in current) / 4 -
// previous, the sum and the shift on whole 32-bit cells and the subtraction on each 16-bit half,
// stopping at 0.
void ripple_step(const RippleGrid& current, const RippleGrid& previous, RippleGrid& spare);

// One frame: a random drop now and then, the ripple, the displacement of every region's pixels
// on the locked back buffer (source pixels of colour 0 are not copied; sources off the screen
// are skipped), then the grids rotate.
void hot_air_step(HotAirState& state, Random& random, uint8_t* frame, int pitch,
                  int bytes_per_pixel);

// The same on a surface, which is locked for the copies.
void hot_air_step(HotAirState& state, Random& random, Surface& back_buffer);
