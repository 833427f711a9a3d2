#include "scenes/scene_effects.h"

#include "app/game.h"
#include "render/camera.h"
#include "render/effect_context.h"

namespace {

void spawn(Game& game, const Emitter& e) {
    EffectTables& t = game.effects;
    Random& r = game.random;
    switch (e.kind) {
    case EmitterKind::smoke:
        spawn_smoke(t.smoke_particles, r, e.point, e.size, e.look);
        return;
    case EmitterKind::puff:
        spawn_puff(t.smoke_particles, r, e.point, e.size, e.size_step, e.look);
        return;
    case EmitterKind::drift:
        spawn_drift(t.smoke_particles, r, e.point, e.size, e.size_step, e.look);
        return;
    case EmitterKind::pulse:
        spawn_pulse(t.smoke_particles, r, e.point, e.size, e.x_amplitude, e.z_amplitude, e.pulse,
                    e.look);
        return;
    case EmitterKind::sparks:
        spawn_sparks(t.spark_trails, r, e.point);
        return;
    }
}

bool slot_ok(int slot, int count) {
    return slot >= 0 && slot < count;
}

} // namespace

void start_emitter(Game& game, int slot, const Emitter& emitter) {
    if (!slot_ok(slot, k_emitter_count)) return;
    Emitter& e = game.emitters.emitters[size_t(slot)];
    e = emitter;
    e.active = 1;
}

void stop_emitter(Game& game, int slot) {
    if (slot_ok(slot, k_emitter_count)) game.emitters.emitters[size_t(slot)].active = 0;
}

void run_emitters(Game& game) {
    for (const Emitter& e : game.emitters.emitters) {
        if (e.active == 0) continue;
        if (random_unit(game.random) < e.chance) spawn(game, e);
    }
}

void show_glow(Game& game, const Vec3& point, uint32_t colour, int32_t mode, int32_t jitter) {
    add_glow(game.effects.glows, point, colour, jitter, mode);
}

void add_scene_light(Game& game, int32_t lifetime, const Vec3& point, float range,
                     uint32_t colour) {
    add_light(game.lighting, game.camera.view_projection, lifetime, point, range, colour, 0, point,
              0);
}

void set_fire_lifetime(Game& game, int slot, int32_t lifetime) {
    if (slot_ok(slot, k_fire_count)) game.fires[size_t(slot)].lifetime = lifetime;
}

void set_wind(Game& game, float amplitude) {
    game.effects.wind = amplitude == 0 ? Vec3{} : random_wind(game.random, amplitude);
}

int start_shimmer(Game& game, int x, int y) {
    auto& regions = game.hot_air.shimmer_regions;
    for (size_t n = 0; n < regions.size(); ++n) {
        if (regions[n].lifetime != 0) continue;
        regions[n] = {-1, x, y};
        return int(n);
    }
    return -1;
}

void stop_shimmer(Game& game, int n) {
    if (slot_ok(n, k_shimmer_region_count)) game.hot_air.shimmer_regions[size_t(n)].lifetime = 0;
}

int start_shimmer_over_fire(Game& game, int slot) {
    if (!slot_ok(slot, k_fire_count)) return -1;
    const SceneFire& f = game.fires[size_t(slot)];
    if (f.lifetime == 0) return -1;
    // A flame particle rises height x 0.2 a frame for at most 16 / 0.6 frames.
    const Vec3 top = f.position - Vec3{0, f.height * 0.2f * 16 / 0.6f, 0};
    // Scene set-up calls this before the first pass has made the view-projection of the new
    // camera, so it is made here.
    const Matrix vp = multiply(game.camera.view_matrix, game.camera.projection_matrix);
    const ScreenPoint base = project_point(vp, f.position), tip = project_point(vp, top);
    if (!(base.z > 0 && tip.z > 0)) return -1;
    const float x = base.x - k_shimmer_width / 2.0f, y = tip.y - 24;
    if (!(x > -k_shimmer_width && x < 640 && y > -k_shimmer_height && y < 480)) return -1;
    return start_shimmer(game, static_cast<int>(x), static_cast<int>(y));
}

void release_insects(Game& game, int count, const Vec3& centre, const Vec3& orbit, float speed,
                     float scale, uint32_t tint, int32_t glowing, uint32_t glow_colour) {
    for (int i = 0; i < count; ++i) {
        const float sx = (0.5f + 0.5f * random_unit(game.random)) * speed;
        const float sy = (0.5f + 0.5f * random_unit(game.random)) * speed;
        const float sz = (0.5f + 0.5f * random_unit(game.random)) * speed;
        add_flying_object(game.effects.flying, game.random, centre, orbit, {sx, sy, sz}, scale,
                          tint, glowing, glow_colour);
    }
}

void clear_insects(Game& game) {
    clear_flying_objects(game.effects.flying);
}
