#include "tools/common/png_image.h"

#include <png.h>

#include <cstdio>

bool write_png(const std::string& path, const RgbImage& image) {
    if (image.width <= 0 || image.height <= 0 ||
        image.rgb.size() < static_cast<size_t>(image.width) * image.height * 3)
        return false;
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_RGB;
    const std::string temp = path + ".tmp";
    if (!png_image_write_to_file(&png, temp.c_str(), 0, image.rgb.data(), 0, nullptr)) return false;
    return std::rename(temp.c_str(), path.c_str()) == 0;
}

bool read_png(const std::string& path, RgbImage& image) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str())) return false;
    png.format = PNG_FORMAT_RGB;
    if (png.width > 16384 || png.height > 16384) {
        png_image_free(&png);
        return false;
    }
    image.width = static_cast<int>(png.width);
    image.height = static_cast<int>(png.height);
    image.rgb.assign(PNG_IMAGE_SIZE(png), 0);
    if (!png_image_finish_read(&png, nullptr, image.rgb.data(), 0, nullptr)) {
        png_image_free(&png);
        return false;
    }
    return true;
}
