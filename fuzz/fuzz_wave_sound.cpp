// A sound effect's wave file through the loader's header rules and the conversion into the
// mixer's format.
#include <vector>

#include "audio/wave_sound.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<int16_t> stereo;
    decode_wave_sound(std::span(data, size), stereo);
    return 0;
}
