#include "render/fires.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "app/dirty_rects.h"
#include "render/camera.h"
#include "render/effect_context.h"
#include "render/quad_batch.h"

namespace {

constexpr uint32_t k_fire_light = 0x743D00;
constexpr uint32_t k_fire_glow = 0x541D00;
constexpr uint32_t k_sparkle_colour = 0xFF8040;
constexpr uint32_t k_sparkle_fade = 0x040201;
constexpr uint32_t k_flame_colour = 0xA0A0A0A0;
constexpr float k_sparkle_chance = 0.02f;

void begin_states(EffectContext& ctx) {
    Device3D& d = *ctx.render.device;
    device_set_render_state(d, RenderState::alpha_blend_enable, 1);
    device_set_render_state(d, RenderState::src_blend, BLEND_ONE);
    device_set_render_state(d, RenderState::dest_blend, BLEND_ONE);
    device_set_render_state(d, RenderState::z_write_enable, 0);
    device_set_render_state(d, RenderState::cull_mode, CULL_NONE);
    device_set_texture(d, 0, ctx.fire_texture);
}

void restore_states(Device3D& d) {
    device_set_render_state(d, RenderState::cull_mode, CULL_CW);
    device_set_render_state(d, RenderState::alpha_blend_enable, 0);
    device_set_render_state(d, RenderState::z_write_enable, 1);
}

void throw_sparkle(EffectContext& ctx, const SceneFire& f, SparkleTable& sparkles) {
    Random& r = ctx.random;
    if (!(random_unit(r) < k_sparkle_chance)) return;
    const auto life = static_cast<int32_t>(256 * random_unit(r));
    const float vx = random_spread(r, 65534) * 0.2f;
    const float vy = -0.2f * random_unit(r);
    const float vz = random_spread(r, 65534) * 0.2f;
    const float ay = 0.0001f + 0.02f * random_unit(r);
    add_sparkle(sparkles, life, k_sparkle_colour, k_sparkle_fade, f.position, {vx, vy, vz},
                {0, ay, 0});
}

// The particle rises and burns down; burnt out, it starts again at the base.
void move_flame(Random& r, const SceneFire& f, FireParticle& p) {
    p.age -= 0.6f;
    p.offset.y -= f.height * 0.2f;
    if (p.age > 0) return;
    p.offset.x = f.position.x + random_spread(r, 65534) * f.spread;
    p.offset.z = f.position.z + random_spread(r, 65534) * f.height;
    p.offset.y = f.position.y;
    p.age = std::min(8 + 16 * random_unit(r), 16.0f);
}

void flame_on_device(QuadBatch& batch, const ScreenPoint& p, float half) {
    TLVertex* v = quad_batch_next(batch);
    if (v == nullptr || !(p.z >= 0)) return;
    const float xs[4] = {p.x - half, p.x - half, p.x + half, p.x + half};
    const float ys[4] = {p.y - half, p.y + half, p.y - half, p.y + half};
    for (int i = 0; i < 4; ++i) {
        v[i].x = xs[i];
        v[i].y = ys[i];
        v[i].z = p.z;
        v[i].diffuse = k_flame_colour;
        v[i].specular = 0xFF000000u;
    }
    quad_batch_keep(batch);
}

void flame_in_software(EffectContext& ctx, const ScreenPoint& p, float extent) {
    const SoftwareTargets& t = ctx.render.soft;
    DirtyList& dirty = ctx.render.state.dirty_rects;
    if (ctx.fire_frames == nullptr || t.picture_rgb32.size() < 640 * 480 * 4 ||
        t.depth16.size() < 640 * 480 || !(p.z >= 0) || !(extent < 1e6f))
        return;
    if (!(std::fabs(p.x) < 1e6f && std::fabs(p.y) < 1e6f)) return;
    const FlameSprite s = flame_sprite(static_cast<int>(p.x), static_cast<int>(p.y),
                                       std::max(0, static_cast<int>(extent)));
    if (s.side == 0) return;
    // A sprite the list has no room for would stay in the frame picture, never cleaned.
    if (dirty.back().in_use != 0) return;
    const int32_t depth = software_depth(p.z);
    const int left = s.left, top = s.top;
    const uint8_t* frame = ctx.fire_frames->bgra.data() + size_t(s.frame) * k_fire_frame_pixels * 4;
    for (int row = 0; row < s.side; ++row)
        for (int col = 0; col < s.side; ++col) {
            const size_t at = size_t(top + row) * 640 + size_t(left + col);
            if (!(t.depth16[at] > depth)) continue;
            uint32_t add, pixel;
            std::memcpy(&add, frame + (size_t(row) * size_t(s.side) + size_t(col)) * 4, 4);
            std::memcpy(&pixel, &t.picture_rgb32[at * 4], 4);
            pixel = add_bytes(pixel, add & 0xFFFFFF);
            std::memcpy(&t.picture_rgb32[at * 4], &pixel, 4);
        }
    add_dirty_rect(dirty, left, left + s.side - 1, top, top + s.side - 1, k_dirty_colour, 0,
                   {4, 4, 4, 4});
}

void burn(EffectContext& ctx, SceneFire& f, GlowTable& glows, SparkleTable& sparkles,
          QuadBatch& batch) {
    Random& r = ctx.random;
    const Matrix& vp = ctx.render.camera.view_projection;
    if (f.lifetime > 0) --f.lifetime;
    if (f.light != 0)
        add_light(ctx.render.lighting, vp, 1, f.position, 0.3f + random_unit(r), k_fire_light, 0,
                  f.position, 0);
    if (f.glow != 0) add_glow(glows, f.position, k_fire_glow, 1, k_glow_if_visible);
    throw_sparkle(ctx, f, sparkles);
    for (FireParticle& p : f.particles) {
        move_flame(r, f, p);
        const float size = std::max(p.age, 0.0f) * f.size;
        const ScreenPoint s = project_point(vp, p.offset);
        const float extent = (1 - s.z) * size;
        if (ctx.on_device())
            flame_on_device(batch, s, extent);
        else
            flame_in_software(ctx, s, extent);
    }
}

} // namespace

FlameSprite flame_sprite(int x, int y, int half) {
    // Only a square wholly inside the screen, clear of its border, is drawn.
    if (x - half <= 0 || y - half <= 0 || x + half >= 639 || y + half >= 479) return {};
    const int side = std::min(2 * half, 2 * k_fire_frame_count);
    if (side <= 1) return {};
    // The largest frame is 32 pixels: a larger flame's sprite is centred on its square.
    return {k_fire_frame_count - side / 2, side, x - side / 2, y - side / 2};
}

void draw_fires(EffectContext& ctx, FireTable& fires, GlowTable& glows, SparkleTable& sparkles) {
    const bool device = ctx.on_device();
    QuadBatch batch = quad_batch_begin(device ? ctx.quads : nullptr);
    if (device) begin_states(ctx);
    for (SceneFire& f : fires)
        if (f.lifetime != 0) burn(ctx, f, glows, sparkles, batch);
    quad_batch_end(batch);
    if (!device) return;
    draw_quads(*ctx.render.device, *ctx.quads, 0, batch.count);
    restore_states(*ctx.render.device);
}
