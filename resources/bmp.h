// Windows bitmap files as the game reads them.
//
// 24-bit pictures: the loaders read only the pixel-data offset (byte 10), the width (byte 18) and
// the height (byte 22, rows stored bottom row first); pixels are blue, green, red, rows padded to
// a multiple of 4 bytes. 8-bit textures: exactly 256x256 indices with a full 256-entry colour
// table right after the 54 header bytes, pixels from byte 1078, bottom row first.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "resources/rgb_picture.h"

inline constexpr size_t k_bmp_header_bytes = 54;
inline constexpr size_t k_bmp8_pixels_at = 1078;
inline constexpr size_t k_bmp8_file_bytes = k_bmp8_pixels_at + 65536;

// Where the rows of a 24-bit bitmap lie inside its file bytes.
struct Bmp24Layout {
    int width = 0, height = 0;
    size_t pixels_at = 0; // the first stored row (the picture's bottom row)
    size_t row_bytes = 0; // 3 * width plus padding to a multiple of 4

    const uint8_t* stored_row(std::span<const uint8_t> file, int k) const {
        return file.data() + pixels_at + static_cast<size_t>(k) * row_bytes;
    }
};

// Read the three header fields and check that every row lies inside the file. False for a file
// too short for its header or its rows, or with a width or height below 1.
bool bmp24_layout(std::span<const uint8_t> file, Bmp24Layout& layout);

std::vector<uint8_t> encode_bmp24(const RgbPicture& picture);

// 8-bit 256x256 picture: palette of 256 (red, green, blue) and indices, rows top first.
struct Bmp8Picture {
    uint8_t palette[256][3] = {};
    std::vector<uint8_t> indices = std::vector<uint8_t>(65536);
};

std::vector<uint8_t> encode_bmp8(const Bmp8Picture& picture);
