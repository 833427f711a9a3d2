// The bitmap reader of the device textures: colour tables, run-length coding of 4 and 8 bits,
// bit-field masks, core and longer headers, rows either way up. A decoded picture has the pixels
// its size says; uncompressed ones decode the same from no more bytes than the reader's file
// limit lets it read.
#include <algorithm>

#include "platform/image_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> file(data, size);
    Image image;
    if (!decode_bmp(file, image)) return 0;
    if (image.width < 1 || image.height < 1 ||
        image.argb.size() != static_cast<size_t>(image.width) * image.height)
        __builtin_trap();
    auto le32 = [&](size_t at) {
        return static_cast<uint32_t>(data[at] | data[at + 1] << 8 | data[at + 2] << 16 |
                                     static_cast<uint32_t>(data[at + 3]) << 24);
    };
    const uint32_t compression = le32(14) == 12 ? 0 : le32(30);
    if (compression == 1 || compression == 2)
        return 0; // run-length data may carry codes beyond what an honest file needs
    const uint64_t limit = image_file_limit(file.first(std::min<size_t>(size, 64)));
    Image cut;
    if (!decode_bmp(file.first(std::min<uint64_t>(size, limit)), cut) || cut.argb != image.argb)
        __builtin_trap();
    return 0;
}
