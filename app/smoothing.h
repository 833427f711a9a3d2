// Edge smoothing: after the 3D drawing of a pass, the outlines of the characters are softened
// inside the rectangles the character renderer reported. Pixels that differ from the untouched
// background picture belong to a character; the first and last pixel of each run, and by the
// `smoothing` setting the run's interior, are averaged with their neighbours.
//
// Modes (the `smoothing` setting): 0 none, 1 edges, 2 full, 3 contour.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "platform/surface.h"

struct SmoothRect {
    int32_t mode = 0; // nonzero: in use; the smoothing value when the entry was made
    int32_t left = 0, right = 0, top = 0, bottom = 0;
};

inline constexpr int k_smooth_rect_count = 32;

using SmoothList = std::array<SmoothRect, k_smooth_rect_count>;

// Enter a drawn character's bounds (max x, min x, max y, min y) into the first free entry,
// widened by 3 pixels left and right and 2 up and down within the screen. A full list drops the
// rectangle; with `smoothing` 0 the entry stays free.
void add_smooth_rect(SmoothList& list, int32_t smoothing, int32_t right, int32_t left,
                     int32_t bottom, int32_t top);

// The reference picture smoothing compares with: the clean scene picture at the display's depth.
struct SmoothReference {
    std::span<const uint8_t> picture32;  // 640x480 blue, green, red, x (32-bit displays)
    std::span<const uint16_t> picture16; // 640x480 in the display's 16-bit format
};

// Process and free every entry: the rectangle of the back buffer is copied to `work` (a surface
// of the back buffer's size and format), smoothed there against the reference, and copied back.
void smooth_outlines(SmoothList& list, int32_t smoothing, int display_bpp, Surface& back_buffer,
                     Surface& work, const SmoothReference& reference);
