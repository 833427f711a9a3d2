// The inventory bar and the tool in the hero's hand as the frame sees them.
#pragma once

#include <cstdint>

#include "platform/surface.h"

struct Game;

struct ToolbarState {
    int32_t toolbar_open = 0;
    SurfacePtr held_tool_picture; // shown at the cursor while a tool is held
};

inline bool tool_held(int32_t active_tool) {
    return active_tool != -1;
}

// The bar, the notice of a tool just taken, and the tool at the cursor.
void draw_toolbar(Game& game);
