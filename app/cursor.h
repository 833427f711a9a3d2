// The game's own mouse cursor, the exit caption beside it, and the subtitles of spoken lines,
// drawn onto the back buffer after the scene.
//
// Six cursor kinds: 0 plain pointer, 1 take or operate, 2 look, 3 use the tool in hand, 4 exit,
// 5 talk. All but the pointer are vertical strips of 32-pixel frames and play an interface sound
// when the kind is entered.
#pragma once

#include <cstdint>

struct Game;

inline constexpr int32_t k_no_hover = 0xFFFF;

struct CursorState {
    int32_t cursor_kind = 0;
    float cursor_frame = 0; // animation position, shared by the animated kinds
    int32_t cursor_sound_latch = 0;
    int32_t hover_exit = k_no_hover; // exit zone under the cursor
};

// The cursor, its entry sound and its animation step.
void draw_cursor(Game& game);
// The menu's cursor: the plain arrow at the mouse, clipped at the screen's edges.
void draw_menu_cursor(Game& game);
// Subtitle panel, text and frame, the speech countdown, and the exit caption.
void draw_texts(Game& game);
