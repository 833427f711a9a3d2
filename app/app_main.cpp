#include "app/app_main.h"

#include <algorithm>
#include <cmath>

#include "app/game.h"
#include "app/game_frame.h"
#include "app/menu.h"
#include "app/options_dialog.h"
#include "app/video_playback.h"
#include "platform/text.h"
#include "scenes/scene_change.h"

namespace {

constexpr int k_ui_font_height = 18;
// Naps in the resume pause, shorter than the second the music is read ahead.
constexpr uint32_t k_music_feed_ms = 250;

// The interface sounds in the order start-up loads them, with their slots.
struct InterfaceSound {
    const char* path;
    int slot;
};
constexpr InterfaceSound k_interface_sounds[] = {
    {"sound/global/view.wav", k_sound_look_cursor},
    {"sound/global/tool.wav", k_sound_tool_obtained},
    {"sound/global/view1.wav", k_sound_take_cursor},
    {"sound/global/view2.wav", k_sound_use_cursor},
    {"sound/global/view3.wav", k_sound_exit_cursor},
    {"sound/global/toolbar.wav", k_sound_open_toolbar},
    {"sound/global/up.wav", k_sound_toolbar_previous},
    {"sound/global/down.wav", k_sound_toolbar_next},
    {"sound/global/click.wav", k_sound_take_tool},
    {"sound/global/dtool.wav", k_sound_drop_tool},
    {"sound/global/view4.wav", k_sound_talk_cursor},
};

double timer_seconds() {
    return sys_milliseconds() * 0.001;
}

// One turn of the main loop while a resume pause is pending: no frame runs. Rather than spin,
// sleep until the pause ends or a message arrives; the music plays on meanwhile, read ahead
// between the naps.
void wait_out_resume_pause(Game& game) {
    AppState& app = game.app;
    app.now_seconds = timer_seconds();
    const double remaining = app.resume_delay - (app.now_seconds - app.resume_since);
    if (remaining < 0) {
        app.resume_delay = 0;
        return;
    }
    music_feed(game.music, game.config.music_enabled != 0);
    const auto wait_ms =
        std::min(static_cast<uint32_t>(std::ceil(remaining * 1000.0)) + 1, k_music_feed_ms);
    sys_wait_message_until(sys_milliseconds() + wait_ms);
}

// The sound device, the music player on it, and the interface sounds.
void start_sound_and_music(Game& game) {
    const GameConfig& c = game.config;
    start_sound(game.sound, c.effects_volume, c.speech_volume);
    start_music_graph(game.music, game.sound.mixer, c.music_enabled != 0);
    for (const InterfaceSound& s : k_interface_sounds) load_sound(game.sound, s.path, s.slot);
}

void shutdown(Game& game) {
    store_config(game, 1);
    game.app.quit_requested = 0;
    game.app.app_active = 0;
    release_display(game);
    sys_mouse_release();
    game.input.mouse_device = false;
    sys_destroy_window();
    sys_post_message({MessageKind::quit, 0});
}

} // namespace

void store_config(Game& game, int32_t clean_exit) {
    if (write_config(game.config, clean_exit)) game.app.clean_exit_written = clean_exit;
}

int run_music_step(Game& game) {
    const GameConfig& c = game.config;
    return music_step(game.music, c.music_enabled != 0, c.music_volume, game.app.music_track);
}

void create_window(Game& game, int32_t clean_exit) {
    sys_create_window("Vantor");
    if (clean_exit == 0) show_options_dialog(game.config, DialogLanguage::english);
    // The window comes up focused and not minimised; frames may run as soon as the loop starts.
    game.app.app_active = 1;
}

int init_globals(Game& game) {
    game.app.has_sse = __builtin_cpu_supports("sse");
    load_interface_assets(game);
    start_sound_and_music(game);
    add_all_look_zones(game.records);
    return 0;
}

int window_proc(Game& game, const Message& message) {
    AppState& app = game.app;
    switch (message.kind) {
    case MessageKind::destroy:
        sys_post_message({MessageKind::quit, 0});
        return 0;
    case MessageKind::close:
        sys_destroy_window();
        return 0;
    case MessageKind::size:
        if (message.wparam == SIZE_MINIMIZED || message.wparam == SIZE_MAXHIDE) {
            app.app_active = 0;
        } else {
            app.app_active = 1;
            app.resume_delay = k_resume_delay_seconds;
            app.resume_since = timer_seconds();
        }
        return 0;
    case MessageKind::activate:
        app.app_active = 0;
        return 0;
    case MessageKind::key_down:
        handle_key(game, message.wparam);
        return 0;
    case MessageKind::character:
        handle_character(game, message.wparam);
        return 0;
    case MessageKind::quit:
        return 0;
    }
    return 0;
}

int app_main(Game& game) {
    AppState& app = game.app;
    app.text_language = 0;
    game.config.gamma_level = 255;

    const int32_t clean_exit = read_config(game.config);
    // The game brings the values it uses into range; the setup program passes the file's
    // values through as they are.
    sanitize_config(game.config);
    store_config(game, 0); // a crash from here on shows the dialog at the next start

    create_window(game, clean_exit);
    if (create_display(game) != 0) return 0;
    store_config(game, 0); // now with what the dialog and the display set-up settled

    if (create_mouse(game) != 0 || acquire_mouse(game) != 0) {
        sys_message_box("Error init mouse", "RiR", MessageBoxIcon::error);
        return k_generic_failure;
    }
    if (init_globals(game) != 0) return 0;

    app.menu_mode = 1;
    init_menu(game);
    game.story.current_scene = -1;
    app.quit_requested = 0;

    font_close(app.ui_font);
    app.ui_font = font_open("tovi.ttf", k_ui_font_height);
    game.menu.INTRO = 1;
    app.music_track = 11;
    run_music_step(game);
    game.menu.PINTRO = 0;
    if (app.start_scene >= 0) {
        // The warp passes the start-up films by: the menu, when it opens, is the main menu.
        game.menu.INTRO = 0;
        game.menu.PINTRO = 3;
        app.menu_mode = 0;
        start_game_in_scene(game, app.start_scene, app.start_hero);
    } else {
        play_video(game, "avis/intro.bik");
    }

    for (;;) {
        if (sys_peek_message()) {
            const Message m = sys_get_message();
            if (m.kind == MessageKind::quit) return static_cast<int>(m.wparam);
            window_proc(game, m);
        } else if (!app.app_active) {
            sys_wait_message();
        } else if (app.resume_delay == 0) {
            ++app.passes;
            if (app.Minigame != 2) run_music_step(game);
            if (app.menu_mode)
                run_menu_frame(game);
            else
                run_game_frame(game);
            if (app.quit_requested) break;
        } else {
            wait_out_resume_pause(game);
        }
    }
    shutdown(game);
    return 0;
}
