#include "render/spark_trails.h"

#include <cmath>

#include "render/camera.h"
#include "render/effect_context.h"

namespace {

constexpr int32_t k_spark_life = 48;
constexpr uint32_t k_device_colour = 0x0018181C;   // added five times over where lines cross
constexpr uint32_t k_software_colour = 0x00606070; // drawn once, opaque

void set_states(Device3D& d) {
    device_set_render_state(d, RenderState::cull_mode, CULL_NONE);
    device_set_render_state(d, RenderState::alpha_blend_enable, 1);
    device_set_render_state(d, RenderState::src_blend, BLEND_ONE);
    device_set_render_state(d, RenderState::dest_blend, BLEND_ONE);
    device_set_texture(d, 0, nullptr);
}

void restore_states(Device3D& d) {
    device_set_render_state(d, RenderState::alpha_blend_enable, 0);
    device_set_render_state(d, RenderState::cull_mode, CULL_CW);
}

// The five points on the screen; false when one lies behind the eye.
bool project_trail(const Matrix& vp, const SparkTrail& s, std::array<ScreenPoint, 5>& out) {
    out[0] = project_point(vp, s.position);
    for (size_t i = 0; i < 4; ++i) out[i + 1] = project_point(vp, s.trail[i]);
    for (const ScreenPoint& p : out)
        if (!(p.z >= 0)) return false;
    return true;
}

void draw_on_device(Device3D& d, const std::array<ScreenPoint, 5>& p) {
    TLVertex v[5];
    for (size_t i = 0; i < 5; ++i)
        v[i] = {p[i].x, p[i].y, p[i].z, 0.5f, k_device_colour, 0xFF000000u, 0, 0};
    device_draw_primitive(d, Primitive::line_strip, k_fvf_textured, v, 5);
}

void draw_in_software(EffectContext& ctx, const std::array<ScreenPoint, 5>& p) {
    ScreenVertex v[5];
    for (size_t i = 0; i < 5; ++i) {
        v[i].x = std::nearbyint(p[i].x);
        v[i].y = std::nearbyint(p[i].y);
        v[i].z = float(software_depth(p[i].z));
        v[i].colour = k_software_colour;
    }
    draw_lines_software(*ctx.render.state.raster, ctx.render.soft, v);
}

} // namespace

SparkTrail* spawn_sparks(SparkTrailTable& table, Random& random, const Vec3& point) {
    for (SparkTrail& s : table) {
        if (s.lifetime != 0) continue;
        s = SparkTrail{};
        s.lifetime = k_spark_life;
        const float vx = random_spread(random, 65534) * 0.2f;
        const float vy = -0.9f - 0.1f * random_unit(random);
        const float vz = random_spread(random, 65534) * 0.2f;
        s.velocity = {vx, vy, vz};
        s.gravity = 0.04f + 0.05f * random_unit(random);
        s.position = point;
        s.trail.fill(point);
        return &s;
    }
    return nullptr;
}

void draw_spark_trails(EffectContext& ctx, SparkTrailTable& table) {
    Device3D* d = ctx.render.device;
    const bool soft = d == nullptr && ctx.render.soft.frame != nullptr;
    if (d != nullptr) set_states(*d);
    for (SparkTrail& s : table) {
        if (s.lifetime == 0) continue;
        --s.lifetime;
        std::array<ScreenPoint, 5> p;
        if (project_trail(ctx.render.camera.view_projection, s, p)) {
            if (d != nullptr)
                draw_on_device(*d, p);
            else if (soft)
                draw_in_software(ctx, p);
        }
        for (size_t i = 3; i > 0; --i) s.trail[i] = s.trail[i - 1];
        s.trail[0] = s.position;
        s.position = s.position + s.velocity;
        s.velocity.y += s.gravity;
    }
    if (d != nullptr) restore_states(*d);
}
