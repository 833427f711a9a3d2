// The story: which scene runs, where it came from, the hero, and the per-scene progress words
// that scene scripts switch on. All of it is saved with the game except `next_scene`.
#pragma once

#include <array>
#include <cstdint>

inline constexpr int k_scene_count = 87; // scenes 0..86
inline constexpr int k_choice_scene = 86;

struct StoryState {
    int32_t current_scene = -1; // -1: no game running
    int32_t previous_scene = -1;
    int32_t next_scene = -1;
    int32_t story_cycle = 0;
    int32_t MainSost = 0;
    int32_t MainFlags = 0;
    int32_t hero = 0; // hero selector: 0 Tovi, 1 Brask
    std::array<int32_t, 256> fase{};
    std::array<int32_t, 256> Flags{};
    int32_t DIALOG = 0;       // step of the scripted sequence the scene runs
    int32_t EXE = 0;          // walk-then-act code, carried out when the hero arrives
    int32_t active_tool = -1; // object number of the tool in the hero's hand
};

// The scene routines act only on a scene in 0..86; the comparison is unsigned so -1 is outside.
inline bool scene_in_range(int32_t scene) {
    return static_cast<uint32_t>(scene) < static_cast<uint32_t>(k_scene_count);
}

// Table index of a scene number: a number outside the 256 entries uses entry 255, which no scene
// owns, so a stray number never writes outside the tables.
inline size_t story_index(int32_t scene) {
    return static_cast<uint32_t>(scene) < 256u ? static_cast<size_t>(scene) : 255u;
}

inline void set_fase(StoryState& s, int32_t value) {
    s.fase[story_index(s.current_scene)] = value;
}
inline int32_t get_fase(const StoryState& s) {
    return s.fase[story_index(s.current_scene)];
}
inline void set_fase_of(StoryState& s, int32_t scene, int32_t value) {
    s.fase[story_index(scene)] = value;
}
inline void set_flag(StoryState& s, int32_t mask) {
    s.Flags[story_index(s.current_scene)] |= mask;
}
inline int32_t test_flag(const StoryState& s, int32_t mask) {
    return s.Flags[story_index(s.current_scene)] & mask;
}
inline void clear_flag(StoryState& s, int32_t mask) {
    s.Flags[story_index(s.current_scene)] &= ~mask;
}
inline void set_flag_of(StoryState& s, int32_t scene, int32_t mask) {
    s.Flags[story_index(scene)] |= mask;
}
inline int32_t test_flag_of(const StoryState& s, int32_t scene, int32_t mask) {
    return s.Flags[story_index(scene)] & mask;
}
inline void clear_flag_of(StoryState& s, int32_t scene, int32_t mask) {
    s.Flags[story_index(scene)] &= ~mask;
}
