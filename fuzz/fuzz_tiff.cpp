// A TIFF scene picture through libtiff's client interface, as archived pictures are read.
#include "resources/tiff_picture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    RgbPicture picture;
    if (decode_tiff(std::span(data, size), picture) &&
        picture.rgb.size() != static_cast<size_t>(k_tiff_width) * k_tiff_height * 3)
        __builtin_trap();
    return 0;
}
