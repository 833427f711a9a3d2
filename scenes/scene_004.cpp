// Scene 4: the forest clearing. The hero can look at the stair, the well, the campfire and the
// toadstools, and leave by the path up the stair (scene 3), the path to the left (scene 5) and the
// path to the lower right (scene 6). A boar wanders about the clearing.
#include <string>

#include "app/game.h"
#include "app/game_render.h"
#include "scenes/character_setup.h"
#include "scenes/scene_assets.h"
#include "scenes/scene_list.h"
#include "scenes/scene_logic.h"
#include "scenes/simple_scene.h"

namespace {

constexpr int k_hero = 0, k_boar = 2;
constexpr int k_axe = 5, k_jug = 40;
constexpr int k_bird_slot = 5;
constexpr int32_t k_bird_volume = -1000;
constexpr int32_t k_came_back_from_the_hut = 1; // Flags bit: enter from scene 3 by the well

// The exits up the stair to the hut, left to the ford and down to the chapel, with the points the
// hero walks to before leaving.
constexpr WalkExit k_exits[] = {{273, 116, 350, 185, 3, 302, 199},
                                {0, 117, 86, 212, 5, 15, 238},
                                {464, 340, 640, 480, 6, 440, 420}};
// Only the exits and the pass are the shared shape's; the clearing loads its own assets.
constexpr SimpleScene k_clearing = {0, nullptr, nullptr, nullptr, 0, k_exits, {}, 0, {}};

void place_hero_by_entry(Game& game) {
    Actor& hero = game.actors.actors[k_hero];
    const int32_t from = game.story.previous_scene;
    if (from == 6)
        place_actor(hero, {53, 16.268f, -73}, 3.25f);
    else if (from == 3 && test_flag(game.story, k_came_back_from_the_hut))
        place_actor(hero, {66, 16, -46}, 5.3f);
    else
        place_actor(hero, {7.4f, 16.196f, -44.8f}, 0.5f);
}

void load_objects(Game& game) {
    SceneObject& axe = game.records.objects[k_axe];
    load_object_picture(game, k_axe, "gfx/scr_004/topor.bmp", 160, 145);
    axe.visible = 1;
    axe.hoverable = 0;
    axe.cursor = 1;
    SceneObject& jug = game.records.objects[k_jug];
    load_object_picture(game, k_jug, "gfx/scr_004/kuvsh.bmp", 538, 263);
    jug.visible = jug.hoverable = game.story.hero == 0 ? 1 : 0;
    jug.cursor = 1;
}

void load_sounds(Game& game) {
    stop_scene_sounds(game);
    load_scene_sound(game, 0, "sound/scn004/step1.wav");
    load_scene_sound(game, 1, "sound/scn004/step2.wav");
    load_scene_sound(game, 3, "sound/scn004/leaves.wav");
    start_ambient_loop(game, 3, -500);
    load_scene_sound(game, k_bird_slot, "sound/scn004/bird.wav");
    set_hero_footsteps(game);
    // The boar's hooves, grunts and snorts at the frames of its walk and rest.
    static constexpr float k_boar_frames[] = {12, 22, 137, 149, 45, 57};
    for (int i = 0; i < 6; ++i) {
        const std::string path = "sound/scn004/boar" + std::to_string(i + 1) + ".wav";
        load_scene_sound(game, 6 + i, path.c_str());
        set_anim_sound_event(game, k_boar, i, k_boar_frames[i], 6 + i);
    }
}

void load_stair(Game& game) {
    Stair& s = game.actors.stair_table[0];
    s.in_use = 1;
    s.curved = 0;
    s.bottom_x = 309;
    s.bottom_y = 285;
    s.top_x = 296;
    s.top_y = 201;
    s.bottom = {39, 16.2f, -49.97f};
    s.top = {39, 10.2f, -39.74f};
    s.up_heading = 3.1416f;
    s.down_heading = 0;
    s.steps = 3;
}

void load_assets(Game& game) {
    game.app.music_track = 0;
    load_objects(game);
    place_walk_exits(game, k_exits);
    load_sounds(game);
    load_stair(game);
    load_scene_texture(game, 14, "boar");
    auto& actors = game.actors.actors;
    place_actor(actors[k_boar], {32, 16.232f, -57}, 0);
    place_hero_by_entry(game);
    if (get_fase(game.story) == 1) game.records.objects[k_axe].visible = 0;
    actors[1].position = {9, -53, -48};
    finish_scene_assets(game, {100, -350, -250});
}

void setup_characters(Game& game) {
    setup_hero_alone(game);
    Actor& boar = game.actors.actors[k_boar];
    load_character(boar, "models/boar.ani", 8, game.config.hardware_acceleration != 0);
    setup_boar(boar).material_base = 14;
}

float random_unit(Game& game) {
    return static_cast<float>(random_next(game.random)) / 32767.0f;
}

// Now and then the boar trots off to another spot of the clearing.
void let_the_boar_wander(Game& game) {
    Actor& boar = game.actors.actors[k_boar];
    if (boar.walking || random_unit(game) >= 0.005f) return;
    const float r1 = random_unit(game), r2 = random_unit(game);
    actor_walk_to(boar, static_cast<int32_t>(170 + 200 * r1), static_cast<int32_t>(300 + 64 * r2),
                  10.0f);
}

void run_logic(Game& game) {
    let_the_boar_wander(game);
    update_and_draw(game, game.actors.actors[k_boar]);
    if (random_unit(game) < 0.002f) play_sound(game.sound, k_bird_slot, k_bird_volume, 0, 0);
    // Then the clearing plays like the small scenes around it.
    run_simple_scene(game, k_clearing);
}

} // namespace

const SceneBranches k_scene_004 = {load_assets, setup_characters, run_logic};
