// The menu's pages: its items, the hover, the options page's switches and level indicators, and
// the save and load panels.
#include <algorithm>
#include <cstring>

#include "app/game.h"
#include "app/menu.h"
#include "app/menu_items.h"
#include "app/save_load.h"
#include "app/video_playback.h"
#include "audio/music.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/text.h"
#include "resources/picture.h"
#include "resources/text_table.h"
#include "resources/tiff_picture.h"
#include "scenes/scene_change.h"

namespace {

constexpr int k_credits_step = 4;
constexpr uint32_t k_white = 0xFFFFFF, k_red = 0xFF0000;
constexpr const char* k_main_picture = "gfx/menu1e.tif";
constexpr const char* k_options_picture = "gfx/menu2e.tif";

SceneObject& item(Game& game, int n) {
    return game.records.objects[size_t(n)];
}

bool left_down(const Game& game) {
    return (game.input.mouse_buttons[0] & 0x80) != 0;
}

bool strictly_inside(const Game& game, int x1, int y1, int x2, int y2) {
    const int x = game.input.mouse_x, y = game.input.mouse_y;
    return x1 < x && x < x2 && y1 < y && y < y2;
}

void place_item(SceneObject& o, int x, int y) {
    o.x = x;
    o.y = y;
    o.width = o.picture ? o.picture->width : 0;
    o.height = o.picture ? o.picture->height : 0;
    o.x2 = x + o.width;
    o.y2 = y + o.height;
}

// The panels are centred; the save list's arrows sit at fixed places of the save panel.
void place_panel_items(Game& game) {
    const SceneObject& panel = item(game, k_save_panel);
    const int left = (640 - panel.width) / 2, top = (480 - panel.height) / 2;
    place_item(item(game, k_scroll_up), left + k_scroll_up_dx, top + k_scroll_up_dy);
    place_item(item(game, k_scroll_down), left + k_scroll_down_dx, top + k_scroll_down_dy);
}

void set_hoverable(Game& game, int first, int last, int32_t hoverable) {
    for (int n = first; n <= last; ++n) item(game, n).hoverable = hoverable;
}

void load_menu_picture(Game& game, const char* path) {
    DisplayDevice& dev = game.display;
    if (dev.background_surface) load_tiff_surface(*dev.background_surface, dev.display_bpp, path);
}

void copy_picture(Game& game, const SceneObject& o, bool keyed) {
    Surface* back = game.display.back_buffer;
    if (back == nullptr || !o.picture) return;
    const Rect source{0, 0, o.width, o.height};
    surface_copy(*back, o.x, o.y, *o.picture, &source, keyed);
}

void copy_level(Game& game, int level, int x, int y) {
    SceneObject& o = item(game, k_level_first + std::clamp(level, 0, 4));
    Surface* back = game.display.back_buffer;
    if (back && o.picture) surface_copy(*back, x, y, *o.picture, nullptr, true);
}

// The switches show the settings; the levels show the smoothing, the shadows and the volumes.
void draw_options(Game& game) {
    const GameConfig& c = game.config;
    item(game, k_subtitles_switch).visible = c.subtitles != 0;
    item(game, k_fog_switch).visible = c.volumetric_fog != 0;
    item(game, k_hot_air_switch).visible = c.hot_air != 0;
    static constexpr int smoothing_picture[4] = {0, 1, 2, 4};
    copy_level(game, smoothing_picture[std::clamp(c.smoothing, 0, 3)], k_display_levels_x,
               k_smoothing_level_y);
    copy_level(game,
               c.stencil_shadows == 0   ? 0
               : c.stencil_shadows == 1 ? 2
                                        : 4,
               k_display_levels_x, k_shadows_level_y);
    copy_level(game, c.effects_volume, k_volume_levels_x, k_effects_level_y);
    copy_level(game, c.speech_volume, k_volume_levels_x, k_speech_level_y);
    copy_level(game, c.music_volume, k_volume_levels_x, k_music_level_y);
}

void hover_items(Game& game) {
    MenuState& m = game.menu;
    m.hovered_item = -1;
    for (int n = 1000; n <= 1023; ++n) {
        SceneObject& o = item(game, n);
        o.visible = 0;
        if (!o.hoverable || !strictly_inside(game, o.x, o.y, o.x2, o.y2)) continue;
        m.hovered_item = n;
        if (n >= k_back_item) o.visible = 1;
    }
}

// An arrow held down scrolls the list by a row every fourth pass, up to either end.
void scroll_list(Game& game) {
    MenuState& m = game.menu;
    const int count = int(m.save_list.size());
    for (const int n : {k_scroll_up, k_scroll_down}) {
        SceneObject& arrow = item(game, n);
        arrow.visible = 0;
        if (!left_down(game) || !strictly_inside(game, arrow.x, arrow.y, arrow.x2, arrow.y2))
            continue;
        arrow.visible = 1;
        const bool can = n == k_scroll_up ? m.first_row > 0 : m.first_row + k_save_rows < count;
        if (!can) continue;
        if (m.scroll_delay > 0) {
            --m.scroll_delay;
            continue;
        }
        m.first_row += n == k_scroll_up ? -1 : 1;
        m.scroll_delay = 3;
    }
}

// The list row under the cursor, -1 for none.
int hovered_row(const Game& game) {
    const int x = game.input.mouse_x, y = game.input.mouse_y;
    if (x < 356 || x > 428 || y < 180) return -1;
    return (y - 180) / 16;
}

std::u16string shown_name(const std::string& file) {
    return utf8_to_utf16(file.substr(0, file.find('.')));
}

void draw_text(Game& game, int x, int y, uint32_t colour, const std::u16string& text) {
    if (Surface* back = game.display.back_buffer)
        text_draw(game.app.ui_font, *back, x, y, colour, text);
}

void draw_panel(Game& game) {
    MenuState& m = game.menu;
    scroll_list(game);
    const SceneObject& panel = item(game, m.menu_panel == 1 ? k_save_panel : k_load_panel);
    Surface* back = game.display.back_buffer;
    if (back && panel.picture)
        surface_copy(*back, (640 - panel.width) / 2, (480 - panel.height) / 2, *panel.picture,
                     nullptr, true);
    if (back && game.saves.preview_valid && game.display.thumbnail_surface)
        surface_copy(*back, k_preview_x, k_preview_y, *game.display.thumbnail_surface, nullptr,
                     false);
    for (const int n : {k_scroll_up, k_scroll_down})
        if (item(game, n).visible) copy_picture(game, item(game, n), false);
    const std::string typed = game.saves.save_name.substr(std::strlen(k_save_name_prefix));
    draw_text(game, k_typed_name_x, k_typed_name_y, k_white, utf8_to_utf16(cp1251_to_utf8(typed)));
    const int hovered = hovered_row(game);
    const int count = int(m.save_list.size());
    for (int k = m.first_row; k < m.first_row + k_save_rows && k < count; ++k) {
        const std::string& file = m.save_list[size_t(k)];
        const bool red = k - m.first_row == hovered;
        if (red && m.previewed != file) {
            read_preview(game, std::string(k_save_name_prefix) + file);
            m.previewed = file;
        }
        draw_text(game, k_save_rows_x, k_save_rows_y + 16 * (k - m.first_row),
                  red ? k_red : k_white, shown_name(file));
    }
    // A click on a row of the load panel loads that save.
    const int row = hovered_row(game);
    if (m.menu_panel != 2 || !left_down(game) || game.frame.LeftKey || row < 0 ||
        row >= k_save_rows || row + m.first_row >= count || game.input.mouse_x <= 356 ||
        game.input.mouse_x >= 428)
        return;
    const std::string path =
        std::string(k_save_name_prefix) + m.save_list[size_t(row + m.first_row)];
    game.app.menu_mode = 0;
    m.menu_panel = 0;
    if (game.app.Minigame != 2) load_game(game, path);
}

void open_options(Game& game) {
    load_menu_picture(game, k_options_picture);
    game.menu.menu_page = 1;
    set_hoverable(game, k_credits_item, k_exit_item, 0);
    set_hoverable(game, k_subtitles_switch, k_back_item, 1);
}

void back_to_main_page(Game& game) {
    load_menu_picture(game, k_main_picture);
    set_hoverable(game, k_credits_item, k_exit_item, 1);
    set_hoverable(game, k_subtitles_switch, k_back_item, 0);
    for (int n = k_subtitles_switch; n <= k_back_item; ++n) item(game, n).visible = 0;
    game.menu.menu_page = 0;
}

void open_panel(Game& game, int32_t panel) {
    list_saves(game);
    game.menu.menu_panel = panel;
    game.menu.first_row = 0;
    game.saves.name_entry = panel == 1 ? 1 : 0;
}

void press_item(Game& game) {
    GameConfig& c = game.config;
    switch (game.menu.hovered_item) {
    case k_subtitles_switch:
        c.subtitles = !c.subtitles;
        break;
    case k_fog_switch:
        c.volumetric_fog = !c.volumetric_fog;
        break;
    case k_hot_air_switch:
        c.hot_air = !c.hot_air;
        break;
    case k_options_item:
        open_options(game);
        break;
    case k_back_item:
        back_to_main_page(game);
        break;
    case k_exit_item:
        stop_video(game);
        game.app.quit_requested = 1;
        break;
    case k_save_item:
        open_panel(game, 1);
        break;
    case k_load_item:
        open_panel(game, 2);
        break;
    case k_credits_item:
        game.menu.PINTRO = k_credits_step;
        break;
    case k_new_game_item:
        new_game(game);
        game.app.menu_mode = 0;
        break;
    default:
        return;
    }
    game.frame.LeftKey = 1;
}

// Over a level indicator: the level under the cursor, `step` pixels a level from its left edge.
bool over_level(const Game& game, int x, int y, int step, int& level) {
    if (!strictly_inside(game, x, y, x + k_level_width, y + k_level_height)) return false;
    level = (game.input.mouse_x - x) / step;
    return true;
}

// The level indicators follow the cursor while the button is held, on every page.
void set_levels(Game& game) {
    GameConfig& c = game.config;
    int v = 0;
    if (over_level(game, k_volume_levels_x, k_effects_level_y, 16, v)) {
        c.effects_volume = std::min(v, 4);
        recompute_saved_volumes(game.sound, c.effects_volume, c.speech_volume);
    } else if (over_level(game, k_volume_levels_x, k_speech_level_y, 16, v)) {
        c.speech_volume = std::min(v, 4);
        recompute_saved_volumes(game.sound, c.effects_volume, c.speech_volume);
    } else if (over_level(game, k_volume_levels_x, k_music_level_y, 16, v)) {
        c.music_volume = std::min(v, 4);
        apply_music_volume(game.music, game.config.music_enabled != 0, c.music_volume);
    } else if (over_level(game, k_display_levels_x, k_smoothing_level_y, 20, v)) {
        c.smoothing = std::min(v, 3);
    } else if (over_level(game, k_display_levels_x, k_shadows_level_y, 32, v)) {
        c.stencil_shadows = v > 1 ? 4 : v;
    }
}

} // namespace

void init_menu(Game& game) {
    MenuState& m = game.menu;
    m.menu_panel = 0;
    m.menu_page = 0;
    // The menu's picture replaces the scene's; leaving the menu puts the scene's copy back.
    load_menu_picture(game, k_main_picture);
    for (const MenuItemPicture& p : k_menu_items) {
        SceneObject& o = item(game, p.number);
        load_picture_surface(game.display, o.picture, p.path);
        place_item(o, p.x, p.y);
        o.hoverable = 0;
        o.visible = 0;
    }
    place_panel_items(game);
    set_hoverable(game, k_credits_item, k_exit_item, 1);
    game.saves.preview_valid = 0;
    m.previewed.clear();
}

void list_saves(Game& game) {
    std::vector<std::string>& list = game.menu.save_list;
    list = file_search("saves", ".sav");
    if (list.size() > size_t(k_save_list_limit)) list.resize(size_t(k_save_list_limit));
}

void draw_menu_page(Game& game) {
    MenuState& m = game.menu;
    hover_items(game);
    if (m.menu_page == 1) draw_options(game);
    if (m.menu_panel != 0) {
        draw_panel(game);
    } else {
        for (int n = 1000; n <= 1023; ++n)
            if (item(game, n).visible) copy_picture(game, item(game, n), false);
    }
    draw_menu_cursor(game);
}

void menu_page_clicks(Game& game) {
    const GameConfig& c = game.config;
    item(game, k_subtitles_switch).visible = c.subtitles != 0;
    item(game, k_fog_switch).visible = c.volumetric_fog != 0;
    item(game, k_hot_air_switch).visible = c.hot_air != 0;
    if (game.menu.INTRO || game.frame.LeftKey || game.menu.menu_panel != 0) return;
    if (left_down(game)) {
        press_item(game);
        if (!game.frame.LeftKey) set_levels(game);
    }
    if (!left_down(game)) game.frame.LeftKey = 0;
}
