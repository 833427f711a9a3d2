// The 3D device: rasterisation rules, the pixel pipeline's states, textures, vertex buffers and
// the answers of the draw calls.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>

#include "tests/platform/device_rig.h"

namespace {

constexpr uint32_t k_black = 0;

// Additive drawing of colour 1: every pixel then counts how often it was drawn.
void count_coverage(DeviceRig& rig) {
    rig.fill(k_black);
    rig.states({{RenderState::cull_mode, CULL_NONE},
                {RenderState::alpha_blend_enable, 1},
                {RenderState::src_blend, BLEND_ONE},
                {RenderState::dest_blend, BLEND_ONE}});
}

TEST(Device3D, RectanglesCoverThePixelCentresTheyContainTopAndLeftEdgesIncluded) {
    struct Case {
        float x0, y0, x1, y1;
        int px0, py0, px1, py1; // covered pixels [px0, px1) x [py0, py1)
    } cases[] = {
        {0, 0, 64, 64, 0, 0, 64, 64},           {10.5f, 20.5f, 30.5f, 40.5f, 11, 21, 31, 41},
        {10, 20, 30, 40, 10, 20, 30, 40},     // centres on the top and left edges are in
        {3.2f, 5.7f, 3.9f, 9.1f, 0, 0, 0, 0}, // no centre inside
        {-5, -5, 2.05f, 1, 0, 0, 3, 1},       // partly off the target
        {60.6f, 62.2f, 90, 90, 61, 63, 64, 64},
    };
    for (const Case& c : cases) {
        DeviceRig rig;
        count_coverage(rig);
        ASSERT_EQ(
            rig.draw(Primitive::triangle_strip, rect(c.x0, c.y0, c.x1, c.y1, 0.5f, 0x01010101)),
            Result::ok);
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) {
                const bool in = x >= c.px0 && x < c.px1 && y >= c.py0 && y < c.py1;
                ASSERT_EQ(rig.pixel(x, y), in ? 0x010101u : 0u)
                    << "pixel " << x << "," << y << " of rectangle " << c.x0 << "," << c.y0;
            }
    }
}

TEST(Device3D, TrianglesSharingEdgesDrawEveryPixelOnce) {
    DeviceRig rig;
    count_coverage(rig);
    // A fan of thin triangles around an off-grid centre: edges at every slope, each shared.
    const float cx = 31.3f, cy = 30.7f, radius = 25.0f;
    constexpr int n = 23;
    std::vector<TLVertex> list;
    auto corner = [&](int i) {
        const double a = 2 * std::numbers::pi * i / n + 0.1;
        return vertex(cx + radius * static_cast<float>(std::cos(a)),
                      cy + radius * static_cast<float>(std::sin(a)), 0.5f, 0x01010101);
    };
    for (int i = 0; i < n; ++i) {
        list.push_back(vertex(cx, cy, 0.5f, 0x01010101));
        list.push_back(corner(i));
        list.push_back(corner(i + 1));
    }
    ASSERT_EQ(rig.draw(Primitive::triangle_list, list), Result::ok);
    int drawn = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const uint32_t p = rig.pixel(x, y);
            ASSERT_LE(p, 0x010101u) << "pixel " << x << "," << y << " drawn twice";
            // Well inside the polygon (its inner radius is radius * cos(pi / n)) every pixel
            // must be drawn.
            if (std::hypot(x - cx, y - cy) < radius * std::cos(std::numbers::pi / n) - 0.1) {
                ASSERT_EQ(p, 0x010101u) << "gap at " << x << "," << y;
            }
            drawn += p != 0;
        }
    EXPECT_NEAR(drawn, std::numbers::pi * radius * radius, 60);
}

TEST(Device3D, CullModesDropOneWindingAsSeenOnTheScreen) {
    // y points down: (0,0) -> (20,0) -> (0,20) turns clockwise on the screen.
    const std::vector<TLVertex> clockwise = {vertex(0, 0), vertex(20, 0), vertex(0, 20)};
    const std::vector<TLVertex> counter = {vertex(0, 0), vertex(0, 20), vertex(20, 0)};
    struct Case {
        uint32_t cull;
        bool cw_drawn, ccw_drawn;
    } cases[] = {{CULL_NONE, true, true}, {CULL_CW, false, true}, {CULL_CCW, true, false}};
    for (const Case& c : cases)
        for (bool cw : {true, false}) {
            DeviceRig rig;
            rig.state(RenderState::cull_mode, c.cull);
            rig.draw(Primitive::triangle_list, cw ? clockwise : counter);
            EXPECT_EQ(rig.pixel(2, 2) != 0, cw ? c.cw_drawn : c.ccw_drawn) << c.cull << cw;
        }
}

TEST(Device3D, DepthTestLessOrEqualAndDepthWritesInBothFormats) {
    struct Case {
        PixelFormat format;
        uint32_t stored;     // the depth word before drawing
        uint32_t half_depth; // z = 0.5 in the format, as stored
    } cases[] = {
        {k_format_z16, 32768, 32767},
        {k_format_z24s8, (8388608u << 8) | 0x5A, (8388607u << 8) | 0x5A}, // stencil kept
    };
    for (const Case& c : cases) {
        DeviceRig rig(k_format_xrgb8888, c.format);
        rig.fill_depth(c.stored);
        rig.state(RenderState::z_enable, 1);
        rig.draw(Primitive::triangle_strip, rect(0, 0, 32, 8, 0.5f, 0xFF00FF00));  // nearer
        rig.draw(Primitive::triangle_strip, rect(32, 0, 64, 8, 0.6f, 0xFF00FF00)); // behind
        EXPECT_EQ(rig.pixel(5, 5), 0x00FF00u);
        EXPECT_EQ(rig.depth_word(5, 5), c.half_depth);
        EXPECT_EQ(rig.pixel(40, 5), 0u);
        EXPECT_EQ(rig.depth_word(40, 5), c.stored);

        // Equal depth passes too; without depth writes the depth stays.
        rig.state(RenderState::z_write_enable, 0);
        rig.draw(Primitive::triangle_strip, rect(0, 0, 32, 4, 0.5f, 0xFF0000FF));
        rig.draw(Primitive::triangle_strip, rect(0, 4, 32, 8, 0.4f, 0xFF0000FF));
        EXPECT_EQ(rig.pixel(5, 2), 0x0000FFu);
        EXPECT_EQ(rig.pixel(5, 5), 0x0000FFu);
        EXPECT_EQ(rig.depth_word(5, 5), c.half_depth);
        // Without the depth test everything draws and nothing is written, whatever z says.
        rig.states({{RenderState::z_enable, 0}, {RenderState::z_write_enable, 1}});
        rig.draw(Primitive::triangle_strip, rect(0, 16, 64, 24, 0.9f, 0xFFFF0000));
        EXPECT_EQ(rig.pixel(40, 20), 0xFF0000u);
        EXPECT_EQ(rig.depth_word(40, 20), c.stored);
    }
}

TEST(Device3D, DepthIsClampedToTheRangeOfTheFormat) {
    DeviceRig rig(k_format_xrgb8888, k_format_z16);
    rig.fill_depth(0xFFFF);
    rig.state(RenderState::z_enable, 1);
    rig.draw(Primitive::triangle_strip, rect(0, 0, 8, 8, 1.5f));
    EXPECT_EQ(rig.depth_word(2, 2), 0xFFFFu);
    rig.draw(Primitive::triangle_strip, rect(8, 0, 16, 8, -0.5f));
    EXPECT_EQ(rig.depth_word(10, 2), 0u);
}

TEST(Device3D, StencilOperationsOnPassFailAndDepthFail) {
    struct Op {
        uint32_t op;
        uint32_t before, after;
    } ops[] = {
        {STENCILOP_KEEP, 7, 7},    {STENCILOP_ZERO, 7, 0},        {STENCILOP_REPLACE, 7, 3},
        {STENCILOP_INCRSAT, 7, 8}, {STENCILOP_INCRSAT, 255, 255}, {STENCILOP_DECRSAT, 7, 6},
        {STENCILOP_DECRSAT, 0, 0}, {STENCILOP_INVERT, 7, 248},    {STENCILOP_INCR, 255, 0},
        {STENCILOP_DECR, 0, 255},
    };
    enum Outcome {
        pass,
        fail,
        zfail
    };
    for (Outcome outcome : {pass, fail, zfail})
        for (const Op& o : ops) {
            DeviceRig rig;
            // Stored depth 0.5; the rectangle is at 0.25 (passes) or 0.75 (fails the depth test).
            rig.fill_depth((8388607u << 8) | o.before);
            rig.states({{RenderState::z_enable, 1},
                        {RenderState::stencil_enable, 1},
                        {RenderState::stencil_ref, 3},
                        {RenderState::stencil_func, outcome == fail ? CMP_NEVER : CMP_ALWAYS},
                        {RenderState::stencil_pass, outcome == pass ? o.op : STENCILOP_KEEP},
                        {RenderState::stencil_fail, outcome == fail ? o.op : STENCILOP_KEEP},
                        {RenderState::stencil_zfail, outcome == zfail ? o.op : STENCILOP_KEEP}});
            rig.draw(Primitive::triangle_strip,
                     rect(0, 0, 4, 4, outcome == zfail ? 0.75f : 0.25f, 0xFFFFFFFF));
            EXPECT_EQ(rig.depth_word(1, 1) & 0xFF, o.after)
                << "op " << o.op << " outcome " << outcome << " from " << o.before;
            EXPECT_EQ(rig.pixel(1, 1), outcome == pass ? 0xFFFFFFu : 0u);
            const uint32_t depth = outcome == pass ? 4194303u : 8388607u;
            EXPECT_EQ(rig.depth_word(1, 1) >> 8, depth) << "the depth is written only on a pass";
        }
}

TEST(Device3D, StencilMasksAndComparison) {
    DeviceRig rig;
    rig.fill_depth(0x37);
    rig.states({{RenderState::stencil_enable, 1},
                {RenderState::stencil_pass, STENCILOP_INVERT},
                {RenderState::stencil_write_mask, 0xF0}});
    rig.draw(Primitive::triangle_strip, rect(0, 0, 4, 4));
    EXPECT_EQ(rig.depth_word(1, 1) & 0xFF, 0xC7u) << "only the write mask's bits change";

    // (ref & mask) compared with (stencil & mask): 0xC7 & 0xF0 == 0xC5 & 0xF0 != 0x37 & 0xF0.
    rig.fill(k_black);
    rig.states({{RenderState::stencil_pass, STENCILOP_KEEP},
                {RenderState::stencil_func, CMP_EQUAL},
                {RenderState::stencil_ref, 0xC5},
                {RenderState::stencil_mask, 0xF0}});
    rig.draw(Primitive::triangle_strip, rect(0, 0, 8, 8));
    EXPECT_NE(rig.pixel(1, 1), 0u);
    EXPECT_EQ(rig.pixel(6, 6), 0u);
}

TEST(Device3D, ShadowVolumesAndTheDarkeningPass) {
    DeviceRig rig;
    rig.fill(0x00C08040);
    rig.fill_depth(0xFFFFFF00);
    // A volume's front faces count up, its back faces down: the pixels between keep a count.
    rig.states({{RenderState::z_enable, 1},
                {RenderState::z_write_enable, 0},
                {RenderState::stencil_enable, 1},
                {RenderState::stencil_func, CMP_ALWAYS},
                {RenderState::alpha_blend_enable, 1},
                {RenderState::src_blend, BLEND_ZERO},
                {RenderState::dest_blend, BLEND_ONE},
                {RenderState::shade_mode, SHADE_FLAT}});
    rig.states(
        {{RenderState::cull_mode, CULL_CCW}, {RenderState::stencil_pass, STENCILOP_INCRSAT}});
    std::vector<TLVertex> front = rect(0, 0, 32, 64, 0.3f); // counter-clockwise strip
    rig.draw(Primitive::triangle_strip, {front[1], front[0], front[3], front[2]}); // clockwise
    rig.draw(Primitive::triangle_strip, {front[1], front[0], front[3], front[2]});
    rig.states({{RenderState::cull_mode, CULL_CW}, {RenderState::stencil_pass, STENCILOP_DECRSAT}});
    rig.draw(Primitive::triangle_strip, rect(0, 0, 16, 64, 0.6f));
    EXPECT_EQ(rig.pixel(5, 5), 0x00C08040u) << "the volumes leave the colour as it was";
    EXPECT_EQ(rig.depth_word(5, 5) & 0xFF, 1u);
    EXPECT_EQ(rig.depth_word(20, 5) & 0xFF, 2u);
    EXPECT_EQ(rig.depth_word(40, 5) & 0xFF, 0u);

    // The darkening quad: no texture, black at half alpha, where the stencil is not 0.
    rig.states({{RenderState::z_enable, 0},
                {RenderState::src_blend, BLEND_SRCALPHA},
                {RenderState::dest_blend, BLEND_INVSRCALPHA},
                {RenderState::stencil_func, CMP_NOTEQUAL},
                {RenderState::stencil_ref, 0},
                {RenderState::stencil_pass, STENCILOP_ZERO},
                {RenderState::shade_mode, SHADE_GOURAUD}});
    rig.draw(Primitive::triangle_strip, rect(0, 0, 64, 64, 0, 0x7F000000));
    EXPECT_EQ(rig.pixel(5, 5), 0x00604020u);
    EXPECT_EQ(rig.pixel(20, 5), 0x00604020u);
    EXPECT_EQ(rig.pixel(40, 5), 0x00C08040u);
    for (int x : {5, 20, 40}) EXPECT_EQ(rig.depth_word(x, 5), 0xFFFFFF00u) << "stencil cleared";
}

TEST(Device3D, AlphaTestCutsBeforeDepthAndColourAreWritten) {
    DeviceRig rig(k_format_xrgb8888, k_format_z16);
    TexturePtr t = make_texture(rig.dev(), 2, 1, k_texture_argb8888,
                                [](int x, int) { return x == 0 ? 0x00FF0000u : 0xFF00FF00u; });
    device_set_texture(rig.dev(), 0, t);
    rig.fill_depth(0xFFFF);
    rig.states({{RenderState::z_enable, 1},
                {RenderState::alpha_test_enable, 1},
                {RenderState::alpha_ref, 1},
                {RenderState::alpha_func, CMP_GREATEREQUAL}});
    rig.stage(StageState::alpha_op, TOP_SELECTARG1);
    rig.stage(StageState::alpha_arg1, TA_TEXTURE);
    rig.draw(Primitive::triangle_strip, rect(0, 0, 2, 1));
    EXPECT_EQ(rig.pixel(0, 0), 0u);
    EXPECT_EQ(rig.depth_word(0, 0), 0xFFFFu);
    EXPECT_EQ(rig.pixel(1, 0), 0x00FF00u);
    EXPECT_EQ(rig.depth_word(1, 0), 32767u);
}

TEST(Device3D, BlendFactorPairsOfTheGame) {
    struct Case {
        uint32_t src, dest;
        int r, g, b;
    } cases[] = {
        {BLEND_SRCALPHA, BLEND_INVSRCALPHA, 175, 113, 100},
        {BLEND_DESTCOLOR, BLEND_SRCCOLOR, 157, 118, 98},
        {BLEND_ONE, BLEND_ONE, 255, 250, 255},
        {BLEND_ZERO, BLEND_INVSRCCOLOR, 122, 41, 1},
        {BLEND_ZERO, BLEND_ONE, 200, 100, 50},
        {BLEND_ONE, BLEND_INVSRCCOLOR, 222, 191, 251},
        {BLEND_INVSRCALPHA, BLEND_INVSRCCOLOR, 196, 154, 188},
        {BLEND_INVDESTCOLOR, BLEND_INVSRCCOLOR, 143, 132, 202},
        {BLEND_ONE, BLEND_SRCCOLOR, 178, 209, 255},
    };
    for (const Case& c : cases) {
        DeviceRig rig;
        rig.fill(0x00C86432); // 200, 100, 50
        rig.states({{RenderState::alpha_blend_enable, 1},
                    {RenderState::src_blend, c.src},
                    {RenderState::dest_blend, c.dest}});
        rig.draw(Primitive::triangle_strip, rect(0, 0, 4, 4, 0.5f, 0x406496FA)); // 100, 150, 250
        const Rgb8 p = rig.rgb(1, 1);
        EXPECT_NEAR(p.r, c.r, 1) << c.src << "/" << c.dest;
        EXPECT_NEAR(p.g, c.g, 1) << c.src << "/" << c.dest;
        EXPECT_NEAR(p.b, c.b, 1) << c.src << "/" << c.dest;
    }
}

TEST(Device3D, TextureStageOperationsAndSpecularAndFog) {
    struct Case {
        const char* what;
        uint32_t colour_op, arg1, arg2;
        bool specular, fog;
        uint32_t specular_colour;
        int r, g, b;
    } cases[] = {
        {"modulate", TOP_MODULATE, TA_TEXTURE, TA_DIFFUSE, false, false, 0xFF000000, 100, 100, 0},
        {"texture", TOP_SELECTARG1, TA_TEXTURE, TA_DIFFUSE, false, false, 0xFF000000, 200, 100, 50},
        {"diffuse", TOP_SELECTARG2, TA_TEXTURE, TA_DIFFUSE, false, false, 0xFF000000, 128, 255, 0},
        {"disabled", TOP_DISABLE, TA_TEXTURE, TA_TEXTURE, false, false, 0xFF000000, 128, 255, 0},
        {"specular", TOP_SELECTARG2, TA_TEXTURE, TA_DIFFUSE, true, false, 0xFF8010FF, 255, 255,
         255},
        {"specular off", TOP_SELECTARG2, TA_TEXTURE, TA_DIFFUSE, false, false, 0xFF8010FF, 128, 255,
         0},
        // Fog factor 0x40: a quarter of the colour, three quarters of the fog colour 0x0000FF.
        {"fog", TOP_SELECTARG2, TA_TEXTURE, TA_DIFFUSE, false, true, 0x40000000, 32, 64, 191},
        {"no fog", TOP_SELECTARG2, TA_TEXTURE, TA_DIFFUSE, false, true, 0xFF000000, 128, 255, 0},
    };
    for (const Case& c : cases) {
        DeviceRig rig;
        TexturePtr t =
            make_texture(rig.dev(), 1, 1, k_texture_xrgb8888, [](int, int) { return 0xFFC86432u; });
        device_set_texture(rig.dev(), 0, t);
        rig.stage(StageState::color_op, c.colour_op);
        rig.stage(StageState::color_arg1, c.arg1);
        rig.stage(StageState::color_arg2, c.arg2);
        rig.states({{RenderState::specular_enable, c.specular},
                    {RenderState::fog_enable, c.fog},
                    {RenderState::fog_color, 0x0000FF}});
        std::vector<TLVertex> v = rect(0, 0, 4, 4, 0.5f, 0xFF80FF00);
        for (TLVertex& t2 : v) t2.specular = c.specular_colour;
        rig.draw(Primitive::triangle_strip, v);
        const Rgb8 p = rig.rgb(1, 1);
        EXPECT_NEAR(p.r, c.r, 1) << c.what;
        EXPECT_NEAR(p.g, c.g, 1) << c.what;
        EXPECT_NEAR(p.b, c.b, 1) << c.what;
    }
}

TEST(Device3D, TextureFormatsAreListedInOrderAndDecodeTheirChannels) {
    DeviceRig rig;
    const std::vector<PixelFormat> expected = {k_texture_rgb565,   k_texture_xrgb1555,
                                               k_texture_argb1555, k_texture_argb4444,
                                               k_texture_xrgb8888, k_texture_argb8888};
    EXPECT_EQ(device_texture_formats(rig.dev()), expected);
    struct Case {
        PixelFormat format;
        uint32_t texel;  // 0x80FF8040 packed
        uint32_t colour; // as drawn
        int alpha;       // as the alpha test sees it
    } cases[] = {
        {k_texture_rgb565, 0xFC08, 0xFF8242, 255},
        {k_texture_xrgb1555, 0x7E08, 0xFF8442, 255},
        {k_texture_argb1555, 0xFE08, 0xFF8442, 255},
        {k_texture_argb4444, 0x8F84, 0xFF8844, 0x88},
        {k_texture_xrgb8888, 0xFF8040, 0xFF8040, 255},
        {k_texture_argb8888, 0x80FF8040, 0xFF8040, 0x80},
    };
    for (const Case& c : cases) {
        TexturePtr t =
            make_texture(rig.dev(), 1, 1, c.format, [](int, int) { return 0x80FF8040u; });
        ASSERT_TRUE(t);
        LockedRect lock;
        texture_lock(*t, lock);
        uint32_t stored = 0;
        std::memcpy(&stored, lock.bits, bytes_per_pixel(c.format));
        texture_unlock(*t);
        EXPECT_EQ(stored, c.texel);

        device_set_texture(rig.dev(), 0, t);
        rig.stage(StageState::color_op, TOP_SELECTARG1);
        rig.stage(StageState::alpha_op, TOP_SELECTARG1);
        rig.states({{RenderState::alpha_test_enable, 1},
                    {RenderState::alpha_func, CMP_GREATEREQUAL},
                    {RenderState::alpha_ref, static_cast<uint32_t>(c.alpha)}});
        rig.fill(k_black);
        rig.draw(Primitive::triangle_strip, rect(0, 0, 2, 2));
        EXPECT_EQ(rig.pixel(0, 0), c.colour) << std::hex << c.texel;
        if (c.alpha == 255) continue;
        rig.state(RenderState::alpha_ref, static_cast<uint32_t>(c.alpha + 1));
        rig.fill(k_black);
        rig.draw(Primitive::triangle_strip, rect(0, 0, 2, 2));
        EXPECT_EQ(rig.pixel(0, 0), 0u) << "alpha above " << c.alpha;
    }
}

TEST(Device3D, TheDeviceKeepsItsTextureWhenTheCallerLetsGo) {
    DeviceRig rig;
    TexturePtr t =
        make_texture(rig.dev(), 1, 1, k_texture_xrgb8888, [](int, int) { return 0xFF123456u; });
    device_set_texture(rig.dev(), 0, t);
    t.reset(); // a texture table entry replaced while the device still draws with it
    rig.stage(StageState::color_op, TOP_SELECTARG1);
    rig.draw(Primitive::triangle_strip, rect(0, 0, 4, 4));
    EXPECT_EQ(rig.pixel(1, 1), 0x123456u);
}

TEST(Device3D, TextureCoordinatesArePerspectiveCorrect) {
    DeviceRig rig;
    // Texel x has red x * 4: the drawn red tells which texel a pixel sampled.
    TexturePtr t = make_texture(rig.dev(), 64, 1, k_texture_xrgb8888, [](int x, int) {
        return 0xFF000000u | static_cast<uint32_t>(x * 4) << 16;
    });
    device_set_texture(rig.dev(), 0, t);
    rig.stage(StageState::color_op, TOP_SELECTARG1);
    // Near on the left (reciprocal w 1), four times further on the right.
    std::vector<TLVertex> v = {
        vertex(0, 0, 0.5f, ~0u, 0, 0, 1.0f), vertex(0, 4, 0.5f, ~0u, 0, 1, 1.0f),
        vertex(64, 0, 0.5f, ~0u, 1, 0, 0.25f), vertex(64, 4, 0.5f, ~0u, 1, 1, 0.25f)};
    rig.draw(Primitive::triangle_strip, v);
    for (int x : {8, 16, 32, 48, 60}) {
        const double s = x / 64.0;
        const double u = s * 0.25 / ((1 - s) * 1.0 + s * 0.25);
        const int texel = static_cast<int>(u * 64);
        EXPECT_NEAR(rig.rgb(x, 1).r, texel * 4, 4) << "pixel " << x;
    }
    // Texture perspective off: the same draw is affine.
    rig.state(RenderState::texture_perspective, 0);
    rig.draw(Primitive::triangle_strip, v);
    EXPECT_NEAR(rig.rgb(32, 1).r, 32 * 4, 4);
}

TEST(Device3D, FlatShadingTakesEachTrianglesFirstVertex) {
    DeviceRig rig;
    rig.states({{RenderState::shade_mode, SHADE_FLAT}, {RenderState::cull_mode, CULL_NONE}});
    const std::vector<TLVertex> strip = {
        vertex(0, 0, 0.5f, 0xFFFF0000), vertex(0, 32, 0.5f, 0xFF00FF00),
        vertex(32, 0, 0.5f, 0xFF0000FF), vertex(32, 32, 0.5f, 0xFFFFFFFF)};
    rig.draw(Primitive::triangle_strip, strip);
    EXPECT_EQ(rig.pixel(2, 2), 0xFF0000u);   // first triangle: vertices 0, 1, 2
    EXPECT_EQ(rig.pixel(30, 30), 0x00FF00u); // second triangle: vertices 1, 2, 3
}

TEST(Device3D, SixteenBitTargetsPackTheirChannels) {
    struct Case {
        PixelFormat format;
        uint32_t word;
    } cases[] = {{k_format_rgb565, 0xFC08}, {k_format_rgb555, 0x7E08}};
    for (const Case& c : cases) {
        DeviceRig rig(c.format, k_format_z16);
        rig.draw(Primitive::triangle_strip, rect(0, 0, 4, 4, 0.5f, 0xFFFF8040));
        EXPECT_EQ(rig.pixel(1, 1), c.word);
    }
}

TEST(Device3D, LineStripsDrawEachJointOnceAndPointsTheirNearestPixel) {
    DeviceRig rig;
    count_coverage(rig);
    const std::vector<TLVertex> strip = {vertex(2.5f, 10, 0.5f, 0x01010101),
                                         vertex(20.5f, 10, 0.5f, 0x01010101),
                                         vertex(20.5f, 20, 0.5f, 0x01010101)};
    rig.draw(Primitive::line_strip, strip);
    int drawn = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            ASSERT_LE(rig.pixel(x, y), 0x010101u);
            drawn += rig.pixel(x, y) != 0;
        }
    EXPECT_EQ(drawn, 18 + 10);
    EXPECT_NE(rig.pixel(2, 10), 0u);
    EXPECT_EQ(rig.pixel(1, 10), 0u);
    EXPECT_NE(rig.pixel(20, 19), 0u);
    EXPECT_EQ(rig.pixel(20, 20), 0u) << "the strip's last end is not drawn";

    // Points as the sparkles draw them: position and colour only.
    struct Coloured {
        float x, y, z, rhw;
        uint32_t diffuse;
    } sparkles[] = {
        {5.5f, 7.5f, 0.5f, 0.5f, 0xFF112233}, {-3, 7, 0.5f, 0.5f, ~0u}, {70, 7, 0.5f, 0.5f, ~0u}};
    static_assert(sizeof(Coloured) == 20);
    rig.fill(k_black);
    device_begin_scene(rig.dev());
    EXPECT_EQ(device_draw_primitive(rig.dev(), Primitive::point_list, k_fvf_coloured, sparkles, 3),
              Result::ok);
    device_end_scene(rig.dev());
    EXPECT_EQ(rig.pixel(5, 7), 0x112233u);
    int points = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) points += rig.pixel(x, y) != 0;
    EXPECT_EQ(points, 1) << "points off the target draw nothing";
}

TEST(Device3D, TheViewportLimitsDrawing) {
    DeviceRig rig;
    EXPECT_EQ(device_set_viewport(rig.dev(), {10, 20, 30, 5, 0, 1}), Result::ok);
    rig.draw(Primitive::triangle_strip, rect(0, 0, 64, 64));
    int drawn = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const bool in = x >= 10 && x < 40 && y >= 20 && y < 25;
            EXPECT_EQ(rig.pixel(x, y) != 0, in);
            drawn += in;
        }
    EXPECT_EQ(device_set_viewport(rig.dev(), {40, 0, 30, 10, 0, 1}), Result::invalid_rect);
    EXPECT_EQ(device_set_viewport(rig.dev(), {0, 0, 10, 10, 0.5f, 0.2f}), Result::invalid_rect);
}

TEST(Device3D, VertexBuffersLockAndDrawDirectlyOrThroughIndices) {
    DeviceRig rig;
    VertexBufferPtr vb;
    EXPECT_EQ(vertex_buffer_create(0x1234, 8, vb), Result::failed);
    EXPECT_EQ(vertex_buffer_create(k_fvf_textured, 0, vb), Result::failed);
    ASSERT_EQ(vertex_buffer_create(k_fvf_textured, 8, vb), Result::ok);
    EXPECT_EQ(vb->stride, 32);
    void* data = nullptr;
    ASSERT_EQ(vertex_buffer_lock(*vb, data), Result::ok);
    EXPECT_EQ(vertex_buffer_lock(*vb, data), Result::surface_busy);
    const std::vector<TLVertex> quad = rect(0, 0, 16, 16, 0.5f, 0xFFFF0000);
    std::memcpy(data, quad.data(), 4 * sizeof(TLVertex));
    const std::vector<TLVertex> second = rect(32, 0, 48, 16, 0.5f, 0xFF00FF00);
    std::memcpy(static_cast<TLVertex*>(data) + 4, second.data(), 4 * sizeof(TLVertex));

    device_begin_scene(rig.dev());
    EXPECT_EQ(device_draw_primitive_vb(rig.dev(), Primitive::triangle_strip, *vb, 0, 4),
              Result::surface_busy);
    vertex_buffer_unlock(*vb);
    EXPECT_EQ(device_draw_primitive_vb(rig.dev(), Primitive::triangle_strip, *vb, 0, 4),
              Result::ok);
    EXPECT_EQ(device_draw_primitive_vb(rig.dev(), Primitive::triangle_strip, *vb, 6, 4),
              Result::failed);
    // The game's quad indices (4q, 4q+1, 4q+2), (4q+1, 4q+2, 4q+3), drawn without culling; an
    // index beyond the vertices drawn from skips its triangle.
    rig.state(RenderState::cull_mode, CULL_NONE);
    const uint16_t indices[] = {0, 1, 2, 1, 2, 3, 0, 1, 9};
    EXPECT_EQ(device_draw_indexed_primitive_vb(rig.dev(), Primitive::triangle_list, *vb, 4, 4,
                                               indices, 9),
              Result::ok);
    device_end_scene(rig.dev());
    EXPECT_EQ(rig.pixel(8, 8), 0xFF0000u);
    EXPECT_EQ(rig.pixel(40, 8), 0x00FF00u);
    EXPECT_EQ(rig.pixel(24, 8), 0u);
    EXPECT_EQ(device_draw_primitive_vb(rig.dev(), Primitive::triangle_strip, *vb, 0, 4),
              Result::failed)
        << "outside a scene";
}

TEST(Device3D, StatesTakeOnlyTheirValues) {
    DeviceRig rig;
    Device3D& d = rig.dev();
    struct Case {
        RenderState state;
        uint32_t good, bad;
    } cases[] = {
        {RenderState::z_func, CMP_LESSEQUAL, 9},
        {RenderState::z_enable, 1, 2},
        {RenderState::src_blend, BLEND_ONE, 11},
        {RenderState::dest_blend, BLEND_ZERO, 0},
        {RenderState::cull_mode, CULL_CW, 4},
        {RenderState::shade_mode, SHADE_FLAT, 3},
        {RenderState::alpha_ref, 255, 256},
        {RenderState::stencil_pass, STENCILOP_DECR, 9},
        {RenderState::stencil_func, CMP_NOTEQUAL, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(device_set_render_state(d, c.state, c.good), Result::ok);
        EXPECT_EQ(device_set_render_state(d, c.state, c.bad), Result::failed);
        EXPECT_EQ(device_render_state(d, c.state), c.good);
    }
    EXPECT_EQ(device_set_texture_stage_state(d, 1, StageState::color_op, TOP_MODULATE),
              Result::failed);
    EXPECT_EQ(device_set_texture_stage_state(d, 0, StageState::color_op, 5), Result::failed);
    EXPECT_EQ(device_set_texture_stage_state(d, 0, StageState::mag_filter, TEXF_LINEAR),
              Result::ok);
    EXPECT_EQ(device_texture_stage_state(d, StageState::mag_filter), TEXF_LINEAR);
    EXPECT_EQ(device_set_texture(d, 1, nullptr), Result::failed);
}

TEST(Device3D, HostileVerticesAndCountsNeverCrash) {
    DeviceRig rig;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const std::vector<TLVertex> bad = {
        vertex(nan, 0),      vertex(10, 10),      vertex(0, 10),
        vertex(1e30f, 0),    vertex(10, 1e30f),   vertex(0, -1e30f),
        vertex(inf, 0),      vertex(0, 0, nan),   vertex(5, 5, 0.5f, ~0u, nan, inf),
        vertex(3e6f, -3e6f), vertex(-3e6f, 3e6f), vertex(3e6f, 3e6f),
        vertex(1, 1),        vertex(1, 1),        vertex(1, 1)};
    rig.state(RenderState::cull_mode, CULL_NONE);
    TexturePtr t = make_texture(rig.dev(), 4, 4, k_texture_xrgb8888, [](int, int) { return ~0u; });
    device_set_texture(rig.dev(), 0, t);
    for (Primitive p : {Primitive::triangle_list, Primitive::triangle_strip, Primitive::line_strip,
                        Primitive::point_list})
        EXPECT_EQ(rig.draw(p, bad), Result::ok);
    device_begin_scene(rig.dev());
    EXPECT_EQ(
        device_draw_primitive(rig.dev(), Primitive::triangle_list, k_fvf_textured, nullptr, 3),
        Result::failed);
    EXPECT_EQ(
        device_draw_primitive(rig.dev(), Primitive::triangle_list, k_fvf_textured, bad.data(), -1),
        Result::failed);
    EXPECT_EQ(device_draw_primitive(rig.dev(), Primitive::triangle_list, 0, bad.data(), 3),
              Result::failed);
    device_end_scene(rig.dev());
}

TEST(Device3D, DrawingAnswersLostAndBusySurfaces) {
    DeviceRig rig;
    rig.state(RenderState::z_enable, 1);
    rig.target->lost = true;
    EXPECT_EQ(rig.draw(Primitive::triangle_strip, rect(0, 0, 4, 4)), Result::surface_lost);
    rig.target->lost = false;
    LockedRect lock;
    surface_lock(*rig.depth, lock);
    EXPECT_EQ(rig.draw(Primitive::triangle_strip, rect(0, 0, 4, 4)), Result::surface_busy);
    surface_unlock(*rig.depth);
    EXPECT_EQ(rig.draw(Primitive::triangle_strip, rect(0, 0, 4, 4)), Result::ok);
}

TEST(Device3D, DriverOffersWhatTheMachineHas) {
    struct Case {
        bool device_32, device_16, stencil;
    } cases[] = {{true, true, true}, {false, true, false}, {false, false, true}};
    for (const Case& c : cases) {
        headless::machine() = {};
        headless::machine().knobs.device_32_bits = c.device_32;
        headless::machine().knobs.device_16_bits = c.device_16;
        headless::machine().knobs.device_stencil = c.stencil;
        Display display;
        display_create(display);
        Driver3DPtr driver;
        ASSERT_EQ(driver3d_create(display, driver), Result::ok);
        EXPECT_EQ(driver->caps.stencil_caps != 0, c.stencil);
        std::vector<PixelFormat> z = {k_format_z16};
        if (c.stencil) z.push_back(k_format_z24s8);
        EXPECT_EQ(driver->zbuffer_formats, z);
        SurfacePtr t32 = make_system_surface(8, 8, k_format_xrgb8888);
        SurfacePtr t16 = make_system_surface(8, 8, k_format_rgb565);
        Device3DPtr d;
        EXPECT_EQ(device_create(*driver, *t32, d) == Result::ok, c.device_32);
        EXPECT_EQ(device_create(*driver, *t16, d) == Result::ok, c.device_16);
    }
}

TEST(Device3D, DepthAttachesOnlyWhenItFitsAndClearingTheStencilKeepsDepth) {
    DeviceRig rig;
    device_detach_depth(rig.dev());
    SurfacePtr small = make_system_surface(32, 32, k_format_z16);
    SurfacePtr colour = make_system_surface(64, 64, k_format_xrgb8888);
    EXPECT_EQ(device_attach_depth(rig.dev(), *small), Result::wrong_format);
    EXPECT_EQ(device_attach_depth(rig.dev(), *colour), Result::wrong_format);
    EXPECT_EQ(device_clear_stencil(rig.dev(), 0), Result::failed);
    ASSERT_EQ(device_attach_depth(rig.dev(), *rig.depth), Result::ok);
    rig.fill_depth(0x123456AB);
    EXPECT_EQ(device_clear_stencil(rig.dev(), 0), Result::ok);
    EXPECT_EQ(rig.depth_word(63, 63), 0x12345600u);
}

TEST(Device3D, TexturesHonourTheDeviceLimits) {
    DeviceRig rig;
    rig.driver->caps.texture_caps = TEXTURECAPS_POW2 | TEXTURECAPS_SQUAREONLY;
    Device3DPtr square;
    ASSERT_EQ(device_create(*rig.driver, *rig.target, square), Result::ok);
    TexturePtr t;
    EXPECT_EQ(texture_create(rig.dev(), 100, 60, k_texture_rgb565, t), Result::failed);
    EXPECT_EQ(texture_create(rig.dev(), 128, 64, k_texture_rgb565, t), Result::ok);
    EXPECT_EQ(texture_create(*square, 128, 64, k_texture_rgb565, t), Result::failed);
    EXPECT_EQ(texture_create(*square, 128, 128, k_texture_rgb565, t), Result::ok);
    EXPECT_EQ(texture_create(rig.dev(), 4096, 4096, k_texture_rgb565, t), Result::failed);
    EXPECT_EQ(texture_create(rig.dev(), 0, 4, k_texture_rgb565, t), Result::failed);
    EXPECT_EQ(texture_create(rig.dev(), 4, 4, k_format_z16, t), Result::wrong_format);
}

} // namespace
