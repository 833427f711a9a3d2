// The inventory: the toolbar (a carousel showing one owned tool with its name, two arrows and a
// glow), the notice of a tool just obtained, and the tool held on the cursor.
//
// The tools are the object table's records (the object number is the tool number): `state` 0 is
// not owned, 1..99 just taken (the notice counts its passes), 100 and more owned.
#pragma once

#include <cstdint>

#include "platform/surface.h"

struct Game;

struct ToolbarState {
    int32_t toolbar_open = 0;
    int32_t current_tool = -1;  // the tool the bar shows
    int32_t toolbar_scroll = 0; // this pass's button: 0 none, 1 next, 2 previous
    SurfacePtr tool_picture;    // the shown tool's picture, and so the held tool's
    SurfacePtr notice_picture;  // the picture of the tool in the notice
    uint32_t glow_colour = 0x80808080u;
    uint32_t glow_step = 0x08080808u;
    int32_t glow_falling = 0;
};

inline bool tool_held(int32_t active_tool) {
    return active_tool != -1;
}

// The first owned (state nonzero) tool above `tool` (direction 1) or below it (2); -1 for none
// and for any other direction.
int32_t next_owned_tool(const Game& game, int32_t tool, int32_t direction);

// Draw the carousel's tool and name for `shown` after this pass's scroll; the tool now shown.
int32_t draw_toolbar_tool(Game& game, int32_t shown, int32_t scroll);

// The frame's overlays of the tools: the toolbar when open, the notice of a new tool and the held
// tool, in that order.
void draw_tool_overlays(Game& game);
