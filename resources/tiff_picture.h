// TIFF scene and menu pictures: 640x480, three 8-bit samples (RGB, chunky), read through libtiff
// with its JPEG codec. A loose file is opened by name; an archived one through client callbacks
// that present the archive entry as if it were the whole file.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "platform/surface.h"
#include "resources/rgb_picture.h"

inline constexpr int k_tiff_width = 640;
inline constexpr int k_tiff_height = 480;

// The picture's pixels as RGB rows, top first. False, with `picture` untouched, when the file is
// missing, cannot be decoded, or is not a 640x480 picture of three 8-bit samples.
bool read_tiff_picture(std::string_view path, RgbPicture& picture);
bool decode_tiff(std::span<const uint8_t> file, RgbPicture& picture);

// Into 640x480 pixels of 4 bytes (blue, green, red; the fourth byte is left as it was).
bool load_tiff_rgb32(std::span<uint8_t> destination, std::string_view path);

// Into an existing 640x480 surface in the display format (dithered at 16 and 15 bits). Writes
// nothing for display depths other than 32, 16 and 15.
bool load_tiff_surface(Surface& surface, int display_bpp, std::string_view path);

enum class TiffCompression {
    none,
    jpeg,
};

// Any size; JPEG-compressed pictures keep their RGB samples (no YCbCr conversion), as the
// game's reader expects. False when libtiff fails.
bool encode_tiff(const RgbPicture& picture, TiffCompression compression, int jpeg_quality,
                 std::vector<uint8_t>& out);
