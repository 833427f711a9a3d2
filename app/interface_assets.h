// The pictures the interface draws with (cursors, subtitle frame, toolbar) and what every scene
// shares (the shadow and fly models, the glow picture, the effect textures, the heroes'
// textures), loaded at start-up; the pictures and textures are made again after the display
// surfaces were lost.
#pragma once

#include <array>
#include <vector>

#include "platform/surface.h"
#include "resources/model.h"
#include "resources/picture.h"

struct Game;

inline constexpr int k_cursor_kinds = 6;
inline constexpr size_t k_glow_picture_words = 32768 / 2; // a 32 KiB buffer of 16-bit words

struct InterfaceAssets {
    // Cursor kinds 0..5: "textures/2str2.bmp", "hand", "tube", "mlot", "comp_c", "tlk".
    std::array<SurfacePtr, k_cursor_kinds> cursor;
    SurfacePtr frame_up, frame_mid, frame_down; // the subtitle frame: gfx/up, mid, down
    SurfacePtr toolbar_frame;                   // gfx/ramka2.bmp
    SurfacePtr toolbar, toolbar_button;         // gfx/toolbar.bmp, gfx/knop.bmp
    Model shadow_model, fly_model;              // models/shade.ani, models/fly.ani
    std::vector<uint16_t> glow_picture = std::vector<uint16_t>(k_glow_picture_words);
    PaletteTexture shadow_picture; // the blob shadow of the software path
};

// Load every interface picture, and the shared models, pictures and textures of the drawing path
// in use.
void load_interface_assets(Game& game);
// After the surfaces were lost: the held tool's picture, the interface pictures, and with a 3D
// device the shared textures, the fixed render states and the vertex buffers.
void reload_interface_assets(Game& game);
