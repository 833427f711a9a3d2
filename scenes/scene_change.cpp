#include "scenes/scene_change.h"

#include <algorithm>

#include "app/game.h"
#include "app/input.h"
#include "app/menu.h"
#include "app/save_load.h"
#include "resources/scene_background.h"
#include "scenes/scene_routines.h"

namespace {

constexpr int32_t k_fade_step = 16;
constexpr int32_t k_script_fade_step = 8;

// The objects whose names come back from the tool-name table at every unload, in this order.
constexpr int k_named_objects[][2] = {
    {1023, 1023}, {0, 0},     {4, 4},     {12, 12},   {14, 19}, {25, 25}, {27, 34},
    {36, 40},     {42, 46},   {49, 50},   {52, 55},   {57, 58}, {60, 64}, {66, 68},
    {70, 74},     {76, 76},   {78, 81},   {84, 84},   {86, 87}, {89, 91}, {94, 102},
    {104, 108},   {111, 126}, {128, 128}, {130, 132},
};

// Move the fade level one step and clamp it: a level that went below zero (seen unsigned, above
// 65500) is black, one above the configured slope is full brightness.
int32_t stepped_level(int32_t level, int32_t direction_word, int32_t step, int32_t gamma_level) {
    level += fading_out(direction_word) ? -step : step;
    if (static_cast<uint32_t>(level) > 65500u) return 0;
    return std::min(level, gamma_level);
}

void reload_object_names(Game& game) {
    for (const auto& range : k_named_objects)
        for (int n = range[0]; n <= range[1]; ++n)
            load_tool_name(game, n, game.records.objects[size_t(n)].name);
}

// What a new game and the restart with the other hero share.
void reset_story(Game& game) {
    StoryState& s = game.story;
    s.fase.fill(0);
    s.Flags.fill(0);
    s.MainSost = 0;
    s.MainFlags = 0;
    s.active_tool = -1;
    game.toolbar.toolbar_open = 0;
    close_closeup(game);
    for (SceneObject& o : game.records.objects) {
        o.state = 0;
        o.scene = -1;
    }
    for (Actor& a : game.actors.actors) actor_reset(a);
}

} // namespace

void write_fade_ramps(Game& game, int32_t level) {
    set_gamma(game, level);
}

void fade_step(Game& game) {
    FrameState& f = game.frame;
    if (f.fade_state == 0) return;
    f.fade_level = stepped_level(f.fade_level, f.fade_state, k_fade_step, game.config.gamma_level);
    write_fade_ramps(game, f.fade_level);
    if (f.fade_level == game.config.gamma_level) f.fade_state = 0;
    if (f.fade_level == 0) change_at_black(game);
}

void change_at_black(Game& game) {
    StoryState& s = game.story;
    game.frame.fade_state = 4;
    s.previous_scene = s.current_scene;
    s.current_scene = s.next_scene;
    enter_scene_now(game);
    auto_save(game);
}

void enter_scene_now(Game& game) {
    unload_scene(game);
    load_scene_background(game);
    load_scene_assets(game);
    setup_scene_characters(game);
}

void unload_scene(Game& game) {
    SceneRecords& r = game.records;
    for (SceneObject& o : r.objects) {
        o.picture.reset();
        o.visible = 0;
        o.hoverable = 0;
    }
    for (ExitZone& e : r.exits) e.enabled = 0;
    for (AnimStrip& strip : r.strips) {
        strip.picture.reset();
        strip.mode = 0;
    }
    ActorState& actors = game.actors;
    actors.stair_table = {};
    actors.collision_table = {};
    game.fires = {};
    game.draw.fog_volumes = {};
    game.lighting.light_table = {};
    game.draw.shadows.shadow_light_count = 1;
    game.draw.shadows.shadow_extrusion = 0.25f;
    // The slots start afresh, their sound events too: a scene's character must not play the
    // sounds of whoever held its slot in the previous scene.
    actors_release_all(actors);
    for (Actor& a : actors.actors) actor_reset(a);

    game.toolbar.tool_picture.reset();
    game.text.subtitle_length = 0;
    game.story.EXE = 0;
    game.story.DIALOG = 0;
    game.logic.timed_running = 0;
    game.app.Minigame = 0;
    game.frame.fade_state = 1;
    reload_object_names(game);
}

void start_script_fade_out(Game& game) {
    game.frame.script_fade = -1;
}

void start_script_fade_in(Game& game) {
    game.frame.script_fade = 1;
}

bool step_script_fade(Game& game) {
    FrameState& f = game.frame;
    if (f.script_fade == 0) return true;
    f.fade_level =
        stepped_level(f.fade_level, f.script_fade, k_script_fade_step, game.config.gamma_level);
    write_fade_ramps(game, f.fade_level);
    if (f.fade_level == game.config.gamma_level || f.fade_level == 0) {
        f.script_fade = 0;
        return true;
    }
    return false;
}

void new_game(Game& game) {
    reset_story(game);
    StoryState& s = game.story;
    s.story_cycle = 0;
    s.hero = 1;
    s.current_scene = k_choice_scene;
    game.frame.final_ending_shown = 0;
    enter_scene_now(game);
    // The first pass shows the scene at once: the fade-in that unloading starts is already at
    // full brightness.
    game.frame.fade_level = game.config.gamma_level;
    write_fade_ramps(game, game.frame.fade_level);
}

void start_game_in_scene(Game& game, int scene, int hero) {
    reset_story(game);
    StoryState& s = game.story;
    s.story_cycle = 0;
    s.hero = hero;
    s.current_scene = scene;
    s.next_scene = scene;
    game.frame.final_ending_shown = 0;
    enter_scene_now(game);
    game.frame.fade_level = game.config.gamma_level;
    write_fade_ramps(game, game.frame.fade_level);
}

void restart_with_other_hero(Game& game) {
    reset_story(game);
    StoryState& s = game.story;
    s.DIALOG = 0;
    s.story_cycle = 1;
    if (s.hero == 0) {
        s.hero = 1;
        s.current_scene = 31;
        s.fase[31] = 3;
        s.Flags[50] = 4;
    } else {
        s.hero = 0;
        s.current_scene = 1;
    }
}

void final_ending(Game& game) {
    StoryState& s = game.story;
    s.previous_scene = -1;
    s.current_scene = -1;
    if (game.frame.final_ending_shown) return;
    game.frame.final_ending_shown = 1;
    open_menu_from_game(game);
}
