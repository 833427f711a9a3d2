#include "render/actor.h"

#include <algorithm>
#include <cmath>

#include "audio/sound.h"
#include "render/walk.h"

namespace {

bool turning(const Actor& a) {
    return a.state == k_state_turn_up || a.state == k_state_turn_down;
}

// A float turned into an int without undefined behaviour for huge or not-a-number values.
int32_t trunc_clamped(double v, double lo, double hi) {
    if (!(v == v)) return 0;
    return static_cast<int32_t>(std::clamp(v, lo, hi));
}

} // namespace

const AnimEntry& anim_at(const Actor& a, int32_t state) {
    if (state < 0 || state >= k_anim_count) return a.anims[0];
    return a.anims[static_cast<size_t>(state)];
}

void actor_reset(Actor& a) {
    a = Actor{};
}

float heading_facing(float dx, float dz) {
    if (dx == 0) return dz < 0 ? 0.0f : k_pi_f;
    if (dz == 0) return dx < 0 ? -k_pi_f / 2 : k_pi_f / 2;
    float h = std::atan(dz / dx) + k_pi_f / 2;
    if (dx < 0) h += k_pi_f;
    return h;
}

bool actor_turn_toward(Actor& a, float t) {
    const AnimEntry& e = anim_at(a, k_state_turn_up);
    // A turn animation of less than one frame still turns in one update.
    const float n = static_cast<float>(std::max(1, trunc_clamped(e.last - e.first, 0, 1e6)));
    float h = a.heading;
    if (a.heading >= k_two_pi) h -= k_two_pi;
    if (a.heading < 0) h += k_two_pi;
    float d = h - t;
    bool increasing = d < 0;
    float step = -d / n;
    if (d > k_pi_f) {
        d = k_two_pi - d;
        step = std::fabs(d) / n;
        increasing = true;
    }
    if (d < -k_pi_f) {
        d = d + k_two_pi;
        step = -std::fabs(d) / n;
        increasing = false;
    }
    if (std::fabs(d) <= k_pi_f / 6) {
        a.heading = t;
        return true;
    }
    a.turn_target = t;
    a.turn_step = step;
    a.state = increasing ? k_state_turn_up : k_state_turn_down;
    return false;
}

void actor_idle_lookup(Actor& a) {
    for (size_t i = 0; i < k_idle_families; ++i) {
        if (a.idle_states[i] == a.state) {
            a.idle_variants = a.idle_variant_counts[i];
            a.idle_state = a.idle_states[i];
            return;
        }
    }
}

void actor_frame_step(Actor& a, bool update) {
    const AnimEntry& e = anim_at(a, a.state);
    if (a.frame < e.first || a.frame > e.last) {
        a.frame = e.first;
        if (update) {
            a.move_step = e.move_step;
            a.rise_step = e.rise_step;
        }
    }
    a.frame += e.step;
    if (!(a.frame >= e.last)) return;
    if (e.loop_to != k_no_loop) {
        a.frame = e.loop_to;
        return;
    }
    if (update && turning(a)) {
        a.heading = a.turn_target;
        a.state = a.walking ? (a.running ? k_state_run : k_state_walk) : a.idle_state;
        return;
    }
    a.state = e.next;
    if (update) {
        const AnimEntry& n = anim_at(a, a.state);
        a.move_step = n.move_step;
        a.rise_step = n.rise_step;
    }
}

void actor_idle_variant_choice(Actor& a, Random& random) {
    if (a.walking != 0 || a.state != a.idle_state) return;
    if (a.frame != anim_at(a, a.idle_state).loop_to) return;
    const int r = random_next(random);
    int32_t v = static_cast<int32_t>(static_cast<double>(r) / 32767.0 * 16.0);
    if (v > a.idle_variants) v = 0;
    a.state = a.idle_state + v;
}

void actor_update(ActorContext& ctx, Actor& a) {
    if (actor_empty(a)) return;
    a.update_count += 1;
    actor_idle_lookup(a);
    const bool standing = walk_order(ctx, a);
    if (!standing) {
        const int32_t i0 = a.path_index;
        follow_path(ctx, a);
        face_while_walking(ctx, a, i0);
        if (turning(a)) a.heading += a.turn_step;
    }
    if (a.path_length < 0) a.path_length = 0;
    actor_frame_step(a, true);
    stair_step(a);
    actor_idle_variant_choice(a, ctx.random);
    collision_enter(ctx.actors, a);
    actor_idle_lookup(a);
}

void actor_walk_to(Actor& a, int32_t x, int32_t y, float final_heading) {
    if (a.may_run != 0) {
        a.running = (a.update_count < 10 && (a.walking != 0 || a.retarget != 0)) ? 1 : 0;
        a.update_count = 0;
    }
    a.resume_x = a.target_x = a.order_x = x;
    a.resume_y = a.target_y = a.order_y = y;
    a.retarget = 1;
    a.final_heading = final_heading;
}

int actor_arrived(const ActorContext&, Actor& a) {
    if (a.waypoint_x != a.order_x || a.waypoint_y != a.order_y || a.walking != 0) return 0;
    if (a.final_heading > k_two_pi || a.heading == a.final_heading) return 1;
    if (turning(a)) return 0;
    if (actor_turn_toward(a, a.final_heading)) {
        a.state = a.idle_state;
        return 1;
    }
    return 0;
}

void actor_animate_plain(ActorContext& ctx, Actor& a) {
    if (actor_empty(a)) return;
    actor_idle_lookup(a);
    actor_frame_step(a, false);
    collision_enter(ctx.actors, a);
    actor_idle_lookup(a);
}

void actor_animate(ActorContext& ctx, Actor& a) {
    if (actor_empty(a)) return;
    actor_idle_lookup(a);
    actor_frame_step(a, false);
    actor_idle_variant_choice(a, ctx.random);
    collision_enter(ctx.actors, a);
    actor_idle_lookup(a);
}

void actor_free_model(Actor& a) {
    release_model(a.model);
    a.model = Model{};
}

void actors_release_all(ActorState& state) {
    for (auto& row : state.anim_sound_events)
        for (auto& e : row) e.sound = -1;
    for (Actor& a : state.actors) actor_free_model(a);
}

void actors_forget_models(ActorState& state) {
    // In a saved record the model reference means nothing; the models are loaded again.
    for (Actor& a : state.actors) a.model = Model{};
}

void collision_enter(ActorState& state, Actor& a) {
    const size_t slot = static_cast<size_t>(std::clamp(a.collision_slot, 0, k_collision_count - 1));
    state.collision_table[slot].in_use = 0;
    if (a.collision_radius_sq == 0) return;
    for (size_t i = 0; i < k_collision_count; ++i) {
        CollisionCircle& c = state.collision_table[i];
        if (c.in_use != 0) continue;
        c.in_use = 1;
        c.centre = a.position;
        c.radius_sq = a.collision_radius_sq;
        a.collision_slot = static_cast<int32_t>(i);
        return;
    }
}

bool collision_test(const ActorState& state, Actor& a) {
    for (int32_t i = 0; i < k_collision_count; ++i) {
        const CollisionCircle& c = state.collision_table[static_cast<size_t>(i)];
        if (c.in_use == 0 || i == a.collision_slot) continue;
        const Vec3 d = a.position - c.centre;
        const float s = dot(d, d) - a.collision_radius_sq;
        if (s <= 0) continue;
        if (s <= c.radius_sq) {
            a.walking = 0;
            return true;
        }
    }
    return false;
}

void collision_clear(ActorState& state) {
    for (CollisionCircle& c : state.collision_table) c.in_use = 0;
}

namespace {

void bake(Actor& a, bool turned) {
    if (actor_empty(a) || a.model.parts[0].frames.empty()) return;
    ModelPart& part = a.model.parts[0];
    const Matrix b = multiply(multiply(part.frames[0], rotation_y(-a.heading)),
                              scaling(a.scale.x, a.scale.y, a.scale.z));
    const Vec3 origin = transform_point({0, 0, 0}, b);
    std::array<float, 5> fp{10000000.0f, -10000000.0f, 10000000.0f, 10000000.0f, -10000000.0f};
    for (auto& p : part.positions) {
        Vec3 q = transform_point({p[0], p[1], p[2]}, b);
        if (turned) q = {q.x, -q.z, q.y};
        p = {q.x, q.y, q.z, q.x * q.y};
        fp[0] = std::min(fp[0], q.x);
        fp[1] = std::max(fp[1], q.x);
        fp[2] = std::min(fp[2], q.y);
        fp[3] = std::min(fp[3], q.z);
        fp[4] = std::max(fp[4], q.z);
    }
    for (auto& n : part.normals) {
        const Vec3 q = transform_point({n[0], n[1], n[2]}, b) - origin;
        n = {q.x, q.y, q.z, q.x * q.y};
    }
    part.frames[0] = Matrix::identity();
    a.scale = {1, 1, 1};
    a.heading = 0;
    a.footprint = fp;
}

} // namespace

void actor_bake(Actor& a) {
    bake(a, false);
}

void actor_bake_turned(Actor& a) {
    bake(a, true);
}

void play_anim_sound_events(const ActorState& state, SoundState& sound, const SceneCamera& camera) {
    const Vec3 eye = camera.camera_eye;
    const Vec3 aim = camera.camera_target;
    const Vec3 above{eye.x, eye.y - 1000, eye.z};
    const Vec3 normal = normalise(cross(aim - eye, above - eye));
    const float d = -dot(normal, eye);
    const Vec3 view = normalise(aim - eye);
    for (size_t slot = 0; slot < k_actor_count; ++slot) {
        const Actor& a = state.actors[slot];
        if (actor_empty(a)) continue;
        for (const AnimSoundEvent& e : state.anim_sound_events[slot]) {
            if (e.sound == -1 || a.frame != e.frame) continue;
            const Vec3 to_actor = a.position - eye;
            const int32_t volume = 500 - trunc_clamped(8.0 * length(to_actor), 0, 1e6);
            const float s = dot(normal, a.position) + d;
            const float facing = std::fabs(dot(normalise(to_actor), view));
            const float side = state.pan_reversed ? -100.0f : 100.0f;
            const int32_t pan = trunc_clamped(s * (1 - facing) * side, -1e6, 1e6);
            play_sound(sound, e.sound, volume, pan, 0);
        }
    }
}
