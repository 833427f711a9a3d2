// An 8-bit 256x256 texture picture into a palette texture.
#include <memory>

#include "resources/picture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto texture = std::make_unique<PaletteTexture>();
    decode_palette_texture(std::span(data, size), *texture);
    return 0;
}
