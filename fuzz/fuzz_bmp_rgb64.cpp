// A 24-bit bitmap widened into the 4096-pixel wide-pixel buffer.
#include <vector>

#include "resources/picture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint16_t> buffer(4096 * 4);
    decode_picture_rgb64(std::span(data, size), buffer);
    return 0;
}
