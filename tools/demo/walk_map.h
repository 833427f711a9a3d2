// The walk map of a rendered scene: 320x240 cells of 2x2 pixels. 0 where a character can stand
// on the pictured floor, 255 on walls, obstacles, foreign floors and the sky (the path finder's
// straight lines stop there too), and 1 on floor that is too close to an obstacle or a drop to
// stand on but may be crossed by a straight walk.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "tools/demo/renderer.h"
#include "tools/demo/tracer.h"

inline constexpr uint8_t k_walk_free = 0;
inline constexpr uint8_t k_walk_margin = 1;
inline constexpr uint8_t k_walk_wall = 255;

struct WalkRules {
    double clearance = 2.5; // kept free around obstacles, world units
    // Floor points where characters may go; null: all floor.
    std::function<bool(const V3d&)> region;
    double cliff = 1.2;  // height step between neighbouring cells that separates two levels
    int min_island = 60; // walkable areas of fewer cells are dropped
};

// `geometry` is a render of the scene's background (at least its pixel information);
// `obstacles` are the solid shapes characters must keep away from.
std::vector<uint8_t> build_walk_map(const RenderResult& geometry,
                                    const std::vector<Shape>& obstacles, const WalkRules& rules);

// Solid shapes of a tracer flagged as obstacles, plus extra walk-only volumes.
std::vector<Shape> collect_obstacles(const Tracer& tracer, const std::vector<Shape>& extra);
