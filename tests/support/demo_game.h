// A whole game in this process, started on the headless machine in the current directory (which
// must hold the demo data) the way the program entry starts it, and warped into a scene.
#pragma once

#include <memory>

#include "app/app_main.h"
#include "app/game.h"
#include "app/game_frame.h"
#include "platform/headless/headless_platform.h"
#include "platform/text.h"
#include "scenes/scene_change.h"

struct DemoGameOptions {
    bool hardware = true;
    bool stencil = false;
    int32_t stencil_shadows = 0;
    int32_t smoothing = 0;
    bool true_colour = true; // else the display runs at 16 bits
};

// Null when the game could not start (no display, no data).
inline std::unique_ptr<Game> start_demo_game(const DemoGameOptions& o, int scene, int hero) {
    headless::machine() = {};
    headless::machine().knobs.device_stencil = o.stencil;
    auto game = std::make_unique<Game>();
    Game& g = *game;
    g.config.hardware_acceleration = o.hardware ? 1 : 0;
    g.config.true_colour = o.true_colour ? 1 : 0;
    g.config.stencil_shadows = o.stencil_shadows;
    g.config.smoothing = o.smoothing;
    create_window(g, 1);
    if (create_display(g) != 0 || create_mouse(g) != 0 || acquire_mouse(g) != 0 ||
        init_globals(g) != 0)
        return nullptr;
    g.app.ui_font = font_open("tovi.ttf", 18);
    g.app.menu_mode = 0;
    start_game_in_scene(g, scene, hero);
    return game;
}

// Release what start_demo_game made: the display objects and the font.
inline void stop_demo_game(Game& g) {
    release_display(g);
    font_close(g.app.ui_font);
    g.app.ui_font = nullptr;
}

// A click as a player makes it: the cursor moved to (x, y), the button (0 left, 1 right) down
// for a pass and up for a pass.
inline void click_in_game(Game& g, int x, int y, int button = 0) {
    g.input.mouse_x = x;
    g.input.mouse_y = y;
    headless::mouse_button(button, true);
    run_game_frame(g);
    headless::mouse_button(button, false);
    run_game_frame(g);
}
