#include "scenes/scene_logic.h"

#include "app/game.h"

void hit_test(Game&) {}
void take_object(Game&, int, int32_t) {}
bool click_pending(const Game& game) {
    return (game.input.mouse_buttons[0] & 0x80) != 0 && game.frame.LeftKey == 0;
}
void start_timed_animation(Game&, int32_t, int32_t) {}
void show_closeup(Game&, const char*) {}
void close_closeup(Game& game) {
    game.frame.closeup_active = 0;
}
