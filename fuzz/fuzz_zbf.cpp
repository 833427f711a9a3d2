// A .zbf depth file into the 640x480 depth buffer.
#include <vector>

#include "resources/zbf.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static std::vector<uint16_t> depth(k_depth_pixels);
    decode_zbf(std::span(data, size), std::span<uint16_t, k_depth_pixels>(depth));
    return 0;
}
