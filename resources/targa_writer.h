// Targa pictures as the texture loader reads them: no colour map, true colour (image type 2) or
// run-length true colour (type 10), 24 or 32 bits, rows top first when descriptor bit 5 is set.
#pragma once

#include <cstdint>
#include <vector>

#include "resources/rgb_picture.h"

struct TargaOptions {
    bool top_first = true;   // descriptor bit 5; otherwise the first stored row is the bottom one
    bool run_length = false; // image type 10 instead of 2
};

// 24 bits per pixel, or 32 when `alpha` holds one byte per pixel. Empty when the sizes do not fit
// the format (width and height 1..65535) or `alpha` has the wrong length.
std::vector<uint8_t> encode_targa(const RgbPicture& picture, const std::vector<uint8_t>* alpha,
                                  const TargaOptions& options);
