#include "render/smoke.h"

#include <algorithm>

#include "app/random.h"
#include "render/camera.h"
#include "render/effect_context.h"
#include "render/quad_batch.h"
#include "render/transforms.h"

namespace {

constexpr float k_age_step = 0.03f;

// The unit corners in the order of the buffer's texture coordinates.
constexpr ModelVertex k_corners[4] = {{-1, -1, 0, 0}, {-1, 1, 0, 0}, {1, -1, 0, 0}, {1, 1, 0, 0}};

SmokeParticle* first_free(SmokeTable& table) {
    for (SmokeParticle& p : table)
        if (p.lifetime == 0) return &p;
    return nullptr;
}

uint8_t channel(uint32_t colour, int c) {
    return static_cast<uint8_t>(colour >> (8 * c));
}

void set_look(SmokeParticle& p, const SmokeLook& look) {
    p.blend = std::clamp(look.blend, 0, 5);
    const int32_t frames = std::max(look.frames, 0);
    for (int c = 0; c < 4; ++c) {
        const int32_t start = channel(look.start_colour, c), end = channel(look.end_colour, c);
        p.colour[size_t(c)] = static_cast<uint16_t>(start * 256);
        // The step wraps to 16 bits, as the colour does when it is added: the course still ends
        // on the end colour when the difference does not fit a signed 16-bit step.
        const int32_t step = frames > 0 ? (end - start) * 256 / frames : 0;
        p.colour_step[size_t(c)] = static_cast<int16_t>(static_cast<uint16_t>(step));
    }
    p.fade_frames = frames;
    p.fade_reload = 0;
    p.pulse = 0;
    p.age = 0;
}

Vec3 spread(Random& random, float divisor) {
    const float x = random_spread(random, divisor);
    const float y = random_spread(random, divisor);
    const float z = random_spread(random, divisor);
    return {x, y, z};
}

// The part every smoke spawner shares: a free entry with its lifetime, look, position and size.
SmokeParticle* start_particle(SmokeTable& table, Random& random, float life_base, float life_spread,
                              const SmokeLook& look) {
    SmokeParticle* p = first_free(table);
    if (p == nullptr) return nullptr;
    *p = SmokeParticle{};
    p->lifetime = static_cast<int32_t>(life_base + life_spread * random_unit(random));
    set_look(*p, look);
    return p;
}

uint32_t drawn_colour(const SmokeParticle& p) {
    uint32_t c = 0;
    for (int k = 0; k < 4; ++k) c |= uint32_t(p.colour[size_t(k)] >> 8) << (8 * k);
    return c;
}

void run_colour_course(SmokeParticle& p, uint32_t drawn) {
    if (drawn == 0 && p.fade_frames == 0 && p.pulse == 0) p.lifetime = 0;
    if (p.fade_frames == 0) {
        if (p.pulse == 0) return;
        p.fade_frames = p.fade_reload;
        for (int16_t& s : p.colour_step) s = static_cast<int16_t>(-s);
        return;
    }
    --p.fade_frames;
    bool all_zero = true;
    for (size_t c = 0; c < 4; ++c) {
        p.colour[c] = static_cast<uint16_t>(p.colour[c] + p.colour_step[c]);
        all_zero = all_zero && p.colour[c] == 0;
    }
    // A pulsing particle passes through its start colour on every swing, black included, so
    // only a particle fading once dies of a colour that reached 0.
    if (all_zero && p.pulse == 0) p.lifetime = 0;
}

struct BlendFactors {
    uint32_t source, destination;
};

constexpr BlendFactors k_blend[6] = {{BLEND_ONE, BLEND_INVSRCCOLOR},
                                     {BLEND_INVSRCALPHA, BLEND_INVSRCCOLOR},
                                     {BLEND_INVDESTCOLOR, BLEND_INVSRCCOLOR},
                                     {BLEND_INVSRCALPHA, BLEND_INVSRCCOLOR},
                                     {BLEND_ONE, BLEND_ONE},
                                     {BLEND_ONE, BLEND_SRCCOLOR}};

void set_blend(Device3D& d, int32_t mode) {
    device_set_render_state(d, RenderState::src_blend, k_blend[mode].source);
    device_set_render_state(d, RenderState::dest_blend, k_blend[mode].destination);
    device_set_texture_stage_state(d, 0, StageState::alpha_arg1,
                                   mode == 3 ? TA_DIFFUSE : TA_TEXTURE);
}

void begin_states(EffectContext& ctx) {
    Device3D& d = *ctx.render.device;
    device_set_render_state(d, RenderState::alpha_blend_enable, 1);
    device_set_render_state(d, RenderState::z_write_enable, 0);
    device_set_render_state(d, RenderState::cull_mode, CULL_NONE);
    device_set_texture_stage_state(d, 0, StageState::alpha_op, TOP_SELECTARG1);
    device_set_texture_stage_state(d, 0, StageState::alpha_arg1, TA_TEXTURE);
    device_set_texture(d, 0, ctx.smoke_texture);
}

void restore_states(Device3D& d) {
    device_set_render_state(d, RenderState::alpha_blend_enable, 0);
    device_set_render_state(d, RenderState::z_write_enable, 1);
    device_set_render_state(d, RenderState::cull_mode, CULL_CW);
    device_set_texture_stage_state(d, 0, StageState::alpha_arg1, TA_TEXTURE);
    device_set_texture_stage_state(d, 0, StageState::alpha_op, TOP_DISABLE);
}

// The particle's quad into the batch's next place; true when no corner lies behind the eye.
bool write_quad(TLVertex* v, const Matrix& facing, const Matrix& view_projection,
                const SmokeFrame& f) {
    const Matrix world = multiply(multiply(facing, scaling(f.size, f.size, f.size)),
                                  translation(f.position.x, f.position.y, f.position.z));
    ScreenVertex s[4];
    transform_project(k_corners, s, multiply(world, view_projection), false);
    bool in_front = true;
    for (int i = 0; i < 4; ++i) {
        v[i].x = s[i].x;
        v[i].y = s[i].y;
        v[i].z = s[i].z;
        v[i].diffuse = f.colour;
        v[i].specular = 0xFF000000u;
        in_front = in_front && !(s[i].z < 0);
    }
    return in_front;
}

// The rotation that turns a quad in the xy plane to face the camera.
Matrix camera_facing(const Matrix& view) {
    Matrix rotation = view;
    rotation.m[3][0] = rotation.m[3][1] = rotation.m[3][2] = 0;
    return affine_inverse(rotation);
}

} // namespace

SmokeParticle* spawn_smoke(SmokeTable& table, Random& random, const Vec3& point, float size,
                           const SmokeLook& look) {
    SmokeParticle* p = start_particle(table, random, 160, 96, look);
    if (p == nullptr) return nullptr;
    p->velocity = {0, -0.5f, 0};
    p->acceleration = {0, -0.025f, 0};
    p->origin = point + spread(random, 32767);
    p->size = (random_unit(random) + 0.1f) * size;
    p->size_step = random_unit(random) * 0.075f;
    return p;
}

SmokeParticle* spawn_puff(SmokeTable& table, Random& random, const Vec3& point, float size,
                          float size_step, const SmokeLook& look) {
    SmokeParticle* p = start_particle(table, random, 160, 96, look);
    if (p == nullptr) return nullptr;
    p->velocity = {0, -0.5f, 0};
    p->acceleration = {0, -0.15f, 0};
    p->origin = point + spread(random, 65534);
    p->size = (random_unit(random) + 0.1f) * size;
    p->size_step = size_step;
    return p;
}

SmokeParticle* spawn_drift(SmokeTable& table, Random& random, const Vec3& point, float size,
                           float size_step, const SmokeLook& look) {
    SmokeParticle* p = start_particle(table, random, 160, 96, look);
    if (p == nullptr) return nullptr;
    p->velocity = {2.5f, -0.25f, 0};
    p->acceleration = {-0.0005f, -0.015f, 0};
    p->origin = point + spread(random, 65534);
    p->size = (random_unit(random) + 0.1f) * size;
    p->size_step = size_step;
    return p;
}

SmokeParticle* spawn_pulse(SmokeTable& table, Random& random, const Vec3& point, float size,
                           float x_amplitude, float z_amplitude, int32_t pulse,
                           const SmokeLook& look) {
    SmokeParticle* p = start_particle(table, random, 175, 50, look);
    if (p == nullptr) return nullptr;
    p->velocity = {0, -0.05f, 0};
    p->acceleration = {0, -0.0005f, 0};
    const float x = random_spread(random, 65534) * x_amplitude;
    const float y = random_spread(random, 32767);
    const float z = random_spread(random, 65534) * z_amplitude;
    p->origin = point + Vec3{x, y, z};
    p->size = (random_unit(random) + 0.1f) * size;
    p->size_step = random_unit(random) * 0.02f;
    p->pulse = pulse;
    p->fade_reload = std::max(look.frames, 0);
    return p;
}

Vec3 random_wind(Random& random, float amplitude) {
    const float x = random_spread(random, 65534) * amplitude;
    const float y = random_spread(random, 65534) * amplitude;
    const float z = random_spread(random, 65534) * amplitude;
    return {x, y, z};
}

SmokeFrame step_smoke_particle(SmokeParticle& p, const Vec3& wind) {
    if (p.lifetime != -1) --p.lifetime;
    const float t = p.age;
    SmokeFrame f;
    f.position = p.origin + p.velocity * t + p.acceleration * (t * t / 2);
    p.velocity = p.velocity + p.acceleration * t;
    p.acceleration = p.acceleration + wind;
    p.age += k_age_step;
    f.size = p.size;
    f.colour = drawn_colour(p);
    run_colour_course(p, f.colour);
    p.size += p.size_step;
    return f;
}

void draw_smoke_particles(EffectContext& ctx, SmokeTable& table, const Vec3& wind) {
    Device3D* d = ctx.on_device() ? ctx.render.device : nullptr;
    QuadBatch batch = quad_batch_begin(d != nullptr ? ctx.quads : nullptr);
    std::array<int8_t, k_quad_capacity> modes{};
    Matrix facing, vp = ctx.render.camera.view_projection;
    if (d != nullptr) {
        begin_states(ctx);
        facing = camera_facing(ctx.render.camera.view_matrix);
    }
    for (SmokeParticle& p : table) {
        if (p.lifetime == 0) continue;
        const SmokeFrame f = step_smoke_particle(p, wind);
        TLVertex* v = quad_batch_next(batch);
        if (v == nullptr || !write_quad(v, facing, vp, f)) continue;
        modes[size_t(batch.count)] = static_cast<int8_t>(p.blend);
        quad_batch_keep(batch);
    }
    quad_batch_end(batch);
    if (d == nullptr) return;
    // Runs of one blend mode in table order, each with its factors.
    for (int first = 0; first < batch.count;) {
        int end = first + 1;
        while (end < batch.count && modes[size_t(end)] == modes[size_t(first)]) ++end;
        set_blend(*d, modes[size_t(first)]);
        draw_quads(*d, *ctx.quads, first, end - first);
        first = end;
    }
    restore_states(*d);
}
