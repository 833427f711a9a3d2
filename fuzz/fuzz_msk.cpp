// A .msk float depth file into the 640x480 float buffer.
#include <vector>

#include "resources/msk.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static std::vector<float> depth(k_depth_pixels);
    decode_msk(std::span(data, size), std::span<float, k_depth_pixels>(depth));
    return 0;
}
