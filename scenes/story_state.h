// The story: which scene runs, where it came from, and the per-scene progress words.
#pragma once

#include <array>
#include <cstdint>

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
};
