// The menu step and the ways in and out of the menu.
#pragma once

struct Game;

void init_menu(Game& game);
// One pass of the menu: mouse, frame, flip, pacing at 35 ms.
void run_menu_frame(Game& game);
// Escape in the game: keep the screen for the menu's background and switch to the menu.
void open_menu_from_game(Game& game);
// Escape in the menu: back to the game when one is running.
void menu_escape(Game& game);
