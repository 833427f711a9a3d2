// The drawing stage of the render tests with the effects on it: the effect tables, a fire table,
// the shared quad buffer and small effect textures, flame frames and glow picture made in the
// test, and passes that draw the effect steps after the characters on either path.
#pragma once

#include <functional>
#include <memory>

#include "render/effect_context.h"
#include "render/effects.h"
#include "render/hot_air.h"
#include "render_harness.h"
#include "tools/common/png_image.h"

struct EffectStage {
    explicit EffectStage(DrawPath path, int bpp = 32);

    RenderHarness h;
    VertexBufferPtr quads;
    TexturePtr fire_texture, smoke_texture, glow_texture;
    std::unique_ptr<FireFrames> fire_frames = std::make_unique<FireFrames>();
    std::vector<uint16_t> glow_picture = std::vector<uint16_t>(64 * 64 * 4);
    std::unique_ptr<EffectTables> tables = std::make_unique<EffectTables>();
    FireTable fires{};
    HotAirState hot_air;
    bool shimmer = false; // run the hot-air step after each pass

    // One pass: the picture, then `before` (to add glows or spawn), then the effect steps.
    void pass(const std::function<void(EffectStage&)>& before = {});
    // What the player sees now.
    RgbImage shot() const;
    // The context the effect steps get within a pass.
    EffectContext context(RenderContext& render);

    // A floor point under screen point (x, y), lifted `up` units.
    Vec3 above_floor(int x, int y, float up) const;
    // Fire slot 0 burning at `base`, with its light and glow.
    SceneFire& light_fire(const Vec3& base);
};

// Pixels that differ between two pictures, and the box around them (empty: none differ).
struct PictureDifference {
    int count = 0;
    int left = 640, top = 480, right = -1, bottom = -1;
};
PictureDifference picture_difference(const RgbImage& a, const RgbImage& b);
