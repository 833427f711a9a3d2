// Sparks: points thrown upwards that fall back under gravity, drawn as a short line through the
// last positions they passed.
#pragma once

#include <array>
#include <cstdint>

#include "resources/scene_math.h"

struct EffectContext;
struct Random;

inline constexpr int k_spark_trail_count = 256;

struct SparkTrail {
    int32_t lifetime = 0; // frames; 0 free
    Vec3 position, velocity;
    float gravity = 0;           // added to velocity.y every frame
    std::array<Vec3, 4> trail{}; // the four previous positions, newest first
};

using SparkTrailTable = std::array<SparkTrail, k_spark_trail_count>;

// A spark from `point`, thrown up and a little sideways, for 48 frames. None free: nothing.
SparkTrail* spawn_sparks(SparkTrailTable& table, Random& random, const Vec3& point);

// One frame of every live spark: its line drawn (additively on the device, hidden behind nearer
// scenery on both paths), then it moves on.
void draw_spark_trails(EffectContext& ctx, SparkTrailTable& table);
