#include "app/menu.h"

#include "app/game.h"
#include "app/game_frame.h"
#include "app/interface_assets.h"
#include "app/video_playback.h"
#include "resources/picture.h"
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

// After a display loss in the menu: every surface usable again with its picture, and the game's
// copies of the scene put back, so that resuming shows the scene.
void recover_menu_surfaces(Game& game) {
    DisplayDevice& dev = game.display;
    display_restore_all_surfaces(dev.display);
    init_menu(game);
    reload_interface_assets(game);
    reload_scene_pictures(game);
    if (dev.background_copy && dev.background_pristine)
        surface_copy(*dev.background_copy, 0, 0, *dev.background_pristine, nullptr, false);
    if (game.config.hardware_acceleration && dev.scene_depth_surface && dev.spare_depth_surface)
        surface_copy(*dev.scene_depth_surface, 0, 0, *dev.spare_depth_surface, nullptr, false);
}

// The menu's picture on the back buffer; false when the display was lost (the pass then shows
// what the recovery left).
bool copy_menu_picture(Game& game) {
    DisplayDevice& dev = game.display;
    if (!dev.back_buffer || !dev.background_surface) return true;
    const Result r = surface_copy(*dev.back_buffer, 0, 0, *dev.background_surface, nullptr, false);
    if (r != Result::surface_lost && r != Result::surface_busy) return true;
    recover_menu_surfaces(game);
    return false;
}

} // namespace

void run_menu_frame(Game& game) {
    const uint32_t start = sys_milliseconds();
    game.frame.frame_start = start * 0.001;
    game.camera.view_projection = multiply(game.camera.view_matrix, game.camera.projection_matrix);
    if (!read_mouse(game)) return;
    if ((game.input.mouse_buttons[0] & 0x80) == 0) game.frame.LeftKey = 0;
    set_gamma(game, game.config.gamma_level);
    MenuState& m = game.menu;
    if (game.app.Minigame == 2 && m.INTRO)
        video_step(game);
    else if (m.PINTRO != k_main_menu && m.PINTRO != k_menu_after_credits)
        advance_sequence(game);
    else if (copy_menu_picture(game))
        draw_menu_page(game);
    flip_frame(game);
    pace_pass(start, game.app.Minigame == 2 ? 10 : 35);
    menu_page_clicks(game);
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
    MenuState& m = game.menu;
    const bool playing = game.story.current_scene != -1;
    if (m.menu_page == 1 && !playing) init_menu(game); // the main page again
    if (m.menu_panel != 0) {
        m.menu_panel = 0;
        game.saves.name_entry = 0;
        return;
    }
    if (!playing) return;
    recompute_saved_volumes(game.sound, game.config.effects_volume, game.config.speech_volume);
    restore_all(game.sound);
    DisplayDevice& dev = game.display;
    if (dev.background_copy && dev.background_surface)
        surface_copy(*dev.background_surface, 0, 0, *dev.background_copy, nullptr, false);
    game.app.menu_mode = 0;
}
