// Smoke and dust: camera-facing textured quads that rise, grow and change colour over their
// life. Drawn only with a 3D device; without one they still age and die on time, unseen.
#pragma once

#include <array>
#include <cstdint>

#include "resources/scene_math.h"

struct EffectContext;
struct Random;

inline constexpr int k_smoke_count = 256;

struct SmokeParticle {
    int32_t lifetime = 0; // frames left; -1 endless; 0 free
    float age = 0;        // the time parameter t, +0.03 a frame
    // Blue, green, red, alpha in 8.8 fixed point; the drawn colour is the high byte of each.
    std::array<uint16_t, 4> colour{};
    std::array<int16_t, 4> colour_step{}; // added while fade_frames runs (16-bit wrap-around)
    int32_t fade_frames = 0;              // frames of colour change left
    int32_t fade_reload = 0;              // what fade_frames restarts from in pulse mode
    int32_t pulse = 0;                    // nonzero: the change reverses each time it runs out
    int32_t blend = 0;                    // 0..5, see draw_smoke_particles
    Vec3 origin, velocity, acceleration;
    float size = 0; // billboard half-size
    float size_step = 0;
};

using SmokeTable = std::array<SmokeParticle, k_smoke_count>;

// The colour course and blending every smoke spawner takes. Colours are 0xAARRGGBB; the change
// from start to end takes `frames` frames (0 or less: the colour stays at the start).
struct SmokeLook {
    int32_t blend = 0;
    uint32_t start_colour = 0;
    uint32_t end_colour = 0;
    int32_t frames = 0;
};

// Each takes the first free entry (none free: nothing happens) and returns it, or null.
// Rising smoke, spread over one unit around the point, growing by itself.
SmokeParticle* spawn_smoke(SmokeTable& table, Random& random, const Vec3& point, float size,
                           const SmokeLook& look);
// A puff that rises quickly, spread over half a unit, growing by `size_step`.
SmokeParticle* spawn_puff(SmokeTable& table, Random& random, const Vec3& point, float size,
                          float size_step, const SmokeLook& look);
// Smoke blown sideways along +x.
SmokeParticle* spawn_drift(SmokeTable& table, Random& random, const Vec3& point, float size,
                           float size_step, const SmokeLook& look);
// A slow glow that hardly moves, spread over x_amplitude and z_amplitude; with `pulse` its
// colour swings between start and end for as long as it lives.
SmokeParticle* spawn_pulse(SmokeTable& table, Random& random, const Vec3& point, float size,
                           float x_amplitude, float z_amplitude, int32_t pulse,
                           const SmokeLook& look);

// Each component (r1 - r2) / 65534 x amplitude.
Vec3 random_wind(Random& random, float amplitude);

// One frame of every live particle: move, recolour, grow, and with a 3D device draw it into the
// quad batch. `wind` is added to every particle's acceleration.
//
// Blend modes (source / destination factor): 0 one / inverse source colour; 1 inverse source
// alpha / inverse source colour; 2 inverse destination colour / inverse source colour; 3 as 1
// with the alpha taken from the particle's colour rather than the texture; 4 one / one; 5 one /
// source colour. Consecutive quads of one mode are drawn with one call.
void draw_smoke_particles(EffectContext& ctx, SmokeTable& table, const Vec3& wind);

// Where and how a particle is drawn in one frame.
struct SmokeFrame {
    Vec3 position;
    float size = 0;
    uint32_t colour = 0; // 0xAARRGGBB
};

// One frame of a live particle's motion, colour course and life, without drawing (the drawing
// step runs it for every particle). Returns what is drawn this frame.
SmokeFrame step_smoke_particle(SmokeParticle& p, const Vec3& wind);
