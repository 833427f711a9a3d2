// Glows: a 64x64 halo of light added over a point for one frame. Their owners (fires, flying
// objects, scene scripts) add them again every frame they should show.
#pragma once

#include <array>
#include <cstdint>

#include "resources/scene_math.h"

struct EffectContext;

inline constexpr int k_glow_count = 32;

// How a glow hides behind the scene.
enum GlowMode : int32_t {
    k_glow_never = 0,      // never drawn
    k_glow_if_visible = 1, // drawn whole when its point shows, not at all when it is hidden
    k_glow_per_pixel = 2,  // always drawn; with a 3D device hidden pixel by pixel behind scenery
    k_glow_always = 3,     // always drawn, shows through everything
};

struct Glow {
    Vec3 position;
    int32_t in_use = 0;
    int32_t jitter = 0; // nonzero: the halo trembles by up to 4 pixels each frame
    uint32_t colour = 0;
    int32_t mode = 0;
};

using GlowTable = std::array<Glow, k_glow_count>;

// The first free entry for this frame; a full table drops the glow.
void add_glow(GlowTable& table, const Vec3& position, uint32_t colour, int32_t jitter,
              int32_t mode);

// Draw every glow in use and free it. On the device the halo is the shade texture added over the
// screen; on the software path the glow picture is added into the frame picture (no depth test
// for any mode) and its square handed to the dirty-rectangle list.
void draw_glows(EffectContext& ctx, GlowTable& table);
