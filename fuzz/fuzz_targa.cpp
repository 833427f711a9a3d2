// The Targa reader of the device textures. A decoded picture has the pixels its size says, and
// decodes the same from no more bytes than the reader's file limit lets it read.
#include <algorithm>

#include "platform/image_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> file(data, size);
    Image image;
    if (!decode_targa(file, image)) return 0;
    if (image.argb.size() != static_cast<size_t>(image.width) * image.height) __builtin_trap();
    const uint64_t limit = image_file_limit(file.first(std::min<size_t>(size, 64)));
    Image cut;
    if (!decode_targa(file.first(std::min<uint64_t>(size, limit)), cut) || cut.argb != image.argb)
        __builtin_trap();
    return 0;
}
