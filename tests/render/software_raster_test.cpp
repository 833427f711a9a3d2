#include "render/software_raster.h"

#include <cstring>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

namespace {

// A 640x480 frame, depth and picture, and a texture of one colour.
struct Raster {
    int bpp;
    std::vector<uint8_t> frame;
    std::vector<uint16_t> depth = std::vector<uint16_t>(640 * 480, 65535);
    std::vector<uint8_t> picture = std::vector<uint8_t>(640 * 480 * 4, 200);
    std::unique_ptr<SoftwareRaster> r = std::make_unique<SoftwareRaster>();
    std::unique_ptr<PaletteTexture> texture = std::make_unique<PaletteTexture>();

    explicit Raster(int bits = 32) : bpp(bits), frame(640 * 480 * (bits == 32 ? 4 : 2), 0) {
        set_texel(0, 200, 100, 50);
        r->texture = texture.get();
    }
    void set_texel(int index, int red, int green, int blue) {
        texture->palette[index][0] = static_cast<uint16_t>(blue * 257 / 2);
        texture->palette[index][1] = static_cast<uint16_t>(green * 257 / 2);
        texture->palette[index][2] = static_cast<uint16_t>(red * 257 / 2);
    }
    SoftwareTargets targets() {
        return {frame.data(), 640 * (bpp == 32 ? 4 : 2), bpp, depth, picture};
    }
    uint32_t pixel(int x, int y) const {
        if (bpp == 32) {
            uint32_t v;
            std::memcpy(&v, frame.data() + (y * 640 + x) * 4, 4);
            return v;
        }
        uint16_t v;
        std::memcpy(&v, frame.data() + (y * 640 + x) * 2, 2);
        return v;
    }
};

ScreenVertex sv(float x, float y, float z, uint32_t colour = 0xFFFFFFFF) {
    ScreenVertex v;
    v.x = x;
    v.y = y;
    v.z = z;
    v.colour = colour;
    v.specular = 0xFF000000;
    return v;
}

ModelPart triangle_part(std::vector<ScreenVertex> corners) {
    ModelPart p;
    p.screen_vertices = std::move(corners);
    p.vertex_indices = {0, 1, 2};
    p.uv_indices = {0, 0, 0};
    p.uvs_fixed = {{0, 0}};
    return p;
}

} // namespace

TEST(SoftwareRaster, SpanFromTenToTwentyWritesTenPixelsWithStepsOverEleven) {
    Raster t;
    // Row 50 runs from the first corner (x 10, depth 0) to the second (x 20, depth 11000).
    const ModelPart part = triangle_part({sv(10, 50, 0), sv(20, 50, 11000), sv(20, 60, 11000)});
    draw_part_software(*t.r, t.targets(), part);
    EXPECT_EQ(t.depth[50 * 640 + 9], 65535);
    EXPECT_EQ(t.depth[50 * 640 + 10], 1000); // each pixel advances first: 11000 / 11
    EXPECT_EQ(t.depth[50 * 640 + 19], 10000);
    EXPECT_EQ(t.depth[50 * 640 + 20], 65535); // the right end is never drawn
    EXPECT_EQ(t.r->actor.min_x, 10);
    EXPECT_EQ(t.r->actor.max_y, 60); // the edges widen the rectangle by their rows
}

TEST(SoftwareRaster, VertexColourModulatesTheTexelOnEveryFormat) {
    struct Case {
        uint32_t colour;
        uint32_t red, green, blue;
    };
    for (const Case c : {Case{0xFFFFFFFF, 199, 99, 49}, Case{0x80808080, 100, 50, 25}}) {
        for (int bpp : {32, 16, 15}) {
            Raster t(bpp);
            draw_part_software(
                *t.r, t.targets(),
                triangle_part({sv(100, 100, 500, c.colour), sv(200, 100, 500, c.colour),
                               sv(100, 200, 500, c.colour)}));
            EXPECT_EQ(t.pixel(120, 120), pack_pixel(bpp, c.blue, c.green, c.red))
                << std::hex << c.colour << " at " << std::dec << bpp;
        }
    }
    EXPECT_EQ(pack_pixel(16, 0xFF, 0, 0xFF), 0xF81Fu);
    EXPECT_EQ(pack_pixel(15, 0, 0xFF, 0), 0x03E0u);
}

TEST(SoftwareRaster, QuickRejectionAgainstTheSceneDepth) {
    for (const int corner_depth : {1100, 1200}) {
        Raster t;
        std::fill(t.depth.begin(), t.depth.end(), uint16_t{1000});
        t.depth[130 * 640 + 130] = 65535; // a hole the triangle would show through
        draw_part_software(
            *t.r, t.targets(),
            triangle_part({sv(100, 100, float(corner_depth)), sv(200, 100, float(corner_depth)),
                           sv(100, 200, float(corner_depth))}));
        // 1200 - 160 is not below 1000: skipped without scan conversion.
        EXPECT_EQ(t.pixel(130, 130) != 0, corner_depth == 1100) << corner_depth;
    }
}

TEST(SoftwareRaster, CullingDepthRangeAndTwoCharacters) {
    Raster t;
    t.r->cull = 1;
    const ModelPart clockwise =
        triangle_part({sv(100, 100, 500), sv(200, 100, 500), sv(100, 200, 500)});
    const ModelPart other =
        triangle_part({sv(100, 100, 500), sv(100, 200, 500), sv(200, 100, 500)});
    draw_part_software(*t.r, t.targets(), clockwise);
    draw_part_software(*t.r, t.targets(), other);
    // Exactly one of the two windings is drawn.
    EXPECT_NE(t.pixel(120, 120), 0u);
    EXPECT_EQ(t.depth[120 * 640 + 120], 500);
    // A nearer character drawn first hides a later one.
    Raster u;
    draw_part_software(*u.r, u.targets(),
                       triangle_part({sv(100, 100, 300, 0xFF000000), sv(200, 100, 300, 0xFF000000),
                                      sv(100, 200, 300, 0xFF000000)}));
    draw_part_software(*u.r, u.targets(),
                       triangle_part({sv(100, 100, 600), sv(200, 100, 600), sv(100, 200, 600)}));
    EXPECT_EQ(u.pixel(120, 120), 0u);
    // Corners beyond the depth range or behind the eye draw nothing.
    Raster w;
    draw_part_software(*w.r, w.targets(),
                       triangle_part({sv(100, 100, 70000), sv(200, 100, 500), sv(100, 200, 500)}));
    draw_part_software(*w.r, w.targets(),
                       triangle_part({sv(100, 100, -5), sv(200, 100, 500), sv(100, 200, 500)}));
    EXPECT_EQ(w.pixel(120, 120), 0u);
}

// Far characters have depths above 32767 (600 units from the camera and more): the whole
// 16-bit range must order correctly, with steep depth slopes across a row as well.
TEST(SoftwareRaster, FarDepthsKeepTheirOrder) {
    struct Case {
        float near_depth, far_depth;
    };
    for (const Case c : {Case{35000, 40000}, Case{60000, 65000}, Case{100, 65500}}) {
        Raster t;
        std::fill(t.depth.begin(), t.depth.end(), static_cast<uint16_t>(c.near_depth));
        // A corner off the screen: the quick rejection lets the triangle through to its pixels.
        draw_part_software(*t.r, t.targets(),
                           triangle_part({sv(-20, 100, c.far_depth), sv(200, 100, c.far_depth),
                                          sv(100, 200, c.far_depth)}));
        EXPECT_EQ(t.pixel(120, 120), 0u) << c.far_depth << " behind " << c.near_depth;
        // In front of the same scenery it is drawn, with its own depth written.
        std::fill(t.depth.begin(), t.depth.end(), uint16_t{65535});
        draw_part_software(*t.r, t.targets(),
                           triangle_part({sv(100, 100, c.far_depth), sv(200, 100, c.near_depth),
                                          sv(100, 200, c.far_depth)}));
        EXPECT_NE(t.pixel(120, 120), 0u);
        const uint16_t d = t.depth[120 * 640 + 120];
        EXPECT_GE(d, std::min(c.near_depth, c.far_depth));
        EXPECT_LE(d, std::max(c.near_depth, c.far_depth));
    }
}

TEST(SoftwareRaster, FullFogShowsTheFogColour) {
    Raster t;
    t.r->fog_used = true;
    t.r->fog_colour = 0x00FF8000;
    auto part = triangle_part({sv(100, 100, 500), sv(200, 100, 500), sv(100, 200, 500)});
    for (auto& v : part.screen_vertices) v.specular = 0x00000000; // fog factor 0
    draw_part_software(*t.r, t.targets(), part);
    EXPECT_EQ(t.pixel(120, 120), pack_pixel(32, 0, 127, 254));
}

TEST(SoftwareRaster, ShadowStripDarkensThePictureInFrontOfTheScene) {
    Raster t;
    t.set_texel(0, 255, 255, 255);
    t.depth[0] = 0; // behind the scene at the first pixel
    std::vector<ScreenVertex> q{sv(-10, -10, 100, 0x40404040), sv(50, -10, 100, 0x40404040),
                                sv(-10, 50, 100, 0x40404040), sv(50, 50, 100, 0x40404040)};
    draw_strip_software(*t.r, t.targets(), q);
    EXPECT_EQ(t.picture[(20 * 640 + 20) * 4 + 2], 200 - 63);
    EXPECT_EQ(t.picture[0], 200);
    EXPECT_EQ(t.depth[20 * 640 + 20], 65535); // no depth write
    EXPECT_EQ(t.pixel(20, 20), 0u);           // the back buffer is untouched
}

TEST(SoftwareRaster, TexturedStripLeavesBlackUndrawnAndIgnoresDepth) {
    Raster t;
    t.set_texel(1, 0, 0, 0);
    for (int i = 0; i < 65536; ++i) t.texture->indices[i] = (i % 256) < 128 ? 0 : 1;
    std::fill(t.frame.begin(), t.frame.end(), uint8_t{7});
    std::fill(t.depth.begin(), t.depth.end(), uint16_t{0});
    std::vector<ScreenVertex> q{sv(0, 0, 65000), sv(256, 0, 65000), sv(0, 256, 65000),
                                sv(256, 256, 65000)};
    q[1].u = q[3].u = 65535;
    q[2].v = q[3].v = 65535;
    draw_textured_strip_software(*t.r, t.targets(), q);
    EXPECT_EQ(t.pixel(20, 100), pack_pixel(32, 49, 99, 199));
    EXPECT_EQ(t.pixel(200, 100), 0x07070707u);
}

TEST(SoftwareRaster, LinesAreHiddenBehindTheScene) {
    Raster t;
    for (int x = 0; x < 640; ++x) t.depth[100 * 640 + x] = x < 320 ? 65535 : 10;
    std::vector<ScreenVertex> line{sv(-100, 100, 500, 0x00FF0000), sv(900, 100, 500, 0x00FF0000)};
    draw_lines_software(*t.r, t.targets(), line);
    EXPECT_EQ(t.pixel(0, 100), 0x00FF0000u);
    EXPECT_EQ(t.pixel(319, 100), 0x00FF0000u);
    EXPECT_EQ(t.pixel(320, 100), 0u);
}

TEST(DivisionTables, StepsAgreeWithDivision) {
    DivisionTables d;
    build_division_tables(d);
    for (int count : {1, 2, 3, 11, 255, 256, 700})
        for (int diff : {-255, -128, -1, 0, 1, 127, 200, 255})
            EXPECT_EQ(colour_step(d, diff, count), (diff * 256) / count) << diff << "/" << count;
    EXPECT_EQ(d.division_table[0 * 256 + 100], 0);
}
