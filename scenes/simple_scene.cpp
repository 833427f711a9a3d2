#include "scenes/simple_scene.h"

#include "app/game.h"
#include "app/game_render.h"
#include "scenes/character_setup.h"
#include "scenes/scene_assets.h"
#include "scenes/scene_logic.h"

namespace {

constexpr int k_hero = 0;
constexpr float k_keep_heading = 10.0f;

} // namespace

void place_walk_exits(Game& game, std::span<const WalkExit> exits) {
    for (size_t k = 0; k < exits.size(); ++k) {
        const WalkExit& e = exits[k];
        place_exit(game, int(k), e.x1, e.y1, e.x2, e.y2, e.destination);
    }
}

void load_simple_scene_assets(Game& game, const SimpleScene& scene) {
    game.app.music_track = scene.music_track;
    place_walk_exits(game, scene.exits);
    stop_scene_sounds(game);
    load_scene_sound(game, 0, scene.footstep1);
    load_scene_sound(game, 1, scene.footstep2);
    load_scene_sound(game, 3, scene.ambient);
    start_ambient_loop(game, 3, scene.ambient_volume);
    set_hero_footsteps(game);
    place_actor(game.actors.actors[k_hero], scene.entry, scene.entry_heading);
    finish_scene_assets(game, scene.shadow_light);
}

void setup_hero_alone(Game& game) {
    Actor& hero = game.actors.actors[k_hero];
    const int h = game.story.hero;
    load_character(hero, h == 1 ? "models/brask.ani" : "models/tovi.ani", 2,
                   game.config.hardware_acceleration != 0);
    setup_hero_by_selector(hero, h);
}

void leave_by_exit_on_arrival(Game& game, const SimpleScene& scene) {
    StoryState& s = game.story;
    const Actor& hero = game.actors.actors[k_hero];
    if (s.EXE < 1 || size_t(s.EXE) > scene.exits.size() || game.logic.timed_running ||
        !hero_stands_at_order(hero))
        return;
    s.current_scene = scene.exits[size_t(s.EXE - 1)].destination;
}

bool handle_simple_click(Game& game, const SimpleScene& scene) {
    StoryState& s = game.story;
    s.EXE = 0;
    close_closeup(game);
    Actor& hero = game.actors.actors[k_hero];
    const SceneLogicState& l = game.logic;
    const int32_t exit = game.cursor.hover_exit;
    if (l.hover_look != k_no_hover) {
        say_refusal(game, game.records.look_zones[size_t(l.hover_look)].text);
        consume_click(game);
    } else if (exit >= 0 && size_t(exit) < scene.exits.size()) {
        const WalkExit& e = scene.exits[size_t(exit)];
        s.EXE = exit + 1;
        actor_walk_to(hero, e.walk_x, e.walk_y, k_keep_heading);
    } else if (l.hover_object == k_no_hover && l.hover_actor == k_no_hover) {
        actor_walk_to(hero, game.input.mouse_x, game.input.mouse_y, k_keep_heading);
    } else {
        return false;
    }
    return true;
}

void run_simple_scene(Game& game, const SimpleScene& scene) {
    game.cursor.cursor_kind = 0;
    hit_test(game);
    leave_by_exit_on_arrival(game, scene);
    if (click_pending(game)) handle_simple_click(game, scene);
    update_and_draw(game, game.actors.actors[k_hero]);
    record_mouse_world(game);
}
