// The menu's items: records 991..1015 of the object table, with their pictures and places. The
// content generator paints the menu pictures' buttons at these places.
#pragma once

inline constexpr int k_level_first = 991; // 991..995: the level pictures 1..5
inline constexpr int k_scroll_up = 996, k_scroll_down = 997;
inline constexpr int k_subtitles_switch = 1000, k_fog_switch = 1001, k_hot_air_switch = 1002;
inline constexpr int k_back_item = 1003, k_credits_item = 1008, k_options_item = 1009;
inline constexpr int k_new_game_item = 1010, k_load_item = 1011, k_save_item = 1012;
inline constexpr int k_exit_item = 1013, k_save_panel = 1014, k_load_panel = 1015;

struct MenuItemPicture {
    int number;
    const char* path;
    int x, y; // the level pictures, the arrows and the panels are placed where they are drawn
};

inline constexpr MenuItemPicture k_menu_items[] = {
    {991, "gfx/1.bmp", 0, 0},
    {992, "gfx/2.bmp", 0, 0},
    {993, "gfx/3.bmp", 0, 0},
    {994, "gfx/4.bmp", 0, 0},
    {995, "gfx/5.bmp", 0, 0},
    {k_scroll_up, "gfx/kn.bmp", 0, 0},
    {k_scroll_down, "gfx/kn1.bmp", 0, 0},
    {k_subtitles_switch, "gfx/subtit_e.bmp", 19, 167},
    {k_fog_switch, "gfx/vfog_e.bmp", 309, 106},
    {k_hot_air_switch, "gfx/hotair_e.bmp", 309, 167},
    {k_back_item, "gfx/back_e.bmp", 226, 207},
    {k_credits_item, "gfx/credits_e.bmp", 388, 134},
    {k_options_item, "gfx/options_e.bmp", 388, 84},
    {k_new_game_item, "gfx/new_e.bmp", 150, 30},
    {k_load_item, "gfx/load_e.bmp", 20, 134},
    {k_save_item, "gfx/save_e.bmp", 20, 84},
    {k_exit_item, "gfx/exit_e.bmp", 235, 200},
    {k_save_panel, "gfx/savem_e.bmp", 0, 0},
    {k_load_panel, "gfx/loadm_e.bmp", 0, 0},
};

// Where the options page's level indicators are drawn (their click areas begin there too) and the
// save panel's places the arrows are measured from.
inline constexpr int k_volume_levels_x = 167, k_effects_level_y = 80, k_speech_level_y = 110;
inline constexpr int k_music_level_y = 140, k_display_levels_x = 526, k_smoothing_level_y = 79;
inline constexpr int k_shadows_level_y = 142;
inline constexpr int k_level_width = 81, k_level_height = 28;
inline constexpr int k_scroll_up_dx = 255, k_scroll_up_dy = 47;
inline constexpr int k_scroll_down_dx = 252, k_scroll_down_dy = 145;
inline constexpr int k_preview_x = 196, k_preview_y = 178;
inline constexpr int k_save_rows_x = 365, k_save_rows_y = 180, k_typed_name_x = 270;
inline constexpr int k_typed_name_y = 320;
