// Flying insects: each circles a centre on three swinging rotations, drawn with one shared fly
// actor (the model "models/fly.ani"), glowing additively if it is a firefly.
#pragma once

#include <array>
#include <cstdint>

#include "render/actor.h"
#include "render/glows.h"

struct EffectContext;
struct Random;

inline constexpr int k_flying_object_count = 32;

struct FlyingObject {
    int32_t in_use = 0;
    uint32_t tint = 0;
    int32_t glowing = 0;
    uint32_t glow_colour = 0;
    Vec3 position; // computed each frame
    int32_t paused = 0;
    float scale = 0;
    Vec3 centre, orbit, phase, phase_speed;
};

struct FlyingObjects {
    std::array<FlyingObject, k_flying_object_count> flying_objects{};
    float clock = 0; // +0.01 a frame
    // The shared actor every insect is drawn with; its model is loaded once at start-up.
    Actor fly;
};

// The first free entry; a full table drops the insect. The phases start at random in -1..1.
FlyingObject* add_flying_object(FlyingObjects& table, Random& random, const Vec3& centre,
                                const Vec3& orbit, const Vec3& phase_speed, float scale,
                                uint32_t tint, int32_t glowing, uint32_t glow_colour);

// Empty the table (the fly actor keeps its model).
void clear_flying_objects(FlyingObjects& table);

// The point an insect is at for its phases.
Vec3 flying_position(const FlyingObject& f);

// One frame: the fly's wings beat, every insect in use and not paused moves on its orbit and
// is drawn, a glowing one with a glow of its colour.
void update_flying_objects(EffectContext& ctx, FlyingObjects& table, GlowTable& glows);
