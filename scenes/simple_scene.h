// The shape of the small scenes around the clearing: the hero alone, look zones to comment on,
// exits walked to and left on arrival, and an ambient loop.
#pragma once

#include <cstdint>
#include <span>

#include "resources/scene_math.h"

struct Game;

struct WalkExit {
    int32_t x1, y1, x2, y2;
    int32_t destination;
    int32_t walk_x, walk_y; // where the hero walks before leaving
};

struct SimpleScene {
    int32_t music_track;
    const char* footstep1;
    const char* footstep2;
    const char* ambient; // an ambient loop in slot 3
    int32_t ambient_volume;
    std::span<const WalkExit> exits; // exit k has walk-then-act code k + 1
    Vec3 entry;                      // the hero's place when it comes in
    float entry_heading;
    Vec3 shadow_light;
};

void load_simple_scene_assets(Game& game, const SimpleScene& scene);
// The exit zones of a list, enabled, in table order.
void place_walk_exits(Game& game, std::span<const WalkExit> exits);
// Slot 0: the hero of the hero selector.
void setup_hero_alone(Game& game);

// A whole pass of a scene with nothing of its own: the hit test, leaving, clicks, the hero.
void run_simple_scene(Game& game, const SimpleScene& scene);

// The parts of a pass the scenes share, in their order.
void leave_by_exit_on_arrival(Game& game, const SimpleScene& scene);
// A click on a look zone, an exit or the floor. False when the click was something else (an
// object of the scene's own), left for the scene to handle.
bool handle_simple_click(Game& game, const SimpleScene& scene);
