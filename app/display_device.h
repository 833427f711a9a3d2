// The display objects created once at start-up and released at exit: the display mode, the flip
// chain, the offscreen surfaces the game composes with, and the facts the renderer reads.
#pragma once

#include <cstdint>

#include "platform/display.h"

struct Game;

struct DisplayDevice {
    Display display; // the display object itself
    SurfacePtr primary_surface;
    Surface* back_buffer = nullptr; // owned by primary_surface
    SurfacePtr background_surface;
    SurfacePtr background_copy, screen_copy, background_pristine;
    SurfacePtr thumbnail_surface;
    bool gamma_control = false;

    int display_bpp = 0; // 32, 16 (5-6-5) or 15 (5-5-5)
    int back_buffer_count = 0;
    uint64_t video_memory_total = 0;
    int depth_bits = 0;
    uint32_t depth_mask = 0;
    int stencil_bits = 0;
    uint32_t stencil_mask = 0;
};

// The failure code a Windows program of the era returned for a generic failure.
inline constexpr int k_generic_failure = static_cast<int>(0x80004005u);

// 0 on success; otherwise the failure has been shown and everything made so far released.
int create_display(Game& game);

// Release in the fixed order of shutdown; objects that do not exist are skipped.
void release_display(Game& game);

// Release the display, show `message` in a message box titled "Vantor", destroy the window;
// returns `code`.
int report_fatal(Game& game, int code, const char* message);
