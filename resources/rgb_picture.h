// A picture of 8-bit red, green, blue pixels, rows top first: what the format writers take and
// what tools and tests compare against.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct RgbPicture {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb; // width * height * 3 bytes

    const uint8_t* pixel(int x, int y) const {
        return rgb.data() + (static_cast<size_t>(y) * width + x) * 3;
    }
};
