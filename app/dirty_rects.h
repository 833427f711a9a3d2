// The software path's rectangle bookkeeping. Without a 3D device the characters are rasterised
// straight into the back buffer, and blob shadows and effects into the frame picture
// `scene_picture_rgb32`; each pass copies what changed from the frame picture to the screen and
// cleans the frame picture and the depth picture where the previous pass drew.
#pragma once

#include <array>
#include <cstdint>
#include <span>

enum DirtyKind : int32_t {
    k_dirty_colour = 0,
    k_dirty_colour_and_depth = 1,
    k_dirty_depth = 2,
};

struct DirtyRect {
    int32_t in_use = 0;
    int32_t left = 0, right = 0, top = 0, bottom = 0; // inclusive
    int32_t kind = 0;
    int32_t raster_word = 0; // kept for the rasteriser (the smoothing value of a character)
    std::array<int32_t, 4> margins{}; // left, right, top, bottom
};

inline constexpr int k_dirty_rect_count = 256;

using DirtyList = std::array<DirtyRect, k_dirty_rect_count>;

// The first free entry takes the rectangle; a full list drops it. Empty rectangles are not
// entered.
void add_dirty_rect(DirtyList& list, int32_t left, int32_t right, int32_t top, int32_t bottom,
                    int32_t kind, int32_t raster_word, const std::array<int32_t, 4>& margins);

// The picture buffers the bookkeeping moves pixels between (640x480 each).
struct DirtyBuffers {
    std::span<uint8_t> picture_rgb32;       // the software frame picture
    std::span<const uint8_t> picture_work;  // the clean scene picture
    std::span<uint16_t> depth16;            // the depth the rasteriser tests and writes
    std::span<const uint16_t> depth16_copy; // the clean scene depth
};

// Copy every entry's rectangle (widened by its margins) that is not depth-only from the frame
// picture into the locked back buffer, converting to its format (32, 16 or 15 bits).
void present_dirty_rects(const DirtyList& list, const DirtyBuffers& buffers, uint8_t* frame,
                         int pitch, int display_bpp);

// Free every entry, restoring its colour from the clean picture (unless depth-only) and its
// depth from the clean depth (unless colour-only).
void restore_dirty_rects(DirtyList& list, const DirtyBuffers& buffers);
