#include "render/glows.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "app/dirty_rects.h"
#include "render/camera.h"
#include "render/effect_context.h"
#include "render/sparkles.h"
#include "render/visibility.h"

namespace {

constexpr int k_half = 32;

void set_states(EffectContext& ctx) {
    Device3D& d = *ctx.render.device;
    device_set_render_state(d, RenderState::alpha_blend_enable, 1);
    device_set_render_state(d, RenderState::src_blend, BLEND_ONE);
    device_set_render_state(d, RenderState::dest_blend, BLEND_ONE);
    device_set_render_state(d, RenderState::z_enable, 0);
    device_set_texture(d, 0, ctx.glow_texture);
}

void restore_states(Device3D& d) {
    device_set_render_state(d, RenderState::z_enable, 1);
    device_set_render_state(d, RenderState::alpha_blend_enable, 0);
}

bool visible(EffectContext& ctx, const Glow& g) {
    if (g.mode == k_glow_per_pixel || g.mode == k_glow_always) return true;
    if (g.mode != k_glow_if_visible) return false;
    const Matrix& vp = ctx.render.camera.view_projection;
    if (ctx.on_device())
        return ctx.depth != nullptr &&
               point_visible_device(vp, g.position, *ctx.depth, ctx.depth_bits, ctx.depth_mask);
    return point_visible_software(vp, g.position, ctx.render.soft.depth16);
}

void draw_on_device(EffectContext& ctx, const Glow& g, float x, float y, float z) {
    Device3D& d = *ctx.render.device;
    const bool per_pixel = g.mode == k_glow_per_pixel;
    const float depth = per_pixel ? z : 0;
    // Counter-clockwise on the screen, so the fixed clockwise culling keeps the strip.
    const TLVertex v[4] = {{x - k_half, y - k_half, depth, 0.5f, g.colour, 0xFF000000u, 0, 0},
                           {x - k_half, y + k_half, depth, 0.5f, g.colour, 0xFF000000u, 0, 1},
                           {x + k_half, y - k_half, depth, 0.5f, g.colour, 0xFF000000u, 1, 0},
                           {x + k_half, y + k_half, depth, 0.5f, g.colour, 0xFF000000u, 1, 1}};
    if (per_pixel) device_set_render_state(d, RenderState::z_enable, 1);
    device_draw_primitive(d, Primitive::triangle_strip, k_fvf_textured, v, 4);
    if (per_pixel) device_set_render_state(d, RenderState::z_enable, 0);
}

uint8_t scaled(uint16_t picture, uint32_t colour, int shift) {
    return static_cast<uint8_t>(
        std::min<uint32_t>(255, picture * ((colour >> shift) & 0xFF) / 256));
}

void draw_in_software(EffectContext& ctx, const Glow& g, int x, int y) {
    std::span<uint8_t> frame = ctx.render.soft.picture_rgb32;
    const std::span<const uint16_t> glow = ctx.glow_picture;
    DirtyList& dirty = ctx.render.state.dirty_rects;
    if (frame.size() < 640 * 480 * 4 || glow.size() < 64 * 64 * 4) return;
    // A square the list has no room for would stay in the frame picture, never cleaned.
    if (dirty.back().in_use != 0) return;
    const int left = x - k_half, top = y - k_half;
    for (int row = std::max(0, -top); row < 64 && top + row < 480; ++row)
        for (int col = std::max(0, -left); col < 64 && left + col < 640; ++col) {
            const uint16_t* src = &glow[(size_t(row) * 64 + size_t(col)) * 4];
            const uint32_t add = scaled(src[0], g.colour, 0) |
                                 uint32_t(scaled(src[1], g.colour, 8)) << 8 |
                                 uint32_t(scaled(src[2], g.colour, 16)) << 16;
            uint8_t* at = &frame[(size_t(top + row) * 640 + size_t(left + col)) * 4];
            uint32_t pixel;
            std::memcpy(&pixel, at, 4);
            pixel = add_bytes(pixel, add);
            std::memcpy(at, &pixel, 4);
        }
    add_dirty_rect(dirty, left, left + 63, top, top + 63, k_dirty_colour, 0, {0, 0, 0, 0});
}

} // namespace

void add_glow(GlowTable& table, const Vec3& position, uint32_t colour, int32_t jitter,
              int32_t mode) {
    for (Glow& g : table) {
        if (g.in_use != 0) continue;
        g = {position, 1, jitter, colour, mode};
        return;
    }
}

void draw_glows(EffectContext& ctx, GlowTable& table) {
    const bool device = ctx.on_device();
    if (!device && ctx.render.soft.picture_rgb32.empty()) return;
    if (device) set_states(ctx);
    for (Glow& g : table) {
        if (g.in_use == 0) continue;
        g.in_use = 0;
        if (!visible(ctx, g)) continue;
        const ScreenPoint p = project_point(ctx.render.camera.view_projection, g.position);
        if (!(p.z >= 0) || !(std::fabs(p.x) < 1e6f && std::fabs(p.y) < 1e6f)) continue;
        int x = static_cast<int>(p.x), y = static_cast<int>(p.y);
        float dx = 0, dy = 0;
        if (g.jitter != 0) {
            dx = random_spread(ctx.random, 65534) * 8;
            dy = random_spread(ctx.random, 65534) * 8;
        }
        if (device) {
            draw_on_device(ctx, g, float(x) + dx, float(y) + dy, p.z);
        } else {
            x += static_cast<int>(dx);
            y += static_cast<int>(dy);
            draw_in_software(ctx, g, x, y);
        }
    }
    if (device) restore_states(*ctx.render.device);
}
