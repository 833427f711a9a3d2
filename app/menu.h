// The menu step and the ways in and out of the menu.
//
// The menu's buttons are records of the object table (991..1015): their pictures are highlights
// drawn over the buttons painted on the menu picture ("gfx/menu1e.tif" for the main page,
// "gfx/menu2e.tif" for the options), and their rectangles are what the cursor hovers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Game;

inline constexpr int k_save_list_limit = 128;
inline constexpr int k_save_rows = 7;

struct MenuState {
    // 0..2 the start-up films, 3 the main menu, 4..5 the credits, 6 the menu after them.
    int32_t PINTRO = 0;
    int32_t INTRO = 0;      // a film of the sequence runs
    int32_t menu_page = 0;  // 0 main page, 1 options
    int32_t menu_panel = 0; // 0 none, 1 save panel, 2 load panel
    int32_t hovered_item = -1;
    std::vector<std::string> save_list; // file names in saves/ (UTF-8), at most 128
    int32_t first_row = 0;              // first of the seven rows shown
    int32_t scroll_delay = 0;           // passes before the next scroll step
    std::string previewed;              // the save whose thumbnail the preview holds
};

void init_menu(Game& game);
// The save files of saves/ into the list.
void list_saves(Game& game);
// One pass of the menu: mouse, frame, flip, pacing at 35 ms.
void run_menu_frame(Game& game);
// Escape in the game: keep the screen for the menu's background and switch to the menu.
void open_menu_from_game(Game& game);
// Escape in the menu: back from the options page when no game runs, close a panel, or resume
// the game.
void menu_escape(Game& game);

// The menu's page for this pass: the picture, the hover, the options' switches and levels, the
// save and load panels, the cursor.
void draw_menu_page(Game& game);
// What the left button does after the flip: the buttons and the level indicators.
void menu_page_clicks(Game& game);
