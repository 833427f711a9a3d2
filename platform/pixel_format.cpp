#include "platform/pixel_format.h"

#include <bit>

namespace {

uint32_t pack_channel(uint32_t value8, uint32_t mask) {
    if (mask == 0) return 0;
    int shift = std::countr_zero(mask);
    int bits = std::popcount(mask);
    return ((value8 >> (8 - bits)) << shift) & mask;
}

uint8_t unpack_channel(uint32_t pixel, uint32_t mask) {
    if (mask == 0) return 0;
    int shift = std::countr_zero(mask);
    int bits = std::popcount(mask);
    uint32_t v = (pixel & mask) >> shift;
    if (bits >= 8) return static_cast<uint8_t>(v >> (bits - 8));
    uint32_t out = v << (8 - bits);
    for (int filled = bits; filled < 8; filled += bits) out |= v << (8 - bits) >> filled;
    return static_cast<uint8_t>(out);
}

} // namespace

uint32_t pack_rgb(const PixelFormat& f, uint32_t r, uint32_t g, uint32_t b) {
    return pack_channel(r, f.r_mask) | pack_channel(g, f.g_mask) | pack_channel(b, f.b_mask);
}

Rgb8 unpack_rgb(const PixelFormat& f, uint32_t pixel) {
    return {unpack_channel(pixel, f.r_mask), unpack_channel(pixel, f.g_mask),
            unpack_channel(pixel, f.b_mask)};
}
