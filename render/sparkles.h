// Sparkles: single glowing points that drift and fade out, byte by byte.
#pragma once

#include <array>
#include <cstdint>

#include "resources/scene_math.h"

struct EffectContext;

inline constexpr int k_sparkle_count = 256;

struct Sparkle {
    int32_t lifetime = 0; // frames; 0 free (a negative lifetime keeps counting down)
    uint32_t colour = 0;  // 0x00RRGGBB
    uint32_t fade = 0;    // taken from the colour byte by byte each frame, stopping at 0
    Vec3 position, velocity, acceleration;
};

using SparkleTable = std::array<Sparkle, k_sparkle_count>;

// The first free entry, or null when the table is full.
Sparkle* add_sparkle(SparkleTable& table, int32_t lifetime, uint32_t colour, uint32_t fade,
                     const Vec3& position, const Vec3& velocity, const Vec3& acceleration);

// One frame of every live sparkle: it fades, is drawn as one point added to the screen where
// the scene is not nearer (on the software path only on a 32-bit display), then moves on.
void draw_sparkles(EffectContext& ctx, SparkleTable& table);

// Each byte of `colour` less the same byte of `fade`, stopping at 0.
uint32_t subtract_bytes(uint32_t colour, uint32_t fade);
// Each byte of a + b, stopping at 255.
uint32_t add_bytes(uint32_t a, uint32_t b);
