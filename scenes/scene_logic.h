// The framework every scene script follows: the hit test under the mouse, walk-then-act, timed
// animations, close-up pictures and taking objects.
#pragma once

#include <cstdint>

#include "resources/scene_math.h"

struct Game;

struct SceneLogicState {
    int32_t return_fase = 0; // the fase a scripted sequence goes back to
    // Hover results of the hit test (k_no_hover: none); the hovered exit is the cursor's.
    int32_t hover_look = 0xFFFF, hover_object = 0xFFFF, hover_actor = 0xFFFF;
    // Timed animation: while running the hero's frame is the counter.
    int32_t timed_running = 0, timed_counter = 0, timed_end = 0;
    Vec3 mouse_world; // the floor point under the mouse, recorded each pass
};

void hit_test(Game& game);
void take_object(Game& game, int n, int32_t state);
// A click this pass: the left button is down and nobody has consumed it.
bool click_pending(const Game& game);
void start_timed_animation(Game& game, int32_t from, int32_t to);
// Show a picture file centred over the scene until the next click.
void show_closeup(Game& game, const char* path);
void close_closeup(Game& game);
