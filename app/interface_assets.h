// The pictures the interface draws with (cursors, subtitle frame, toolbar) and the textures
// every scene shares (glow, smoke, shadow blob, fire, the heroes), loaded at start-up and made
// again after the display surfaces were lost.
#pragma once

#include <array>

#include "platform/surface.h"

struct Game;

struct InterfaceAssets {
    // Cursor kinds 0..5: "textures/2str2.bmp", "hand", "tube", "mlot", "comp_c", "tlk".
    std::array<SurfacePtr, 6> cursor;
    SurfacePtr frame_up, frame_mid, frame_down; // the subtitle frame: gfx/up, mid, down
    SurfacePtr toolbar_frame;                   // gfx/ramka2.bmp
    SurfacePtr toolbar, toolbar_button;         // gfx/toolbar.bmp, gfx/knop.bmp
};

// Load every interface picture with colour key 0, and with a 3D device the shared textures.
void load_interface_assets(Game& game);
// After the surfaces were lost: the held tool's picture, the interface pictures, and with a 3D
// device the shared textures, the fixed render states and the vertex buffers.
void reload_interface_assets(Game& game);
