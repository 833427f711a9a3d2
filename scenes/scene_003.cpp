// Scene 3: the woodcutter's hut, up the stair and the path from the clearing. The hero may look
// at a nest and the woodpile; the hut's door opens when the hero tries it, but nobody is home.
#include "app/game.h"
#include "app/game_render.h"
#include "scenes/scene_assets.h"
#include "scenes/scene_effects.h"
#include "scenes/scene_list.h"
#include "scenes/scene_logic.h"
#include "scenes/simple_scene.h"

namespace {

constexpr WalkExit k_exits[] = {{200, 400, 400, 480, 4, 300, 460}};
constexpr SimpleScene k_hut = {0,
                               "sound/scn003/step1.wav",
                               "sound/scn003/step2.wav",
                               "sound/scn003/wind.wav",
                               -500,
                               k_exits,
                               {25.034f, 11.785f, -30.123f},
                               0.1f,
                               {228, -310, 90}};

constexpr int k_door_object = 41; // a hotspot over the door
constexpr int k_door_strip = 0;
constexpr int32_t k_try_the_door = 2; // walk-then-act code after the exit's
constexpr int32_t k_door_opened = 0;  // the strip's end signal
constexpr int k_cannot_do_that = 2;   // the hero's general refusal line
constexpr int k_door_sound = 2;       // the creak, as the strip leaves its first frame

void load_door(Game& game) {
    load_scene_sound(game, k_door_sound, "sound/door5_05.wav");
    if (!load_strip_picture(game, k_door_strip, "amovie/scr_003/door.bmp")) return;
    AnimStrip& door = game.records.strips[k_door_strip];
    door.x = 389;
    door.y = 89;
    door.frame_count = 8;
    door.frame_height = door.picture->height / 8;
    door.frame = 0;
    door.speed = 0.4f;
    door.mode = 0; // the closed door is in the picture
    door.loop = 0;
    door.sound_on = 1;
    door.sound_slot = k_door_sound;
    door.random_sound = 0;
    door.sound_frame = 1;
    door.end_signal = k_door_opened;
    place_hotspot(game, k_door_object, 407, 102, 464, 195, 1);
}

// Smoke from the hut's chimney: a grey puff now and then that rises, grows and thins out.
constexpr Vec3 k_chimney_top{56, -7.2f, 13};
constexpr int k_chimney_emitter = 0;

void light_the_stove(Game& game) {
    Emitter smoke;
    smoke.kind = EmitterKind::smoke;
    smoke.point = k_chimney_top;
    smoke.chance = 0.3f;
    smoke.size = 1.6f;
    smoke.look = {0, 0x50505458, 0, 200};
    start_emitter(game, k_chimney_emitter, smoke);
    set_wind(game, 0.0004f);
}

void load_assets(Game& game) {
    load_simple_scene_assets(game, k_hut);
    load_door(game);
    light_the_stove(game);
}

void try_the_door(Game& game) {
    StoryState& s = game.story;
    AnimStrip& door = game.records.strips[k_door_strip];
    if (s.EXE == k_try_the_door && !game.logic.timed_running &&
        hero_stands_at_order(game.actors.actors[0])) {
        s.EXE = 0;
        door.frame = 0;
        door.mode = 1;
    }
    if (game.frame.strip_signal == k_door_opened && door.mode == 1) {
        door.mode = 0; // it swings shut again behind the picture's closed door
        say_refusal(game, k_cannot_do_that);
    }
}

void run_logic(Game& game) {
    game.cursor.cursor_kind = 0;
    hit_test(game);
    leave_by_exit_on_arrival(game, k_hut);
    try_the_door(game);
    if (click_pending(game) && !handle_simple_click(game, k_hut) &&
        game.logic.hover_object == k_door_object) {
        game.story.EXE = k_try_the_door;
        actor_walk_to(game.actors.actors[0], 441, 209, 10.0f);
        consume_click(game);
    }
    update_and_draw(game, game.actors.actors[0]);
    run_emitters(game);
    record_mouse_world(game);
}

} // namespace

const SceneBranches k_scene_003 = {load_assets, setup_hero_alone, run_logic};
