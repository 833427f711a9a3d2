#include "app/menu.h"

#include "app/game.h"
#include "app/game_frame.h"
#include "app/video_playback.h"
#include "scenes/scene_change.h"

namespace {

constexpr int k_main_menu = 3, k_menu_after_credits = 6;

// One step of the start-up and credits sequence: the next film, or the music once the films
// are over. A film that cannot play ends at once, so the sequence moves on at the next pass.
void advance_sequence(Game& game) {
    MenuState& m = game.menu;
    const int32_t step = m.PINTRO++;
    m.INTRO = 1;
    switch (step) {
    case 0:
        play_video(game, "avis/velmor.bik");
        break;
    case 1:
        play_video(game, "avis/start.bik");
        break;
    case 4:
        play_video(game, "avis/credits.bik");
        break;
    case 2:
    case 5:
        if (game.config.video_enabled) run_music_step(game);
        m.INTRO = 0;
        break;
    default:
        break;
    }
}

} // namespace

void init_menu(Game&) {}

void run_menu_frame(Game& game) {
    const uint32_t start = sys_milliseconds();
    set_gamma(game, game.config.gamma_level);
    if (!read_mouse(game)) return;
    if ((game.input.mouse_buttons[0] & 0x80) == 0) game.frame.LeftKey = 0;
    MenuState& m = game.menu;
    if (game.app.Minigame == 2 && m.INTRO) {
        video_step(game);
    } else if (m.PINTRO != k_main_menu && m.PINTRO != k_menu_after_credits) {
        advance_sequence(game);
    } else {
        // Until the menu has its pages, its one command is the new game: a click while no
        // game runs starts one in the hero choice.
        if (game.story.current_scene == -1 && (game.input.mouse_buttons[0] & 0x80) != 0) {
            new_game(game);
            game.frame.LeftKey = 1; // the click that started the game is not one in the scene
            game.app.menu_mode = 0;
            return;
        }
        if (Surface* back = game.display.back_buffer) {
            if (surface_fill(*back, nullptr, 0) == Result::surface_lost) surface_restore(*back);
        }
    }
    flip_frame(game);
    pace_pass(start, game.app.Minigame == 2 ? 10 : 35);
}

void open_menu_from_game(Game& game) {
    mute_all(game.sound);
    DisplayDevice& dev = game.display;
    if (dev.background_copy && dev.background_surface)
        surface_copy(*dev.background_copy, 0, 0, *dev.background_surface, nullptr, false);
    if (dev.screen_copy && dev.back_buffer)
        surface_copy(*dev.screen_copy, 0, 0, *dev.back_buffer, nullptr, false);
    init_menu(game);
    game.app.menu_mode = 1;
}

void menu_escape(Game& game) {
    if (game.story.current_scene == -1) return;
    recompute_saved_volumes(game.sound, game.config.effects_volume, game.config.speech_volume);
    restore_all(game.sound);
    DisplayDevice& dev = game.display;
    if (dev.background_copy && dev.background_surface)
        surface_copy(*dev.background_surface, 0, 0, *dev.background_copy, nullptr, false);
    game.app.menu_mode = 0;
}
