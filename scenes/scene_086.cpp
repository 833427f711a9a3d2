// Scene 86: the hero choice, where every new game starts. The two heroes stand on a dais and take
// turns at tossing a cube; the one under the mouse lights up and steps forward, and a click on a
// hero starts that hero's story.
#include "app/game.h"
#include "app/game_render.h"
#include "scenes/character_setup.h"
#include "scenes/scene_assets.h"
#include "scenes/scene_effects.h"
#include "scenes/scene_list.h"
#include "scenes/scene_logic.h"

namespace {

constexpr int k_tovi = 0, k_brask = 1, k_cube = 2;
constexpr int32_t k_gesture = 3, k_step_forward = 4, k_held_pose = 10, k_step_back = 12;
// The gesture's frames in which the cube is in the thrower's hand, and the frame it is thrown.
constexpr float k_cube_caught = 75, k_cube_thrown = 141;
constexpr int32_t k_gesture_turn = 1; // Flags bit: Brask's turn at the gesture

void load_assets(Game& game) {
    game.app.music_track = 11;
    load_scene_texture(game, 1, "kub");
    stop_scene_sounds(game);
    load_scene_sound(game, 0, "sound/step/paspave1.wav");
    load_scene_sound(game, 1, "sound/step/paspave2.wav");
    load_scene_sound(game, 2, "sound/door5_05.wav");
    load_scene_sound(game, 3, "sound/feu1.wav");
    set_sound_volume(game.sound, 3, -1000); // the fire waits, quieter, for the logic to start it
    load_scene_sound(game, 4, "sound/s17-03.wav");
    auto& actors = game.actors.actors;
    place_actor(actors[k_tovi], {19, 8.65f, -10}, 6.1f);
    actors[k_tovi].hoverable = 1;
    place_actor(actors[k_cube], {19, 8.65f, -10}, 6.1f);
    place_actor(actors[k_brask], {20, 8.65f, -22}, 3.1f);
    actors[k_brask].hoverable = 1;
    game.story.DIALOG = 0;
    // The hot air over the two braziers.
    start_shimmer_over_fire(game, 0);
    start_shimmer_over_fire(game, 1);
    finish_scene_assets(game, {-100, -300, -200});
}

void setup_characters(Game& game) {
    const bool hw = game.config.hardware_acceleration != 0;
    auto& actors = game.actors.actors;
    load_character(actors[k_tovi], "models/tovi_choice.ani", 2, hw);
    setup_choice(actors[k_tovi]).material_base = 0;
    load_character(actors[k_brask], "models/brask_choice.ani", 2, hw);
    setup_choice(actors[k_brask]).material_base = 3;
    load_character(actors[k_cube], "models/kub_tovi.ani", 2, hw);
    setup_choice_cube(actors[k_cube]).material_base = 1;
}

bool random_chance(Game& game, float p) {
    return static_cast<float>(random_next(game.random)) / 32767.0f < p;
}

// Now and then one hero starts the long gesture, each in turn.
void take_turns_at_the_gesture(Game& game) {
    if (!random_chance(game, 0.05f)) return;
    Actor& tovi = game.actors.actors[k_tovi];
    Actor& brask = game.actors.actors[k_brask];
    if (tovi.state == 0 && !test_flag(game.story, k_gesture_turn) && brask.state != k_gesture) {
        tovi.state = k_gesture;
        set_flag(game.story, k_gesture_turn);
    }
    if (brask.state == 0 && test_flag(game.story, k_gesture_turn) && tovi.state != k_gesture) {
        brask.state = k_gesture;
        clear_flag(game.story, k_gesture_turn);
    }
}

// The cube rests on the floor, or is in the hand of the hero making the gesture (the hero's model
// draws it then), or flies from where that hero threw it.
void move_the_cube(Game& game) {
    auto& actors = game.actors.actors;
    Actor& cube = actors[k_cube];
    for (int h : {k_tovi, k_brask}) {
        const Actor& hero = actors[size_t(h)];
        if (hero.state != k_gesture) continue;
        if (hero.frame >= k_cube_caught && hero.frame <= k_cube_thrown) {
            cube.position = hero.position;
            cube.heading = hero.heading;
            if (hero.frame == k_cube_thrown) cube.state = 1;
            return;
        }
        break;
    }
    ActorContext ctx = actor_context(game);
    actor_animate_plain(ctx, cube);
    draw_actor(game, cube);
}

// The hero under the mouse is drawn fully lit and steps forward; the other steps back.
void light_the_hovered_hero(Game& game) {
    for (int h : {k_tovi, k_brask}) {
        Actor& hero = game.actors.actors[size_t(h)];
        const bool hovered = game.logic.hover_actor == h;
        hero.tint = hovered ? 0xFFFFFFFFu : 0;
        if (hovered && hero.state == 0) hero.state = k_step_forward;
        if (!hovered && hero.state == k_held_pose) hero.state = k_step_back;
    }
}

void choose_a_hero(Game& game) {
    if (!click_pending(game)) return;
    close_closeup(game);
    StoryState& s = game.story;
    s.EXE = 0;
    if (game.logic.hover_actor == k_tovi) {
        s.hero = 0;
        s.current_scene = 1;
        s.story_cycle = 0;
    }
    if (game.logic.hover_actor == k_brask) {
        s.hero = 1;
        s.current_scene = 31;
        s.fase[31] = 3;
        s.Flags[50] = 4;
        s.story_cycle = 0;
    }
    consume_click(game);
}

void run_logic(Game& game) {
    game.cursor.cursor_kind = 0;
    take_turns_at_the_gesture(game);
    auto& actors = game.actors.actors;
    animate_and_draw(game, actors[k_tovi]);
    animate_and_draw(game, actors[k_brask]);
    move_the_cube(game);
    hit_test(game);
    game.cursor.cursor_kind = 0; // the heroes show the plain pointer
    light_the_hovered_hero(game);
    game.story.DIALOG = 0;
    if (game.story.EXE != 0) {
        ActorContext ctx = actor_context(game);
        if (actor_arrived(ctx, actors[k_tovi])) game.story.EXE = 0;
    }
    choose_a_hero(game);
    record_mouse_world(game);
}

} // namespace

const SceneBranches k_scene_086 = {load_assets, setup_characters, run_logic};
