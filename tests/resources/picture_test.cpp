#include <gtest/gtest.h>

#include "resource_test_support.h"
#include "resources/bmp.h"
#include "resources/material.h"
#include "resources/picture.h"
#include "resources/pixel_convert.h"

namespace {

RgbPicture solid(int w, int h, uint8_t r, uint8_t g, uint8_t b) {
    RgbPicture p{w, h, {}};
    for (int i = 0; i < w * h; ++i) p.rgb.insert(p.rgb.end(), {r, g, b});
    return p;
}

// Every pixel different, so that a wrong row or column order shows.
RgbPicture gradient(int w, int h) {
    RgbPicture p{w, h, {}};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            p.rgb.insert(p.rgb.end(),
                         {static_cast<uint8_t>(x * 40 + 1), static_cast<uint8_t>(y * 30 + 2),
                          static_cast<uint8_t>(x * 7 + y * 11)});
    return p;
}

} // namespace

TEST(PixelConversion, DitherCellsDecideTheRounding) {
    // blue 0x06, green 0x03, red 0x06: every channel's deciding bits are 3, so the pixel rounds up
    // in cells 1, 2 and 3 and is only truncated in cell 0.
    EXPECT_EQ(pack_dithered_565(0x06, 0x03, 0x06, 0), 0x0000);
    for (int cell = 1; cell < 4; ++cell)
        EXPECT_EQ(pack_dithered_565(0x06, 0x03, 0x06, cell), 0x0821);
    // A full channel that rounds up saturates instead of wrapping.
    for (int cell = 0; cell < 4; ++cell) {
        EXPECT_EQ(pack_dithered_565(0xFF, 0xFF, 0xFF, cell), 0xFFFF);
        EXPECT_EQ(pack_dithered_555(0xFF, 0xFF, 0xFF, cell), 0x7FFF);
    }
    // Thresholds: cell 1 needs 2, cell 2 needs 1, cell 3 needs 3 (blue 0x02 has bits 01).
    EXPECT_EQ(pack_dithered_555(0x02, 0, 0, 2), 0x0001);
    EXPECT_EQ(pack_dithered_555(0x02, 0, 0, 1), 0x0000);
}

TEST(PixelConversion, BitmapDitherFollowsTheFileOrder) {
    ScratchDir dir;
    write_file("gfx/dot.bmp", encode_bmp24(solid(2, 2, 0x06, 0x03, 0x06)));
    DisplayDevice dev;
    make_display(dev, 16);
    SurfacePtr s;
    ASSERT_TRUE(load_picture_surface(dev, s, "gfx/dot.bmp"));
    // The bottom row is converted first with the row counter at the height (2, even); the column
    // counter starts at the width: only the bottom-left pixel falls into cell 0.
    EXPECT_EQ(surface_pixel(*s, 0, 0), 0x0821u);
    EXPECT_EQ(surface_pixel(*s, 1, 0), 0x0821u);
    EXPECT_EQ(surface_pixel(*s, 0, 1), 0x0000u);
    EXPECT_EQ(surface_pixel(*s, 1, 1), 0x0821u);
}

TEST(PictureSurface, BitmapsOfEveryRowPaddingLoadExactly) {
    ScratchDir dir;
    DisplayDevice dev;
    make_display(dev, 32);
    for (int w = 1; w <= 5; ++w) {
        const RgbPicture p = gradient(w, 3);
        const std::vector<uint8_t> file = encode_bmp24(p);
        // 3 pixels: 9 pixel bytes and 3 padding bytes a row.
        if (w == 3) {
            EXPECT_EQ(file.size(), 54u + 3 * 12);
        }
        write_file("gfx/p.bmp", file);
        SurfacePtr s;
        ASSERT_TRUE(load_picture_surface(dev, s, "gfx/p.bmp"));
        ASSERT_EQ(s->width, w);
        ASSERT_EQ(s->height, 3);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < w; ++x) {
                const uint8_t* q = p.pixel(x, y);
                EXPECT_EQ(surface_pixel(*s, x, y),
                          static_cast<uint32_t>(q[0] << 16 | q[1] << 8 | q[2]))
                    << w << " " << x << "," << y;
            }
    }
}

TEST(PictureSurface, MissingOrDamagedFilesKeepThePreviousSurface) {
    ScratchDir dir;
    DisplayDevice dev;
    make_display(dev, 32);
    write_file("gfx/p.bmp", encode_bmp24(gradient(4, 4)));
    SurfacePtr s;
    ASSERT_TRUE(load_picture_surface(dev, s, "gfx/p.bmp"));
    Surface* before = s.get();

    EXPECT_FALSE(load_picture_surface(dev, s, "gfx/missing.bmp"));
    EXPECT_EQ(s.get(), before);
    std::vector<uint8_t> cut = encode_bmp24(gradient(4, 4));
    cut.resize(cut.size() - 1);
    write_file("gfx/cut.bmp", cut);
    EXPECT_FALSE(load_picture_surface(dev, s, "gfx/cut.bmp"));
    std::vector<uint8_t> huge = encode_bmp24(gradient(4, 4));
    huge[18] = huge[19] = huge[20] = 0xFF; // width 16 million
    write_file("gfx/huge.bmp", huge);
    EXPECT_FALSE(load_picture_surface(dev, s, "gfx/huge.bmp"));
    EXPECT_EQ(s.get(), before);

    // The loaded surface with a display-format picture too large for a surface leaves the holder
    // empty.
    write_file("gfx/wide.bmp", encode_bmp24(solid(5000, 1, 1, 2, 3)));
    EXPECT_FALSE(load_picture_surface(dev, s, "gfx/wide.bmp"));
    EXPECT_EQ(s, nullptr);
}

TEST(PictureSlot, NameIsCutAfterTheExtension) {
    ScratchDir dir;
    DisplayDevice dev;
    make_display(dev, 32);
    write_file("gfx/a.bmp", encode_bmp24(solid(2, 2, 1, 1, 1)));
    PictureSlot slot;
    load_picture_slot(dev, slot, "gfx/a.bmp");
    EXPECT_EQ(slot.name, "gfx/a.bmp");
    EXPECT_TRUE(slot.loaded);
    PictureSlot missing;
    load_picture_slot(dev, missing, "gfx/missing.bmpxyz");
    EXPECT_EQ(missing.name, "gfx/missing.bmp");
    EXPECT_FALSE(missing.loaded);
}

TEST(Rgb64Picture, WidensRowsTopFirstAndRefusesWhatDoesNotFit) {
    ScratchDir dir;
    const RgbPicture p = gradient(3, 2);
    write_file("textures/galo.bmp", encode_bmp24(p));
    std::vector<uint16_t> buf(3 * 2 * 4, 0xAAAA);
    int w = 0, h = 0;
    ASSERT_TRUE(load_picture_rgb64(buf, "textures/galo.bmp", &w, &h));
    EXPECT_EQ(w, 3);
    EXPECT_EQ(h, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            const uint16_t* q = buf.data() + (y * 3 + x) * 4;
            EXPECT_EQ(q[0], p.pixel(x, y)[2]);
            EXPECT_EQ(q[1], p.pixel(x, y)[1]);
            EXPECT_EQ(q[2], p.pixel(x, y)[0]);
        }
    std::vector<uint16_t> small(3 * 2 * 4 - 1, 0xAAAA);
    EXPECT_FALSE(load_picture_rgb64(small, "textures/galo.bmp"));
    EXPECT_EQ(small[0], 0xAAAA);
}

TEST(PaletteTexture, PaletteBecomesFractionsAndRowsTurnOver) {
    ScratchDir dir;
    Bmp8Picture pic;
    for (int i = 0; i < 256; ++i) {
        pic.palette[i][0] = static_cast<uint8_t>(i);
        pic.palette[i][1] = static_cast<uint8_t>(255 - i);
        pic.palette[i][2] = 0;
    }
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) pic.indices[y * 256 + x] = static_cast<uint8_t>(x ^ y);
    write_file("textures/skin.bmp", encode_bmp8(pic));

    MaterialTable table;
    ASSERT_TRUE(load_software_texture(table, 13, "textures/skin.bmp", 1));
    const Material& m = table.materials[13];
    EXPECT_EQ(m.cull_mode, 1);
    EXPECT_EQ(m.soft_texture.palette[255][2], 32767); // red 255
    EXPECT_EQ(m.soft_texture.palette[255][1], 0);     // green 0
    EXPECT_EQ(m.soft_texture.palette[1][2], 128);     // 1 * 257 / 2
    EXPECT_EQ(m.soft_texture.palette[0][0], 0);       // blue
    for (int y : {0, 1, 200, 255})
        for (int x : {0, 7, 255}) EXPECT_EQ(m.soft_texture.indices[y * 256 + x], x ^ y);

    EXPECT_FALSE(load_software_texture(table, 64, "textures/skin.bmp", 1));
    std::vector<uint8_t> cut = encode_bmp8(pic);
    cut.resize(cut.size() - 1);
    write_file("textures/cut.bmp", cut);
    EXPECT_FALSE(load_software_texture(table, 13, "textures/cut.bmp", 2));
    EXPECT_EQ(table.materials[13].soft_texture.palette[255][2], 32767);
}

TEST(FireFrames, LooseFramesBecomeBlueGreenRedZero) {
    ScratchDir dir;
    FireFrames frames;
    std::fill(frames.bgra.begin(), frames.bgra.end(), 0x55);
    for (int n = 0; n < 16; ++n) {
        if (n == 3) continue; // missing: frame 3 keeps what it held
        const int side = 32 - 2 * n;
        RgbPicture p = solid(side, side, static_cast<uint8_t>(n), 0x80, 0xF0);
        std::string path = fire_frame_path(n);
        if (n == 15) path = "TEXTURES/Fire15.RAW"; // any letter case finds it
        write_file(path, encode_fire_frame(p));
    }
    // A folder of a frame's name is no frame file: frame 4 keeps what it held too.
    std::filesystem::remove(fire_frame_path(4));
    std::filesystem::create_directories(fire_frame_path(4));
    load_fire_frames(frames);
    EXPECT_EQ(fire_frame_path(7), "textures/fire07.raw");
    const uint8_t* f0 = frames.bgra.data();
    EXPECT_EQ(f0[0], 0xF0);
    EXPECT_EQ(f0[1], 0x80);
    EXPECT_EQ(f0[2], 0);
    EXPECT_EQ(f0[3], 0);
    EXPECT_EQ(frames.bgra[3 * 4096], 0x55);
    EXPECT_EQ(frames.bgra[4 * 4096], 0x55);
    // Frame 15 holds 2x2 pixels: the rest of its 1024 pixels are black.
    const uint8_t* f15 = frames.bgra.data() + 15 * 4096;
    EXPECT_EQ(f15[0], 0xF0);
    EXPECT_EQ(f15[2], 15);
    EXPECT_EQ(f15[4 * 4], 0);
    EXPECT_EQ(f15[4 * 1023 + 1], 0);
}
