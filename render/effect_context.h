// What the effect steps draw with: the character drawing's context (camera, lights, the 3D device
// or the software targets, the dirty-rectangle list), the random source, and the effect textures,
// quad buffer and software pictures shared by every scene.
#pragma once

#include <span>

#include "platform/device3d.h"
#include "render/render_state.h"
#include "resources/picture.h"

struct Random;

struct EffectContext {
    RenderContext& render;
    Random& random;

    // The 3D device path: the shared 512-quad buffer, the effect textures and the depth buffer
    // the glows of mode 1 look into.
    VertexBuffer* quads = nullptr;
    TexturePtr smoke_texture, fire_texture, glow_texture;
    Surface* depth = nullptr;
    int depth_bits = 0;
    uint32_t depth_mask = 0;

    // The software path: the pre-scaled flame frames and the 64x64 glow picture (four 16-bit
    // words a pixel: blue, green, red, 0).
    const FireFrames* fire_frames = nullptr;
    std::span<const uint16_t> glow_picture;

    bool on_device() const { return render.device != nullptr; }
};

// A fresh random value in 0..1.
float random_unit(Random& random);
// (r1 - r2) / divisor for two fresh random integers: a spread over -32767 / divisor ..
// 32767 / divisor with most weight near 0.
float random_spread(Random& random, float divisor);
