#include <gtest/gtest.h>

#include <string>

#include "platform/text.h"

namespace {

constexpr const char* k_font = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

struct FontHandle {
    Font* font = font_open(k_font, 18);
    ~FontHandle() { font_close(font); }
};

TEST(Text, MeasuresWithinTheLineHeight) {
    FontHandle f;
    ASSERT_NE(f.font, nullptr);
    const TextSize size = text_measure(f.font, u"Héllo");
    EXPECT_GT(size.width, 20);
    EXPECT_LE(size.height, 18);
    EXPECT_GE(size.height, 15);
    EXPECT_LT(text_measure(f.font, u"i").width, text_measure(f.font, u"ii").width);
    EXPECT_EQ(text_measure(f.font, u"").width, 0);
    EXPECT_EQ(font_open("/no/such/font.ttf", 18), nullptr);
}

TEST(Text, DrawsInColourOnATransparentBackgroundAndClips) {
    FontHandle f;
    ASSERT_NE(f.font, nullptr);
    for (const PixelFormat& format : {k_format_xrgb8888, k_format_rgb565, k_format_rgb555}) {
        SurfacePtr s = make_system_surface(40, 20, format);
        const uint32_t background = pack_rgb(format, 0, 0, 255);
        surface_fill(*s, nullptr, background);
        const std::u16string text = u"\u2588\u2588";
        ASSERT_EQ(text_draw(f.font, *s, 2, 1, 0xFF0000, text), Result::ok);
        const TextSize box = text_measure(f.font, text);
        int red = 0;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 40; ++x) {
                const Rgb8 c = unpack_rgb(format, surface_pixel(*s, x, y));
                red += c.r == 255 && c.b == 0;
                const bool inside = x >= 2 && x < 2 + box.width && y >= 1 && y < 1 + box.height;
                if (!inside) {
                    EXPECT_EQ(surface_pixel(*s, x, y), background) << x << "," << y;
                }
            }
        EXPECT_GT(red, 100) << "solid glyph pixels take the text colour";

        // Partly outside every edge: drawn clipped, nothing written outside the surface.
        EXPECT_EQ(text_draw(f.font, *s, -5, -8, 0xFFFFFF, u"Wide text"), Result::ok);
        EXPECT_EQ(text_draw(f.font, *s, 35, 15, 0xFFFFFF, u"Wide text"), Result::ok);
    }
}

TEST(Text, UnusableSurfacesAnswerAsCopiesDo) {
    FontHandle f;
    SurfacePtr s = make_system_surface(8, 8, k_format_xrgb8888);
    s->lost = true;
    EXPECT_EQ(text_draw(f.font, *s, 0, 0, 0, u"a"), Result::surface_lost);
    s->lost = false;
    LockedRect lock;
    surface_lock(*s, lock);
    EXPECT_EQ(text_draw(f.font, *s, 0, 0, 0, u"a"), Result::surface_busy);
    surface_unlock(*s);
}

} // namespace
