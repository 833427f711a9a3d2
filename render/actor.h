// The character record and its update.
//
// Every 3D character of a scene lives in one of 16 slots; slot 0 is the hero being played. A
// record holds its model, its place, facing and scale, its walk order and path, its stair climb,
// its animation table with the state being played, and its collision circle. The scene logic
// gives walk orders and calls actor_update and the drawing for each character it shows, once per
// game frame.
//
// World y grows downwards. A heading h is an angle around the vertical axis; it faces the floor
// direction (sin h, 0, -cos h).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "app/random.h"
#include "render/camera.h"
#include "resources/model.h"
#include "resources/scene_background.h"
#include "resources/scene_description.h"

struct SoundState;

inline constexpr int k_actor_count = 16;
inline constexpr int k_anim_count = 64;
inline constexpr int k_idle_families = 8;
inline constexpr int k_path_capacity = 512;
inline constexpr int k_collision_count = 16;
inline constexpr int k_sound_events = 64;
inline constexpr int k_stair_count = 16;
// The loop_to value of an entry that does not loop (2 to the power 32).
inline constexpr float k_no_loop = 4294967296.0f;
// A final heading above 2 pi asks for none.
inline constexpr float k_two_pi = 6.2831853f;
inline constexpr float k_pi_f = 3.14159265f;

// Fixed state numbers of walking, turning and climbing.
enum ActorStateNumber : int32_t {
    k_state_walk = 8,
    k_state_turn_up = 9,    // heading increasing
    k_state_turn_down = 10, // heading decreasing
    k_state_climb_up_step = 11,
    k_state_climb_down_start = 12,
    k_state_climb_up_end_odd = 13,
    k_state_climb_up_end_even = 14,
    k_state_climb_down_end_odd = 15,
    k_state_climb_down_end_even = 16,
    k_state_climb_up_start = 17,
    k_state_run = 18,
};

struct AnimEntry {
    float first = 0, last = 0;
    float loop_to = 0; // k_no_loop: the state changes to `next` after `last`
    float step = 0;    // frames per update
    int32_t next = 0;
    std::array<uint32_t, 2> unused{};   // kept as the set-up data wrote them
    float move_step = 0, rise_step = 0; // per update while this entry plays on a stair
};

struct Actor {
    int32_t update_count = 0;
    int32_t running = 0;
    int32_t may_run = 0;
    int32_t blend_mode = 0; // 0 opaque, 1 multiplying, 2 additive, 255 carried: parts not drawn
    int32_t hoverable = 0;
    int32_t smooth_edges = 1;
    uint32_t tint = 0; // nonzero: replaces every vertex colour
    int32_t retarget_any_state = 0;
    std::array<int32_t, 4> draw_rect{};   // max x, max y, min x, min y
    std::array<int32_t, 4> shadow_rect{}; // the same for the software blob shadow
    float collision_radius_sq = 0;
    int32_t collision_slot = 0;
    Vec3 scale;
    Vec3 position, destination, stair_exit, waypoint;
    int32_t target_x = 0, target_y = 0;
    int32_t order_x = 0, order_y = 0;
    float final_heading = 0;
    int32_t stair_entry_x = 0, stair_entry_y = 0;
    int32_t retarget = 0;
    int32_t waypoint_x = 0, waypoint_y = 0;
    int32_t path_length = 0; // -1: no path found
    std::array<std::array<int32_t, 2>, k_path_capacity> path{};
    int32_t straight_path = 0;
    float walk_speed = 0, run_speed = 0;
    int32_t path_index = 0;
    int32_t walking = 0;
    float frame = 0;
    int32_t state = 0;
    int32_t idle_variants = 0;
    std::array<AnimEntry, k_anim_count> anims{};
    std::array<int32_t, k_idle_families> idle_states{};
    std::array<int32_t, k_idle_families> idle_variant_counts{};
    int32_t idle_state = 0;
    int32_t stair_frames = 0;
    float rise_step = 0, move_step = 0;
    float stair_heading = 0, stair_turn = 0;
    int32_t on_stairs = 0;      // 0 no, 1 going down, 2 going up
    int32_t stairs_pending = 0; // walking to a stair entry: 0 no, 1 down, 2 up
    int32_t resume_x = 0, resume_y = 0;
    int32_t stair_end_state = 0;
    float heading = 0, turn_target = 0, turn_step = 0;
    float script_value = 0; // free for the scene logic
    uint32_t part_count = 0;
    Model model; // empty: a free slot
    int32_t material_base = 0;
    int32_t shadow_kind = 0;
    std::array<float, 5> footprint{}; // min x, max x, min y, min z, max z of baked vertices
    // Record words this code does not use, kept as a loaded game had them.
    std::array<int32_t, 7> spare_words{};
};

inline bool actor_empty(const Actor& a) {
    return a.model.parts.empty();
}

// The animation entry of a state; a state outside the table reads entry 0.
const AnimEntry& anim_at(const Actor& a, int32_t state);

struct CollisionCircle {
    int32_t in_use = 0;
    Vec3 centre;
    float radius_sq = 0;
};

struct AnimSoundEvent {
    float frame = 0;
    int32_t sound = -1; // -1: empty
};

struct Stair {
    int32_t in_use = 0, curved = 0;
    int32_t bottom_x = 0, bottom_y = 0; // screen point where a climb up starts
    int32_t top_x = 0, top_y = 0;       // screen point where a climb down starts
    Vec3 bottom, top;
    float up_heading = 0, down_heading = 0;
    float up_turn = 0, down_turn = 0;
    float steps = 0;
};

// The path search's workspace: distances over the walk map and a ring queue of cell numbers,
// allocated once so a search never allocates.
inline constexpr size_t k_path_queue_capacity = 65536;

struct PathSearch {
    std::vector<uint16_t> distance = std::vector<uint16_t>(k_walk_map_bytes);
    std::vector<uint32_t> queue = std::vector<uint32_t>(k_path_queue_capacity);
    std::vector<uint32_t> trace = std::vector<uint32_t>(k_walk_map_bytes);
};

// Everything about the characters of the running game.
struct ActorState {
    std::array<Actor, k_actor_count> actors{};
    std::array<CollisionCircle, k_collision_count> collision_table{};
    std::array<std::array<AnimSoundEvent, k_sound_events>, k_actor_count> anim_sound_events{};
    std::array<Stair, k_stair_count> stair_table{};
    int32_t searches_this_frame = 0; // at most one path search per game frame
    int32_t pan_reversed = 0;        // set by the scene logic: sound events pan the other way
    PathSearch search;
};

// What an update reads and writes beyond the actor itself.
struct ActorContext {
    ActorState& actors;
    const SceneCamera& camera;
    const SceneBuffers& scene;
    Random& random;
};

// Reset a slot to the fresh state (every field 0, smooth_edges 1), releasing its model.
void actor_reset(Actor& a);

// At the start of every game frame: the frame's one path search is free again.
inline void actors_begin_frame(ActorState& state) {
    state.searches_this_frame = 0;
}

void actor_update(ActorContext& ctx, Actor& a);
void actor_walk_to(Actor& a, int32_t x, int32_t y, float final_heading);
int actor_arrived(const ActorContext& ctx, Actor& a);
void actor_animate(ActorContext& ctx, Actor& a);
void actor_animate_plain(ActorContext& ctx, Actor& a);

void actor_free_model(Actor& a);
void actors_release_all(ActorState& state);
void actors_forget_models(ActorState& state);

void collision_enter(ActorState& state, Actor& a);
// True when the move into another actor's circle stopped the actor (walking = 0).
bool collision_test(const ActorState& state, Actor& a);
void collision_clear(ActorState& state);

void actor_bake(Actor& a);
void actor_bake_turned(Actor& a);

void play_anim_sound_events(const ActorState& state, SoundState& sound, const SceneCamera& camera);

// The heading that faces the floor direction (dx, dz).
float heading_facing(float dx, float dz);

// Turn toward heading t: at once within pi/6, else start a turn on the spot (state 9 or 10).
// True when the heading was set at once.
bool actor_turn_toward(Actor& a, float t);

// Frame step; `update` adds the parts that only actor_update runs (turn end, stair steps).
void actor_frame_step(Actor& a, bool update);
void actor_idle_lookup(Actor& a);
void actor_idle_variant_choice(Actor& a, Random& random);
