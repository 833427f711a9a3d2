#include "render/actor_record.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// One visitor walks every field at its offset, for writing and for reading, so the two
// directions cannot drift apart.
struct Writer {
    uint8_t* out;
    void word(size_t offset, const void* value) { std::memcpy(out + offset, value, 4); }
};

struct Reader {
    const uint8_t* in;
    void word(size_t offset, void* value) { std::memcpy(value, in + offset, 4); }
};

template <class V, class A> void visit_vec(V& v, size_t offset, A& p) {
    v.word(offset, &p.x);
    v.word(offset + 4, &p.y);
    v.word(offset + 8, &p.z);
}

template <class V, class A> void visit_anim(V& v, size_t o, A& e) {
    v.word(o, &e.first);
    v.word(o + 4, &e.last);
    v.word(o + 8, &e.loop_to);
    v.word(o + 12, &e.step);
    v.word(o + 16, &e.next);
    v.word(o + 20, &e.unused[0]);
    v.word(o + 24, &e.unused[1]);
    v.word(o + 28, &e.move_step);
    v.word(o + 32, &e.rise_step);
}

constexpr size_t k_spare_offsets[7] = {164, 168, 172, 188, 4312, 6736, 6740};

template <class V, class A> void visit_actor(V& v, A& a) {
    v.word(0, &a.update_count);
    v.word(4, &a.running);
    v.word(8, &a.may_run);
    v.word(12, &a.blend_mode);
    v.word(16, &a.hoverable);
    v.word(20, &a.smooth_edges);
    v.word(24, &a.tint);
    v.word(28, &a.retarget_any_state);
    for (size_t i = 0; i < 4; ++i) v.word(32 + 4 * i, &a.draw_rect[i]);
    for (size_t i = 0; i < 4; ++i) v.word(48 + 4 * i, &a.shadow_rect[i]);
    v.word(64, &a.collision_radius_sq);
    v.word(68, &a.collision_slot);
    visit_vec(v, 72, a.scale);
    visit_vec(v, 84, a.position);
    visit_vec(v, 96, a.destination);
    visit_vec(v, 108, a.stair_exit);
    visit_vec(v, 120, a.waypoint);
    v.word(132, &a.target_x);
    v.word(136, &a.target_y);
    v.word(140, &a.order_x);
    v.word(144, &a.order_y);
    v.word(148, &a.final_heading);
    v.word(152, &a.stair_entry_x);
    v.word(156, &a.stair_entry_y);
    v.word(160, &a.retarget);
    v.word(176, &a.waypoint_x);
    v.word(180, &a.waypoint_y);
    v.word(184, &a.path_length);
    for (size_t i = 0; i < k_path_capacity; ++i) {
        v.word(k_offset_path + 8 * i, &a.path[i][0]);
        v.word(k_offset_path + 8 * i + 4, &a.path[i][1]);
    }
    v.word(4288, &a.straight_path);
    v.word(4292, &a.walk_speed);
    v.word(4296, &a.run_speed);
    v.word(4300, &a.path_index);
    v.word(4304, &a.walking);
    v.word(4308, &a.frame);
    v.word(4316, &a.state);
    v.word(4320, &a.idle_variants);
    for (size_t i = 0; i < k_anim_count; ++i)
        visit_anim(v, k_offset_anims + k_anim_entry_bytes * i, a.anims[i]);
    for (size_t i = 0; i < k_idle_families; ++i) v.word(6628 + 4 * i, &a.idle_states[i]);
    for (size_t i = 0; i < k_idle_families; ++i) v.word(6660 + 4 * i, &a.idle_variant_counts[i]);
    v.word(6692, &a.idle_state);
    v.word(6696, &a.stair_frames);
    v.word(6700, &a.rise_step);
    v.word(6704, &a.move_step);
    v.word(6708, &a.stair_heading);
    v.word(6712, &a.stair_turn);
    v.word(6716, &a.on_stairs);
    v.word(6720, &a.stairs_pending);
    v.word(6724, &a.resume_x);
    v.word(6728, &a.resume_y);
    v.word(6732, &a.stair_end_state);
    v.word(k_offset_heading, &a.heading);
    v.word(6748, &a.turn_target);
    v.word(6752, &a.turn_step);
    v.word(6756, &a.script_value);
    v.word(6760, &a.part_count);
    v.word(6772, &a.material_base);
    v.word(6776, &a.shadow_kind);
    for (size_t i = 0; i < 5; ++i) v.word(k_offset_footprint + 4 * i, &a.footprint[i]);
    for (size_t i = 0; i < 7; ++i) v.word(k_spare_offsets[i], &a.spare_words[i]);
}

int32_t state_in_table(int32_t s) {
    return std::clamp(s, 0, k_anim_count - 1);
}

float finite_or_zero(float f) {
    return std::isfinite(f) ? f : 0.0f;
}

} // namespace

void encode_actor(const Actor& a, std::span<uint8_t, k_actor_record_bytes> out) {
    std::fill(out.begin(), out.end(), uint8_t{0});
    Writer w{out.data()};
    visit_actor(w, a);
}

void decode_actor(std::span<const uint8_t, k_actor_record_bytes> in, Actor& a) {
    a.model = Model{};
    Reader r{in.data()};
    visit_actor(r, a);
    a.state = state_in_table(a.state);
    a.path_length = std::clamp(a.path_length, -1, k_path_capacity);
    a.path_index = std::clamp(a.path_index, 0, k_path_capacity - 1);
    a.collision_slot = std::clamp(a.collision_slot, 0, k_collision_count - 1);
    a.frame = finite_or_zero(a.frame);
    a.heading = finite_or_zero(a.heading);
}
