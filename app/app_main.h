// The program entry, the window procedure and the main loop.
#pragma once

#include <cstdint>

#include "platform/system.h"

struct Game;
struct Font;

// State of the application frame, for the whole run.
struct AppState {
    int app_active = 0;      // window shown and not minimised: frames run only while set
    double resume_delay = 0; // seconds to wait after a restore before frames resume
    double resume_since = 0; // when the window was last restored, seconds
    double now_seconds = 0;  // millisecond timer x 0.001
    int menu_mode = 0;       // 1: the loop runs the menu step, 0: the game step
    int quit_requested = 0;  // set by the menu; the loop then shuts down in order
    int Minigame = 0;        // 0 scenes, 1 puzzle, 2 a video plays
    int music_track = 11;
    int text_language = 0;
    Font* ui_font = nullptr;
    bool has_sse = false;
    uint64_t passes = 0;             // menu and game passes run so far
    int32_t clean_exit_written = -1; // clean-exit word of the last configuration file written
    // A development warp: start a game straight in this scene with this hero, skipping the
    // start-up sequence and the menu (-1: play normally).
    int32_t start_scene = -1;
    int32_t start_hero = 0;
};

inline constexpr double k_resume_delay_seconds = 3.0;

int app_main(Game& game);

// Create the main window; after an unclean exit (clean_exit 0) show the options dialog first.
void create_window(Game& game, int32_t clean_exit);

int init_globals(Game& game);

// Hand `music_track` to the music step (before every pass while no video plays).
int run_music_step(Game& game);

int window_proc(Game& game, const Message& message);

// Write the configuration file and remember the clean-exit word when it was written.
void store_config(Game& game, int32_t clean_exit);
