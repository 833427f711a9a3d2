// A TIFF scene picture read from inside an archive through libtiff's client callbacks, with the
// archive table and the picture both hostile. The picture must come out exactly as the same
// bytes decode on their own: every offset libtiff asks for is inside the entry, and the entry's
// end is the file's end.
#include "fuzz/fuzz_support.h"
#include "resources/tiff_picture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const FuzzWorkingDir dir;
    const std::span<const uint8_t> archive(data, size);
    dir.write("data.res", archive);
    RgbPicture archived;
    bool read = false;
    dir.inside([&] { read = read_tiff_picture("data/scr_001.tif", archived); });
    const auto entry = archive_reference(archive, "data/scr_001.tif");
    RgbPicture alone;
    const bool decoded = entry.has_value() && decode_tiff(*entry, alone);
    if (read != decoded || (read && archived.rgb != alone.rgb)) __builtin_trap();
    if (read && archived.rgb.size() != static_cast<size_t>(k_tiff_width) * k_tiff_height * 3)
        __builtin_trap();
    return 0;
}
