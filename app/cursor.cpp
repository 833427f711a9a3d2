#include "app/cursor.h"

#include <algorithm>
#include <cmath>

#include "app/game.h"

namespace {

struct CursorKind {
    float step;    // frames a pass; 0 for the arrow, which does not move
    float limit;   // the counter goes back to 0 past this
    bool at_limit; // ... or already at it
    int sound;     // interface sound slot played on entering the kind, -1 none
};

constexpr CursorKind k_kinds[k_cursor_kinds] = {
    {0, 0, false, -1},                        // plain pointer
    {0.5f, 15, false, k_sound_take_cursor},   // take or operate: sound/global/view1.wav
    {0.333f, 15, false, k_sound_look_cursor}, // look: view.wav
    {0.5f, 9, true, k_sound_use_cursor},      // use the tool in hand: view2.wav
    {0.333f, 15, false, k_sound_exit_cursor}, // exit: view3.wav
    {0.333f, 7, false, k_sound_talk_cursor},  // talk: view4.wav
};

constexpr int k_frame_height = 32;
constexpr int k_entry_sounds[] = {k_sound_look_cursor, k_sound_take_cursor, k_sound_use_cursor,
                                  k_sound_exit_cursor, k_sound_talk_cursor};

// The kind this pass shows: the plain pointer over an open bar, and the tool instead of taking or
// talking while a tool is held.
int32_t kind_shown(Game& game) {
    CursorState& c = game.cursor;
    if (game.toolbar.toolbar_open) c.cursor_kind = 0;
    c.cursor_kind = std::clamp(c.cursor_kind, 0, k_cursor_kinds - 1);
    if ((c.cursor_kind == 1 || c.cursor_kind == 5) && tool_held(game.story.active_tool))
        c.cursor_kind = 3;
    return c.cursor_kind;
}

// The entry sound plays once when a kind other than the pointer is entered; back on the pointer
// any that still plays is stopped.
void play_entry_sound(Game& game, int32_t kind) {
    CursorState& c = game.cursor;
    if (kind == 0) {
        c.cursor_sound_latch = 0;
        for (int slot : k_entry_sounds) stop_sound(game.sound, slot);
        return;
    }
    if (c.cursor_sound_latch) return;
    play_interface_sound(game.sound, k_kinds[kind].sound, 0, 0, 0);
    c.cursor_sound_latch = 1;
}

void draw_arrow(Surface& back, Surface& picture, int x, int y) {
    const Rect source{0, 0, std::min(picture.width, 640 - x), std::min(picture.height, 480 - y)};
    if (source.right > 0 && source.bottom > 0) surface_copy(back, x, y, picture, &source, true);
}

void draw_animated(Game& game, Surface& back, Surface& picture, const CursorKind& k) {
    CursorState& c = game.cursor;
    c.cursor_frame += k.step;
    if (c.cursor_frame > k.limit || (k.at_limit && c.cursor_frame >= k.limit)) c.cursor_frame = 0;
    const int f = static_cast<int>(c.cursor_frame);
    const int x = std::max(game.input.mouse_x - 16, 0), y = std::max(game.input.mouse_y - 16, 0);
    Rect source{0, k_frame_height * f, std::min(picture.width, 640 - x), k_frame_height * (f + 1)};
    // Near the bottom edge only the rows above it are drawn.
    if (480 - y < k_frame_height) source.bottom = k_frame_height * f + 480 - y;
    if (source.right > 0 && source.bottom <= picture.height)
        surface_copy(back, x, y, picture, &source, true);
}

} // namespace

void draw_cursor(Game& game) {
    const int32_t kind = kind_shown(game);
    play_entry_sound(game, kind);
    Surface* back = game.display.back_buffer;
    Surface* picture = game.ui.cursor[size_t(kind)].get();
    if (!back || !picture) return;
    if (kind == 0)
        draw_arrow(*back, *picture, game.input.mouse_x, game.input.mouse_y);
    else
        draw_animated(game, *back, *picture, k_kinds[kind]);
}

void draw_menu_cursor(Game& game) {
    Surface* back = game.display.back_buffer;
    Surface* picture = game.ui.cursor[0].get();
    if (back && picture) draw_arrow(*back, *picture, game.input.mouse_x, game.input.mouse_y);
}
