// A raw fire frame into the frame table.
#include "resources/picture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FireFrames frames;
    decode_fire_frame(std::span(data, size), frames, static_cast<int>(size % 16));
    return 0;
}
