// Reusable pieces of scenery for the demo scenes: trees, bushes, rocks, toadstools. Each takes
// the point where it meets the ground (y grows downwards, so heights are subtracted).
#pragma once

#include <cstdint>

#include "tools/demo/scene_builder.h"

struct ForestPalette {
    uint16_t bark = 0, leaves = 0, leaves_dark = 0, rock = 0, moss_rock = 0;
    uint16_t cap = 0, stem = 0, wood = 0, log = 0;
};

// Materials for woodland scenes, added to the builder.
ForestPalette forest_palette(SceneBuilder& b);

// A broadleaf tree: a slightly leaning trunk, two or three limbs and a crown of foliage blobs.
void tree(SceneBuilder& b, const ForestPalette& p, const V3d& base, double height, double trunk,
          double crown, uint32_t seed);
// A young tree whose crown hangs low enough to be seen in a picture of the forest floor.
void sapling(SceneBuilder& b, const ForestPalette& p, const V3d& base, double height, double crown,
             uint32_t seed);
void bush(SceneBuilder& b, const ForestPalette& p, const V3d& base, double radius, uint32_t seed,
          uint8_t flags = k_solid);
void rock(SceneBuilder& b, const ForestPalette& p, const V3d& base, const V3d& radii, uint32_t seed,
          uint8_t flags = k_solid);
// A fly agaric: a pale stem and a red cap with white spots.
void toadstool(SceneBuilder& b, const ForestPalette& p, const V3d& base, double height, double cap,
               uint8_t flags = k_solid);
// A sawn log lying on the ground from a to b.
void log_on_ground(SceneBuilder& b, const ForestPalette& p, const V3d& a, const V3d& c, double r);
