// The Targa reader of the device textures.
#include "platform/image_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Image image;
    if (decode_targa(std::span(data, size), image) &&
        image.argb.size() != static_cast<size_t>(image.width) * image.height)
        __builtin_trap();
    return 0;
}
