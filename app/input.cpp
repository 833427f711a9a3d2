#include "app/input.h"

#include <algorithm>
#include <climits>

#include "app/game.h"
#include "app/menu.h"
#include "app/save_load.h"
#include "platform/system.h"

int create_mouse(Game& game) {
    game.input.mouse_device = sys_mouse_create();
    return game.input.mouse_device ? 0 : k_generic_failure;
}

int acquire_mouse(Game& game) {
    if (!game.input.mouse_device) return 1;
    if (game.app.app_active)
        sys_mouse_acquire();
    else
        sys_mouse_unacquire();
    return 0;
}

bool read_mouse(Game& game) {
    InputState& in = game.input;
    if (!in.mouse_device) return false;
    MouseState state;
    MouseRead r = sys_mouse_read(state);
    // One retry after acquiring again: a device that keeps reporting lost input ends the pass
    // rather than the game.
    if (r == MouseRead::input_lost) {
        if (!sys_mouse_acquire()) return false;
        r = sys_mouse_read(state);
    }
    if (r != MouseRead::ok) return false;
    in.mouse_x = std::clamp(in.mouse_x + state.dx, k_mouse_min_x, k_mouse_max_x);
    in.mouse_y = std::clamp(in.mouse_y + state.dy, k_mouse_min_y, k_mouse_max_y);
    std::copy(std::begin(state.buttons), std::end(state.buttons), in.mouse_buttons);
    return true;
}

void set_gamma(Game& game, int slope) {
    GammaRamp ramp;
    for (int i = 0; i < 256; ++i) {
        const auto v = static_cast<uint16_t>(std::min<int64_t>(int64_t{i} * slope, 65535));
        ramp.red[i] = ramp.green[i] = ramp.blue[i] = v;
    }
    display_set_gamma(game.display.display, ramp);
}

bool is_accepted_character(uint32_t code) {
    return (code >= 48 && code <= 57) || (code >= 64 && code <= 128) ||
           (code >= 192 && code <= 255) || code == 8 || code == 13 || code == 32;
}

void handle_key(Game& game, uint32_t virtual_key) {
    GameConfig& config = game.config;
    const bool in_game = !game.app.menu_mode;
    switch (virtual_key) {
    case VK_ESCAPE:
        if (game.app.Minigame == 2)
            game.input.skip_requested = 1;
        else if (in_game)
            open_menu_from_game(game);
        else
            menu_escape(game);
        break;
    case VK_SPACE:
        game.input.skip_requested = 1;
        break;
    case VK_F5:
        if (in_game && game.story.current_scene != -1) quick_save(game);
        break;
    case VK_F6:
        quick_load(game);
        break;
    case VK_F7:
        load_auto_save(game);
        break;
    case VK_F9:
        config.smoothing = (config.smoothing + 1) % 4;
        break;
    case VK_F11:
        config.gamma_level = std::max(config.gamma_level - 2, k_gamma_floor);
        set_gamma(game, config.gamma_level);
        break;
    case VK_F12:
        // No upper bound (the ramp saturates), short of overflowing the stored word.
        if (config.gamma_level <= INT32_MAX - 2) config.gamma_level += 2;
        set_gamma(game, config.gamma_level);
        break;
    default:
        break;
    }
}

void handle_character(Game& game, uint32_t code) {
    if (!is_accepted_character(code)) return;
    save_name_character(game, code);
}
