// Picture files for device textures: Windows bitmaps and Targa files, decoded from bytes.
//
// Both decoders check every read against the buffer: a short, damaged or hostile file is
// rejected (false, the image left empty) and never read outside its bytes.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

struct Image {
    int width = 0, height = 0;
    int bits_per_pixel = 0;     // as stored in the file: 1, 4, 8, 16, 24 or 32
    bool has_alpha = false;     // the file carries an alpha channel
    std::vector<uint32_t> argb; // 0xAARRGGBB, rows top first; alpha 255 without an alpha channel
};

// Largest picture either decoder accepts (pixels) and largest side.
inline constexpr int64_t k_image_max_pixels = 1 << 24;
inline constexpr int k_image_max_side = 16384;

// Bitmaps: the core and the info headers (40 bytes and the longer versions), 1, 4 and 8 bits
// with a colour table (uncompressed, or run-length coded for 4 and 8 bits), 16 and 32 bits
// plain or with bit-field masks, 24 bits; rows bottom first or, with a negative height, top
// first.
bool decode_bmp(std::span<const uint8_t> file, Image& out);

// Targa: no colour map, true colour uncompressed (type 2) or run-length coded (type 10), 24 or
// 32 bits a pixel stored blue, green, red (, alpha). Rows are stored bottom first unless bit 5
// (0x20) of the image descriptor is set.
bool decode_targa(std::span<const uint8_t> file, Image& out);

// A bitmap when the bytes start with "BM", else a Targa file.
bool decode_image(std::span<const uint8_t> file, Image& out);

// The most bytes a picture file can use, judged from its first bytes (at least its fixed
// headers): the headers, the colour table and the largest pixel data that its size and coding
// can honestly need. Unknown or damaged headers give the bytes given.
uint64_t image_file_limit(std::span<const uint8_t> head);

// Read a picture file for the decoders above: never more than image_file_limit allows, so a huge
// file costs no more than the picture its header describes. False when the file cannot be read.
bool read_image_file(std::string_view path, std::vector<uint8_t>& out);
