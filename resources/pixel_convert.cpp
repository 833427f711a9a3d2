#include "resources/pixel_convert.h"

#include <cstring>

void convert_row(const uint8_t* src, size_t src_step, int width, int row_counter, int display_bpp,
                 uint8_t* dst) {
    if (display_bpp == 16 || display_bpp == 15) {
        const bool six_bit_green = display_bpp == 16;
        for (int column = width; column > 0; --column, src += src_step, dst += 2) {
            const int cell = dither_cell(column, row_counter);
            const uint16_t v = six_bit_green ? pack_dithered_565(src[0], src[1], src[2], cell)
                                             : pack_dithered_555(src[0], src[1], src[2], cell);
            std::memcpy(dst, &v, 2);
        }
        return;
    }
    for (int i = 0; i < width; ++i, src += src_step, dst += 4) {
        const uint32_t v =
            static_cast<uint32_t>(src[2]) << 16 | static_cast<uint32_t>(src[1]) << 8 | src[0];
        std::memcpy(dst, &v, 4);
    }
}
