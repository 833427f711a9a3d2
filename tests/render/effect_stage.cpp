#include "effect_stage.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "render/quad_batch.h"
#include "tests/support/golden.h"

namespace {

HarnessOptions options(DrawPath path, int bpp) {
    HarnessOptions o;
    o.path = path;
    o.bpp = bpp;
    return o;
}

// A round spot of `colour` fading out from the centre, 0xRRGGBB at the centre.
uint32_t spot(float dx, float dy, uint32_t colour, float power) {
    const float v = std::pow(std::clamp(1 - std::hypot(dx, dy), 0.0f, 1.0f), power);
    uint32_t out = 0;
    for (int k = 0; k < 24; k += 8)
        out |= uint32_t(std::lround(float((colour >> k) & 0xFF) * v)) << k;
    return out;
}

// A flame-like spot: brightest low in the middle, narrowing upwards.
uint32_t flame(int x, int y, int side) {
    const float u = (x + 0.5f) / side * 2 - 1, v = (y + 0.5f) / side;
    return spot(u / (0.3f + 0.5f * v), (v - 0.65f) / 0.45f, 0xE07020, 1.2f);
}

TexturePtr make_texture(Device3D& d, const std::function<uint32_t(int, int)>& texel) {
    TexturePtr t;
    texture_create(d, 64, 64, k_texture_xrgb8888, t);
    LockedRect lock;
    texture_lock(*t, lock);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const uint32_t v = texel(x, y);
            std::memcpy(lock.bits + y * lock.pitch + x * 4, &v, 4);
        }
    texture_unlock(*t);
    return t;
}

float centred(int i, int n) {
    return (i + 0.5f) / n * 2 - 1;
}

} // namespace

EffectStage::EffectStage(DrawPath path, int bpp) : h(options(path, bpp)) {
    if (h.device != nullptr) {
        vertex_buffer_create(k_fvf_textured, 2048, quads);
        prepare_quad_buffer(*quads);
        fire_texture = make_texture(*h.device, [](int x, int y) { return flame(x, y, 64); });
        smoke_texture = make_texture(*h.device, [](int x, int y) {
            return spot(centred(x, 64), centred(y, 64), 0xB0B0B0, 1.0f);
        });
        glow_texture = make_texture(*h.device, [](int x, int y) {
            return spot(centred(x, 64), centred(y, 64), 0xFFFFFF, 1.5f);
        });
    }
    for (int n = 0; n < k_fire_frame_count; ++n) {
        const int side = 32 - 2 * n;
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x) {
                // The software frames carry the device's flame strength 0xA0.
                uint32_t c = flame(x, y, side), scaled = 0;
                for (int k = 0; k < 24; k += 8) scaled |= (((c >> k) & 0xFF) * 0xA0 / 0xFF) << k;
                std::memcpy(&fire_frames->bgra[(size_t(n) * 1024 + size_t(y * side + x)) * 4],
                            &scaled, 4);
            }
    }
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const uint32_t c = spot(centred(x, 64), centred(y, 64), 0xFFFFFF, 1.5f);
            for (int k = 0; k < 3; ++k)
                glow_picture[(size_t(y) * 64 + size_t(x)) * 4 + size_t(k)] =
                    uint16_t((c >> (8 * k)) & 0xFF);
        }
}

EffectContext EffectStage::context(RenderContext& render) {
    EffectContext ctx{render, h.random};
    if (render.device != nullptr) {
        ctx.quads = quads.get();
        ctx.smoke_texture = smoke_texture;
        ctx.fire_texture = fire_texture;
        ctx.glow_texture = glow_texture;
        ctx.depth = h.depth.get();
        ctx.depth_bits = 16;
        ctx.depth_mask = 0xFFFF;
    } else {
        ctx.fire_frames = fire_frames.get();
        ctx.glow_picture = glow_picture;
    }
    return ctx;
}

void EffectStage::pass(const std::function<void(EffectStage&)>& before) {
    h.begin_pass();
    h.effects = [&](RenderContext& render) {
        if (before) before(*this);
        EffectContext ctx = context(render);
        run_effect_steps(ctx, *tables, fires);
    };
    h.draw_pass(false);
    h.effects = nullptr;
    if (shimmer) hot_air_step(hot_air, h.random, *h.back_buffer);
}

RgbImage EffectStage::shot() const {
    return surface_to_rgb(*h.back_buffer);
}

Vec3 EffectStage::above_floor(int x, int y, float up) const {
    Vec3 p = h.floor_point(x, y);
    p.y -= up;
    return p;
}

SceneFire& EffectStage::light_fire(const Vec3& base) {
    SceneFire& f = fires[0];
    f.position = base;
    f.lifetime = -1;
    f.light = 1;
    f.glow = 1;
    // The stage is seen from far away: large flames for its scale.
    f.size = 2.6f;
    f.height = 0.9f;
    f.spread = 2.0f;
    return f;
}

PictureDifference picture_difference(const RgbImage& a, const RgbImage& b) {
    PictureDifference d;
    if (a.width != b.width || a.height != b.height) return {a.width * a.height, 0, 0, 0, 0};
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            const size_t i = (size_t(y) * size_t(a.width) + size_t(x)) * 3;
            if (std::equal(&a.rgb[i], &a.rgb[i] + 3, &b.rgb[i])) continue;
            ++d.count;
            d.left = std::min(d.left, x);
            d.right = std::max(d.right, x);
            d.top = std::min(d.top, y);
            d.bottom = std::max(d.bottom, y);
        }
    return d;
}
