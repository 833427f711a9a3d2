// The menu step and the ways in and out of the menu.
#pragma once

#include <cstdint>

struct Game;

// Where the menu stands in the start-up sequence of films.
struct MenuState {
    // 0..2 the start-up films, 3 the main menu, 4..5 the credits, 6 the menu after them.
    int32_t PINTRO = 0;
    int32_t INTRO = 0; // a film of the sequence runs
};

void init_menu(Game& game);
// One pass of the menu: mouse, frame, flip, pacing at 35 ms.
void run_menu_frame(Game& game);
// Escape in the game: keep the screen for the menu's background and switch to the menu.
void open_menu_from_game(Game& game);
// Escape in the menu: back to the game when one is running.
void menu_escape(Game& game);
