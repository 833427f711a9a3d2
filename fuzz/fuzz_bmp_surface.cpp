// A 24-bit bitmap into a display surface, at each display depth.
#include "app/display_device.h"
#include "resources/picture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (int bpp : {32, 16, 15}) {
        DisplayDevice dev;
        dev.display.pool = std::make_shared<VideoMemoryPool>();
        dev.display.pool->total = dev.display.pool->free = 8u << 20;
        dev.display.mode_format = bpp == 32   ? k_format_xrgb8888
                                  : bpp == 16 ? k_format_rgb565
                                              : k_format_rgb555;
        dev.display_bpp = bpp;
        SurfacePtr holder;
        picture_surface_from_file(dev, holder, std::span(data, size));
    }
    return 0;
}
