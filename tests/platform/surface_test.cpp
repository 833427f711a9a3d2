#include <gtest/gtest.h>

#include "platform/display.h"
#include "platform/surface.h"

namespace {

SurfacePtr filled(int w, int h, const PixelFormat& f, uint32_t base) {
    SurfacePtr s = make_system_surface(w, h, f);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            surface_set_pixel(*s, x, y, base + static_cast<uint32_t>(y * w + x));
    return s;
}

TEST(Surface, CopyKeepsPixelsAndColourKeySkipsBlack) {
    SurfacePtr src = make_system_surface(3, 2, k_format_xrgb8888);
    surface_set_pixel(*src, 0, 0, 0x112233);
    surface_set_pixel(*src, 2, 1, 0x445566);
    SurfacePtr dst = make_system_surface(5, 4, k_format_xrgb8888);
    ASSERT_EQ(surface_fill(*dst, nullptr, 0xABCDEF), Result::ok);

    ASSERT_EQ(surface_copy(*dst, 1, 1, *src, nullptr, true), Result::ok);
    EXPECT_EQ(surface_pixel(*dst, 1, 1), 0x112233u);
    EXPECT_EQ(surface_pixel(*dst, 2, 1), 0xABCDEFu) << "key 0 is transparent";
    EXPECT_EQ(surface_pixel(*dst, 3, 2), 0x445566u);

    ASSERT_EQ(surface_copy(*dst, 1, 1, *src, nullptr, false), Result::ok);
    EXPECT_EQ(surface_pixel(*dst, 2, 1), 0u) << "without the key black is copied";
}

TEST(Surface, StretchedCopyScalesByNearestPixel) {
    SurfacePtr src = filled(2, 2, k_format_rgb565, 1);
    SurfacePtr dst = make_system_surface(4, 4, k_format_rgb565);
    ASSERT_EQ(surface_copy_stretched(*dst, nullptr, *src, nullptr, false), Result::ok);
    const uint32_t expected[4][4] = {{1, 1, 2, 2}, {1, 1, 2, 2}, {3, 3, 4, 4}, {3, 3, 4, 4}};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(surface_pixel(*dst, x, y), expected[y][x]) << x << "," << y;
}

TEST(Surface, OverlappingCopyWithinOneSurface) {
    SurfacePtr s = filled(1, 4, k_format_xrgb8888, 10);
    Rect top{0, 0, 1, 3};
    ASSERT_EQ(surface_copy(*s, 0, 1, *s, &top, false), Result::ok);
    EXPECT_EQ(surface_pixel(*s, 0, 1), 10u);
    EXPECT_EQ(surface_pixel(*s, 0, 2), 11u);
    EXPECT_EQ(surface_pixel(*s, 0, 3), 12u);
}

TEST(Surface, AnswersOfUnusableSurfacesAndBadRequests) {
    SurfacePtr a = make_system_surface(8, 8, k_format_xrgb8888);
    SurfacePtr b = make_system_surface(8, 8, k_format_xrgb8888);
    SurfacePtr c16 = make_system_surface(8, 8, k_format_rgb565);

    Rect outside{4, 4, 9, 8};
    EXPECT_EQ(surface_copy(*a, 0, 0, *b, &outside, false), Result::invalid_rect);
    EXPECT_EQ(surface_copy(*a, 5, 5, *b, nullptr, false), Result::invalid_rect);
    EXPECT_EQ(surface_fill(*a, &outside, 1), Result::invalid_rect);
    EXPECT_EQ(surface_copy(*a, 0, 0, *c16, nullptr, false), Result::wrong_format);

    LockedRect lock;
    ASSERT_EQ(surface_lock(*b, lock), Result::ok);
    EXPECT_EQ(lock.pitch, 32);
    EXPECT_EQ(surface_copy(*a, 0, 0, *b, nullptr, false), Result::surface_busy);
    EXPECT_EQ(surface_lock(*b, lock), Result::surface_busy);
    surface_unlock(*b);
    EXPECT_EQ(surface_copy(*a, 0, 0, *b, nullptr, false), Result::ok);

    b->lost = true;
    EXPECT_EQ(surface_copy(*a, 0, 0, *b, nullptr, false), Result::surface_lost);
    EXPECT_EQ(surface_lock(*b, lock), Result::surface_lost);
    EXPECT_EQ(surface_restore(*b), Result::ok);
    EXPECT_EQ(surface_fill(*b, nullptr, 7), Result::ok);
}

TEST(PixelFormat, PackAndUnpackPerFormat) {
    struct Case {
        PixelFormat format;
        uint32_t packed_white, packed_red;
    } cases[] = {
        {k_format_xrgb8888, 0xFFFFFF, 0xFF0000},
        {k_format_rgb565, 0xFFFF, 0xF800},
        {k_format_rgb555, 0x7FFF, 0x7C00},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(pack_rgb(c.format, 255, 255, 255), c.packed_white);
        EXPECT_EQ(pack_rgb(c.format, 255, 0, 0), c.packed_red);
        Rgb8 white = unpack_rgb(c.format, c.packed_white);
        EXPECT_EQ(white.r, 255);
        EXPECT_EQ(white.g, 255);
        EXPECT_EQ(white.b, 255);
    }
    EXPECT_EQ(unpack_rgb(k_format_rgb565, 0x0400).g, 130)
        << "6-bit green 32 replicates its high bits";
}

} // namespace
