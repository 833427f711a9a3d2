// The effect operations scene scripts use: emitters that keep smoke or sparks coming from a
// point, glows, lights, the fires' burning, the wind, the hot-air areas and flying insects.
// Everything here belongs to the scene and is cleared when it changes.
#pragma once

#include <array>
#include <cstdint>

#include "render/smoke.h"
#include "resources/scene_math.h"

struct Game;

enum class EmitterKind : int32_t {
    smoke,  // spawn_smoke
    puff,   // spawn_puff
    drift,  // spawn_drift
    pulse,  // spawn_pulse
    sparks, // spawn_sparks
};

// A source the scene keeps going: each pass it spawns one entry with probability `chance`.
struct Emitter {
    int32_t active = 0;
    EmitterKind kind = EmitterKind::smoke;
    Vec3 point;
    float chance = 1;
    float size = 1;
    float size_step = 0;                    // puff and drift
    float x_amplitude = 0, z_amplitude = 0; // pulse
    int32_t pulse = 0;                      // pulse
    SmokeLook look;
};

inline constexpr int k_emitter_count = 8;

struct SceneEmitters {
    std::array<Emitter, k_emitter_count> emitters{};
};

// Start emitter `slot` (0..7) with the given source, replacing what it held; stop it.
void start_emitter(Game& game, int slot, const Emitter& emitter);
void stop_emitter(Game& game, int slot);
// Called by a scene's logic every pass: the active emitters spawn.
void run_emitters(Game& game);

// A glow at a world point for this pass (glow modes of render/glows.h).
void show_glow(Game& game, const Vec3& point, uint32_t colour, int32_t mode, int32_t jitter = 0);
// A point light for `lifetime` passes (-1: until the scene changes).
void add_scene_light(Game& game, int32_t lifetime, const Vec3& point, float range, uint32_t colour);
// Light or put out fire `slot` of the scene description (-1: burns for ever; 0: out).
void set_fire_lifetime(Game& game, int slot, int32_t lifetime);
// A fresh random wind of the given strength for the smoke; 0 calms it.
void set_wind(Game& game, float amplitude);

// A shimmering area with its top-left corner at (x, y); returns its number, or -1 when all
// eight are in use. stop_shimmer(n) ends it.
int start_shimmer(Game& game, int x, int y);
void stop_shimmer(Game& game, int n);
// The area over the flames of fire `slot`: centred on its base, its lowest rows (which shimmer
// only at the sides) around the flames' top. -1 when the fire does not burn or is not on screen.
int start_shimmer_over_fire(Game& game, int slot);

// `count` insects circling `centre` at the distance `orbit`, each with its own random phase
// speeds up to `speed`; with `glowing` they are fireflies with a glow of `glow_colour`.
void release_insects(Game& game, int count, const Vec3& centre, const Vec3& orbit, float speed,
                     float scale, uint32_t tint, int32_t glowing, uint32_t glow_colour);
void clear_insects(Game& game);
