// PNG files of 8-bit RGB pixels: screenshots, tool output and golden images.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct RgbImage {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb; // rows top first, 3 bytes a pixel
};

bool write_png(const std::string& path, const RgbImage& image);
bool read_png(const std::string& path, RgbImage& image);
