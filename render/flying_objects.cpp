#include "render/flying_objects.h"

#include <cmath>
#include <numbers>

#include "render/camera.h"
#include "render/effect_context.h"
#include "render/model_draw.h"

namespace {

// The fly's one looping state. It is not a character: it stands in no collision circle and
// chooses no idle variations, so its frame simply runs round.
void beat_wings(Actor& fly) {
    const AnimEntry& e = anim_at(fly, fly.state);
    fly.frame += e.step;
    if (!(fly.frame <= e.last)) fly.frame = e.loop_to;
    if (!(fly.frame >= e.first)) fly.frame = e.first;
}

} // namespace

FlyingObject* add_flying_object(FlyingObjects& table, Random& random, const Vec3& centre,
                                const Vec3& orbit, const Vec3& phase_speed, float scale,
                                uint32_t tint, int32_t glowing, uint32_t glow_colour) {
    for (FlyingObject& f : table.flying_objects) {
        if (f.in_use != 0) continue;
        f = FlyingObject{};
        f.in_use = 1;
        f.tint = tint;
        f.glowing = glowing;
        f.glow_colour = glow_colour;
        f.scale = scale;
        f.centre = centre;
        f.orbit = orbit;
        f.phase_speed = phase_speed;
        const float px = random_spread(random, 32767);
        const float py = random_spread(random, 32767);
        const float pz = random_spread(random, 32767);
        f.phase = {px, py, pz};
        f.position = flying_position(f);
        return &f;
    }
    return nullptr;
}

void clear_flying_objects(FlyingObjects& table) {
    table.flying_objects = {};
    table.clock = 0;
}

Vec3 flying_position(const FlyingObject& f) {
    constexpr float pi = std::numbers::pi_v<float>;
    const Matrix rx = rotation_x(std::sin(f.phase.x) * pi);
    const Matrix ry = rotation_y(std::sin(f.phase.y) * pi);
    const Matrix rz = rotation_z(std::sin(f.phase.z) * pi);
    const Matrix m =
        multiply(multiply(multiply(translation(f.orbit.x, f.orbit.y, f.orbit.z), rx), rz), ry);
    return f.centre + Vec3{m.m[3][0], m.m[3][1], m.m[3][2]};
}

void update_flying_objects(EffectContext& ctx, FlyingObjects& table, GlowTable& glows) {
    table.clock += 0.01f;
    Actor& fly = table.fly;
    bool any = false;
    for (const FlyingObject& f : table.flying_objects) any = any || (f.in_use && !f.paused);
    if (!any) return;
    beat_wings(fly);
    const bool can_draw = ctx.on_device() || ctx.render.soft.frame != nullptr;
    for (FlyingObject& f : table.flying_objects) {
        if (f.in_use == 0 || f.paused != 0) continue;
        f.position = flying_position(f);
        f.phase = f.phase + f.phase_speed;
        fly.position = f.position;
        fly.blend_mode = f.glowing != 0 ? 2 : 0;
        fly.scale = {f.scale, f.scale, f.scale};
        fly.tint = f.tint;
        if (can_draw && !actor_empty(fly)) actor_draw(ctx.render, fly);
        if (f.glowing != 0) add_glow(glows, f.position, f.glow_colour, 1, k_glow_if_visible);
    }
}
