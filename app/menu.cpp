#include "app/menu.h"

#include "app/game.h"
#include "app/game_frame.h"
#include "scenes/scene_change.h"

void init_menu(Game&) {}

void run_menu_frame(Game& game) {
    const uint32_t start = sys_milliseconds();
    set_gamma(game, game.config.gamma_level);
    if (!read_mouse(game)) return;
    // Until the menu has its pages, its one command is the new game: a click while no game runs
    // starts one in the hero choice.
    if (game.story.current_scene == -1 && (game.input.mouse_buttons[0] & 0x80) != 0) {
        new_game(game);
        game.frame.LeftKey = 1; // the click that started the game is not one in the scene
        game.app.menu_mode = 0;
        return;
    }
    if (Surface* back = game.display.back_buffer) {
        if (surface_fill(*back, nullptr, 0) == Result::surface_lost) surface_restore(*back);
    }
    flip_frame(game);
    pace_pass(start, 35);
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
