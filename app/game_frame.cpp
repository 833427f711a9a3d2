#include "app/game_frame.h"

#include "app/game.h"

void flip_frame(Game& game) {
    DisplayDevice& dev = game.display;
    for (;;) {
        const Result r = display_flip(dev.display);
        if (r == Result::still_drawing) continue;
        if (r == Result::surface_lost && dev.primary_surface) surface_restore(*dev.primary_surface);
        return;
    }
}

void pace_pass(uint32_t start_ms, uint32_t min_ms) {
    sys_wait_until(start_ms + min_ms);
}

void run_game_frame(Game& game) {
    const uint32_t start = sys_milliseconds();
    if (!read_mouse(game)) return;
    if (Surface* back = game.display.back_buffer) {
        if (surface_fill(*back, nullptr, 0) == Result::surface_lost) surface_restore(*back);
    }
    flip_frame(game);
    pace_pass(start, 32);
}
