// Character set-up routines: each fills an actor slot's animation table and movement values with
// the constants of one character model. The scene's character set-up loads a model into a slot
// and then runs the routine for it.
//
// State numbers keep fixed roles: 0 rest, 1..7 rest variations, 8 walk, 9 and 10 turns on the
// spot, 11..17 stair states, 18 run, 20 and above actions, 30..49 further idle families.
#pragma once

#include <string_view>

#include "render/actor.h"

// The heroes. Tovi's table is the richest; Brask's has the same shape with his own rest, walk,
// turn and run frames and action states 25..27 in place of 24.
Actor& setup_tovi(Actor& a);
Actor& setup_brask(Actor& a);

// A prop: one state 0 of frames 0..0 looping, no walking, no shadow, no circle. Scene branches
// give state 0 its frame range.
Actor& setup_prop(Actor& a);

// A character standing with one rest variation.
Actor& setup_standing_with_variation(Actor& a);

// The hero of a hero selector (0 Tovi, 1 Brask).
Actor& setup_hero_by_selector(Actor& a, int hero);

// The two heroes' models of the hero choice: rest, a long gesture with the cube, stepping forward
// to a held pose and back.
Actor& setup_choice(Actor& a);
// The cube the heroes of the choice toss: held at rest on the floor, or its flight and bounce.
Actor& setup_choice_cube(Actor& a);

// The shared fly of the flying insects: its wing beat, frames 0..7 looping, and nothing else.
Actor& setup_fly(Actor& a);

// The boar of the forest clearing: a walking animal that roots and looks up while it rests.
Actor& setup_boar(Actor& a);

// Load a model into a slot at a normal scale (the strength of its diffuse lighting). The slot's
// collision slot and idle families are reset first; a slot that already holds a model keeps it.
void load_character(Actor& a, std::string_view path, float normal_scale,
                    bool hardware_acceleration);
