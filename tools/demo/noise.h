// Procedural noise for materials, terrain and textures: gradient noise, its fractal sums and a
// cellular (Worley) pattern. Pure functions of the position and a seed.
#pragma once

#include <cstdint>

#include "tools/demo/vec.h"

// Gradient noise in about -1..1.
double noise3(double x, double y, double z, uint32_t seed);
double noise2(double x, double y, uint32_t seed);

// Sum of `octaves` noise layers, each twice the frequency and `gain` times the amplitude of the
// previous one; normalised to about -1..1.
double fbm3(const V3d& p, int octaves, uint32_t seed, double gain = 0.5);
double fbm2(double x, double y, int octaves, uint32_t seed, double gain = 0.5);

// Distances to the nearest and second-nearest feature point of a jittered grid (cell size 1).
struct CellularResult {
    double f1 = 0, f2 = 0;
    uint32_t id = 0; // hash of the nearest cell, for per-cell colour
};
CellularResult cellular3(const V3d& p, uint32_t seed);
CellularResult cellular2(double x, double y, uint32_t seed);
