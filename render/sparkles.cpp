#include "render/sparkles.h"

#include <cstring>

#include "render/camera.h"
#include "render/effect_context.h"

namespace {

void set_states(Device3D& d) {
    device_set_render_state(d, RenderState::alpha_blend_enable, 1);
    device_set_render_state(d, RenderState::src_blend, BLEND_ONE);
    device_set_render_state(d, RenderState::dest_blend, BLEND_ONE);
    device_set_render_state(d, RenderState::z_write_enable, 0);
    device_set_texture(d, 0, nullptr);
}

void restore_states(Device3D& d) {
    device_set_render_state(d, RenderState::alpha_blend_enable, 0);
    device_set_render_state(d, RenderState::z_write_enable, 1);
}

void draw_in_software(const SoftwareTargets& t, const ScreenPoint& p, uint32_t colour) {
    if (t.frame == nullptr || t.bpp != 32 || t.depth16.size() < 640 * 480) return;
    if (!(p.x >= 0 && p.x < 640 && p.y >= 0 && p.y < 480 && p.z >= 0)) return;
    const int x = static_cast<int>(p.x), y = static_cast<int>(p.y);
    const int32_t depth = software_depth(p.z);
    if (!(depth < t.depth16[size_t(y) * 640 + size_t(x)])) return;
    uint8_t* at = t.frame + ptrdiff_t(y) * t.pitch + ptrdiff_t(x) * 4;
    uint32_t pixel;
    std::memcpy(&pixel, at, 4);
    pixel = add_bytes(pixel, colour);
    std::memcpy(at, &pixel, 4);
}

} // namespace

uint32_t subtract_bytes(uint32_t colour, uint32_t fade) {
    uint32_t out = 0;
    for (int k = 0; k < 32; k += 8) {
        const int v = int((colour >> k) & 0xFF) - int((fade >> k) & 0xFF);
        out |= uint32_t(v > 0 ? v : 0) << k;
    }
    return out;
}

uint32_t add_bytes(uint32_t a, uint32_t b) {
    uint32_t out = 0;
    for (int k = 0; k < 32; k += 8) {
        const uint32_t v = ((a >> k) & 0xFF) + ((b >> k) & 0xFF);
        out |= (v < 255 ? v : 255) << k;
    }
    return out;
}

Sparkle* add_sparkle(SparkleTable& table, int32_t lifetime, uint32_t colour, uint32_t fade,
                     const Vec3& position, const Vec3& velocity, const Vec3& acceleration) {
    for (Sparkle& s : table) {
        if (s.lifetime != 0) continue;
        s = {lifetime, colour, fade, position, velocity, acceleration};
        return &s;
    }
    return nullptr;
}

void draw_sparkles(EffectContext& ctx, SparkleTable& table) {
    Device3D* d = ctx.render.device;
    if (d != nullptr) set_states(*d);
    for (Sparkle& s : table) {
        if (s.lifetime == 0) continue;
        --s.lifetime;
        s.colour = subtract_bytes(s.colour, s.fade);
        const ScreenPoint p = project_point(ctx.render.camera.view_projection, s.position);
        if (d != nullptr) {
            if (p.z >= 0) {
                const TLVertex v{p.x, p.y, p.z, 0.5f, s.colour, 0xFF000000u, 0, 0};
                device_draw_primitive(*d, Primitive::point_list, k_fvf_textured, &v, 1);
            }
        } else {
            draw_in_software(ctx.render.soft, p, s.colour);
        }
        s.position = s.position + s.velocity;
        s.velocity = s.velocity + s.acceleration;
    }
    if (d != nullptr) restore_states(*d);
}
