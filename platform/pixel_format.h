// Pixel formats of display, offscreen and depth surfaces.
//
// A format is described the way the display hardware of the game's era described it: a bit count
// and channel masks. The game reads these masks (for example, a 16-bit mode is 5-6-5 when the red,
// green and blue masks add up to 0xFFFF, else 5-5-5), so they are part of the contract.
#pragma once

#include <cstdint>

enum PixelFormatFlags : uint32_t {
    PF_RGB = 0x40,
    PF_ALPHA_PIXELS = 0x01,
    PF_ZBUFFER = 0x400,
    PF_STENCIL_BUFFER = 0x4000,
};

struct PixelFormat {
    uint32_t flags = 0;
    uint32_t bit_count = 0;
    uint32_t r_mask = 0, g_mask = 0, b_mask = 0, a_mask = 0;
    // Depth formats: bits and mask of the depth value, and of the stencil value.
    uint32_t z_bits = 0, z_mask = 0;
    uint32_t stencil_bits = 0, stencil_mask = 0;

    bool operator==(const PixelFormat&) const = default;
};

inline constexpr PixelFormat k_format_xrgb8888{PF_RGB, 32, 0xFF0000, 0xFF00, 0xFF, 0};
inline constexpr PixelFormat k_format_rgb565{PF_RGB, 16, 0xF800, 0x07E0, 0x001F, 0};
inline constexpr PixelFormat k_format_rgb555{PF_RGB, 16, 0x7C00, 0x03E0, 0x001F, 0};
inline constexpr PixelFormat k_format_z16{PF_ZBUFFER, 16, 0, 0, 0, 0, 16, 0xFFFF, 0, 0};
// 24 depth bits in the upper part of the word, 8 stencil bits below them.
inline constexpr PixelFormat k_format_z24s8{
    PF_ZBUFFER | PF_STENCIL_BUFFER, 32, 0, 0, 0, 0, 24, 0xFFFFFF00, 8, 0xFF};

inline int bytes_per_pixel(const PixelFormat& f) {
    return static_cast<int>((f.bit_count + 7) / 8);
}

inline bool is_depth_format(const PixelFormat& f) {
    return (f.flags & PF_ZBUFFER) != 0;
}

// Pack 8-bit red, green and blue into a pixel word of an RGB format (truncating low bits).
uint32_t pack_rgb(const PixelFormat& f, uint32_t r, uint32_t g, uint32_t b);

struct Rgb8 {
    uint8_t r, g, b;
};

// Unpack a pixel word to 8-bit channels, replicating high bits into the low ones so that the
// brightest value of a short channel maps to 255.
Rgb8 unpack_rgb(const PixelFormat& f, uint32_t pixel);
