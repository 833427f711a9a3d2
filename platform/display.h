// The display object: exclusive full-screen mode, video memory, surfaces, flip and gamma.
//
// It stands where the game's era had its display driver object. Video memory is a number the
// backend reports and every surface placed in video memory is charged against it, so that the
// fall-backs of display set-up (16 bits, one back buffer, system memory) are real code paths.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/surface.h"

// Three ramps of 256 entries, red, green and blue; applied when a frame is presented.
struct GammaRamp {
    std::array<uint16_t, 256> red{}, green{}, blue{};
};

GammaRamp identity_gamma_ramp();

struct VideoMemoryPool {
    uint64_t total = 0;
    uint64_t free = 0;
    std::vector<Surface*> live; // every surface made by the display, for "lose all"
};

struct Display {
    std::shared_ptr<VideoMemoryPool> pool;
    bool exclusive = false;
    int mode_bpp = 0;        // 0 until a mode is set
    PixelFormat mode_format; // the display's pixel format in that mode
    Surface* primary = nullptr;
    GammaRamp gamma = identity_gamma_ramp();
};

struct SurfaceDesc {
    int width = 0;
    int height = 0;
    PixelFormat format; // bit_count 0: the display mode's format
    Memory memory = Memory::anywhere;
};

// Create the display object from what the backend reports of the machine.
Result display_create(Display& d);
Result display_set_exclusive(Display& d);
// Set 640x480 at 32 or 16 bits. Asking for 16 bits gives 5-6-5 or 5-5-5 as the machine has it.
Result display_set_mode(Display& d, int width, int height, int bpp);

uint64_t display_video_memory_total(const Display& d);
uint64_t display_video_memory_free(const Display& d);

// An offscreen surface. Memory::video fails with out_of_video_memory when it does not fit;
// Memory::anywhere tries video memory first, then system memory.
Result display_create_surface(Display& d, const SurfaceDesc& desc, SurfacePtr& out);

// The primary surface with back_buffers (1 or 2) back buffers in the mode's format.
// With in_video_memory the whole chain must fit into video memory.
Result display_create_primary(Display& d, int back_buffers, bool in_video_memory, SurfacePtr& out);

// The back buffer attached to a primary surface (owned by the primary).
Surface* surface_back_buffer(Surface& primary);

// Show the back buffer: the chain rotates (front <- back 0 <- back 1 <- front) and the new front
// is presented with the gamma ramp applied.
Result display_flip(Display& d);

void display_set_gamma(Display& d, const GammaRamp& ramp);

// Mark the surfaces a mode switch by another program takes away lost: those in video memory and
// the primary surface with its flip chain. Surfaces in system memory keep their contents.
void display_lose_all_surfaces(Display& d);
// Restore every lost surface of the display; their contents are cleared.
void display_restore_all_surfaces(Display& d);
