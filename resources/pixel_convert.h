// 24-bit colour to the display's pixel format.
//
// 32-bit displays take the colour as it is (0x00RRGGBB). On 16-bit (5-6-5) and 15-bit (5-5-5)
// displays each channel is rounded to its bit count with a 2x2 ordered dither: the cell is chosen
// by the parities of a column counter (starting at the picture's width on each row, counting
// down) and a row counter (starting at the picture's height on the first row converted, counting
// down), and the channel is rounded up, with saturation, when the highest dropped bits reach the
// cell's threshold. Bitmaps are converted in file order (bottom row first), TIFF top row first,
// and the counters follow that order, so the dither pattern is part of what a picture looks like.
#pragma once

#include <cstddef>
#include <cstdint>

// Dither thresholds per cell 2 * (column & 1) + (row & 1); 4 means "never rounded up".
inline constexpr uint8_t k_dither_threshold[4] = {4, 2, 1, 3};

// A channel kept in 5 bits: the two highest of the three dropped bits decide.
inline uint32_t dither5(uint32_t c, int cell) {
    if (((c >> 1) & 3) >= k_dither_threshold[cell]) c = c + 8 > 255 ? 255 : c + 8;
    return c >> 3;
}

// Green kept in 6 bits: the two dropped bits decide.
inline uint32_t dither6(uint32_t c, int cell) {
    if ((c & 3) >= k_dither_threshold[cell]) c = c + 4 > 255 ? 255 : c + 4;
    return c >> 2;
}

inline int dither_cell(int column_counter, int row_counter) {
    return 2 * (column_counter & 1) + (row_counter & 1);
}

inline uint16_t pack_dithered_565(uint32_t b, uint32_t g, uint32_t r, int cell) {
    return static_cast<uint16_t>(dither5(r, cell) << 11 | dither6(g, cell) << 5 | dither5(b, cell));
}

inline uint16_t pack_dithered_555(uint32_t b, uint32_t g, uint32_t r, int cell) {
    return static_cast<uint16_t>(dither5(r, cell) << 10 | dither5(g, cell) << 5 | dither5(b, cell));
}

// Bytes per converted pixel for a display depth (32: 4; 16 and 15: 2).
inline int display_pixel_bytes(int display_bpp) {
    return display_bpp == 16 || display_bpp == 15 ? 2 : 4;
}

// Convert `width` pixels stored as blue, green, red at `src` (one every `src_step` bytes) into
// display words at `dst`. The column counter starts at `width`; `row_counter` is this row's.
// Depths other than 16 and 15 take the 32-bit form.
void convert_row(const uint8_t* src, size_t src_step, int width, int row_counter, int display_bpp,
                 uint8_t* dst);
