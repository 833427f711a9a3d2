// The framework every scene script follows: the hit test under the mouse, walk-then-act, timed
// animations, close-up pictures and taking objects.
#pragma once

#include <cstdint>

#include "resources/scene_math.h"

struct Game;
struct Actor;

struct SceneLogicState {
    int32_t return_fase = 0; // the fase a scripted sequence goes back to
    // Hover results of the hit test (k_no_hover: none); the hovered exit is the cursor's.
    int32_t hover_look = 0xFFFF, hover_object = 0xFFFF, hover_actor = 0xFFFF;
    // Timed animation: while running the hero's frame is the counter.
    int32_t timed_running = 0, timed_counter = 0, timed_end = 0;
    Vec3 mouse_world; // the floor point under the mouse, recorded each pass
};

// The look zone, exit, object and actor under the mouse, and the cursor kind they ask for. With
// a close-up shown nothing is hovered.
void hit_test(Game& game);
// Object n leaves the scene with the given state (1: the hero has taken it); the tool in hand is
// dropped.
void take_object(Game& game, int n, int32_t state);
// A click this pass: the left button is down and nobody has consumed it.
bool click_pending(const Game& game);
// Mark the pass's click as consumed.
void consume_click(Game& game);

// The hero stands still at the point it was sent to (the simple arrival test of scenes whose
// walk orders ask for no final heading).
bool hero_stands_at_order(const Actor& hero);

// A timed animation plays the hero's frames from..to, one per pass.
void start_timed_animation(Game& game, int32_t from, int32_t to);
// One pass of it: the counter advances and becomes the hero's frame. True in the pass in which
// it reaches its end; the hero is then back at rest and the animation stopped.
bool step_timed_animation(Game& game);

// Show a picture file centred over the scene until the next click.
void show_closeup(Game& game, const char* path);
void close_closeup(Game& game);

// Record the world point under the mouse from the scene's depth picture.
void record_mouse_world(Game& game);
