// The heroes' animations: which frames of a hero's model play which motion, and the motions
// themselves, made procedurally (keyed poses, walk and run cycles with planted feet, stair
// climbs that step on treads of the stair's height).
//
// A clip's first and last frames are the neutral standing pose (or, for the kneeling family, the
// kneeling pose), so that the game can switch between states at any clip boundary without a
// jump; looping clips end where they loop to.
#pragma once

#include <string>
#include <vector>

#include "tools/demo/character.h"

enum class Motion {
    rest,            // breathing, loops
    fidget_look,     // looks around
    fidget_scratch,  // scratches the head
    fidget_stretch,  // stretches and shifts the weight
    walk,            // start-up, then a cycle from the clip's loop frame
    run,             // the same, running
    turn_left,       // steps on the spot while the heading increases
    turn_right,      // ... decreases
    stair_up_start,  // puts the first foot on the first step
    stair_up,        // two steps up per cycle
    stair_up_end1,   // the last step up, feet together
    stair_up_end2,   // the last two steps up
    stair_down,      // first step down, then two steps per cycle from the loop frame
    stair_down_end1, // the last step down
    stair_down_end2, // the last two steps down
    pick_up,         // bends down and picks something up from the floor
    use,             // works something at hand height
    take,            // reaches forward, takes a thing and stows it
    push,            // pushes with both hands
    throw_high,      // throws something up and forwards
    lift,            // lifts something heavy
    strike,          // strikes downwards with both hands
    talk_long,       // talks with both hands
    talk_nod,        // nods and shrugs
    talk_point,      // points ahead
    kneel_down,      // goes down on one knee
    kneel_hold,      // kneels, loops
    kneel_look,      // kneeling, looks around
    kneel_search,    // kneeling, searches the ground
    kneel_reach,     // kneeling, reaches forward
    kneel_dig,       // kneeling, digs
    kneel_wave,      // kneeling, waves
    stand_up,        // gets up from kneeling
    choice_rest,     // hero choice: stands proudly, loops
    choice_gesture,  // hero choice: conjures the cube, juggles it and throws it
    choice_step,     // hero choice: steps forward, holds, flourishes
    choice_back,     // hero choice: steps back
    choice_idle,     // hero choice: looks around
};

struct Clip {
    int state;       // the animation state that plays it (-1: none)
    int first, last; // frames
    Motion motion;
    int loop_to = -1; // for cycles: where the cycle starts
};

struct HeroAnimation {
    std::vector<Clip> clips;
    int frame_count = 0;
};

// The frame layouts of the two heroes and of the hero-choice models. Tovi's follows the states
// of his set-up; Brask's has its own frame ranges (documented in docs/content.md).
HeroAnimation tovi_animation();
HeroAnimation brask_animation();
HeroAnimation choice_animation();

// Movement per update of the stair states (the set-up's move and rise words): the climbs place
// their feet on treads 3.0 deep and 2.0 high.
inline constexpr double k_stair_tread = 3.0;
inline constexpr double k_stair_rise = 2.0;
inline constexpr double k_walk_speed = 0.4839;
inline constexpr double k_run_speed = 1.4839;

// The pose of every frame of a hero for a frame layout. `turn` is the choice models' yaw,
// taken into account for the cube's flight (see choice_cube_place).
PoseTrack hero_track(const HeroLook& look, const HeroAnimation& animation);

// Hero choice: the cube's placement in the hand while it is held (frames 75..141 of the
// gesture), and its flight after the throw at frame 141, in the thrower's model space before
// the model's turn; frame 197 is where it comes to rest.
// The choice models turn to face the camera of the hero-choice scene, which looks along -x at
// heroes standing at headings 6.1 (Tovi) and 3.1 (Brask).
inline constexpr double k_choice_turn_tovi = k_pi / 2 - 6.1;
inline constexpr double k_choice_turn_brask = k_pi / 2 - 3.1;
inline constexpr int k_cube_caught = 75;
inline constexpr int k_cube_thrown = 141;
inline constexpr int k_cube_rests = 197;
Frame3 cube_in_hand(int frame, const std::array<Frame3, bone_count>& bones);
Frame3 cube_flight(int frame);
