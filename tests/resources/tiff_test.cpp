#include <gtest/gtest.h>

#include "resource_test_support.h"
#include "resources/pixel_convert.h"
#include "resources/tiff_picture.h"

namespace {

RgbPicture scene_picture() {
    RgbPicture p{640, 480, std::vector<uint8_t>(640 * 480 * 3)};
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            uint8_t* q = p.rgb.data() + (y * 640 + x) * 3;
            q[0] = static_cast<uint8_t>(x / 3);
            q[1] = static_cast<uint8_t>(y / 2);
            q[2] = static_cast<uint8_t>((x + y) / 5);
        }
    return p;
}

std::vector<uint8_t> rgb32_of(const std::string& path) {
    std::vector<uint8_t> buf(640 * 480 * 4, 0x77);
    EXPECT_TRUE(load_tiff_rgb32(buf, path)) << path;
    return buf;
}

// The archived picture starts in the middle of the archive, after other entries' data.
void store_both_ways(const std::vector<uint8_t>& tiff) {
    write_file("data/scr_001.tif", tiff);
    write_archive("data.res", {{"data/other.bin", std::vector<uint8_t>(777, 9)},
                               {"data/scr_002.tif", tiff},
                               {"data/tail.bin", std::vector<uint8_t>(100, 1)}});
}

} // namespace

TEST(Tiff, LooseAndArchivedPicturesReadIdentically) {
    ScratchDir dir;
    const RgbPicture p = scene_picture();
    for (TiffCompression c : {TiffCompression::none, TiffCompression::jpeg}) {
        std::vector<uint8_t> tiff;
        ASSERT_TRUE(encode_tiff(p, c, 90, tiff));
        store_both_ways(tiff);
        const std::vector<uint8_t> loose = rgb32_of("data/scr_001.tif");
        const std::vector<uint8_t> archived = rgb32_of("data/scr_002.tif");
        EXPECT_EQ(loose, archived);
        // Blue, green, red; the fourth byte is left alone. JPEG is close, not exact.
        const int tolerance = c == TiffCompression::none ? 0 : 12;
        for (int i : {0, 1234, 640 * 240 + 320, 640 * 480 - 1}) {
            EXPECT_NEAR(loose[i * 4], p.rgb[i * 3 + 2], tolerance);
            EXPECT_NEAR(loose[i * 4 + 1], p.rgb[i * 3 + 1], tolerance);
            EXPECT_NEAR(loose[i * 4 + 2], p.rgb[i * 3], tolerance);
            EXPECT_EQ(loose[i * 4 + 3], 0x77);
        }
    }
}

TEST(Tiff, ALooseFolderOfThePicturesNameFallsBackToTheArchive) {
    ScratchDir dir;
    std::vector<uint8_t> tiff;
    ASSERT_TRUE(encode_tiff(scene_picture(), TiffCompression::none, 0, tiff));
    write_archive("data.res", {{"data/scr_002.tif", tiff}});
    std::filesystem::create_directories("data/scr_002.tif");
    write_file("DATA/Scr_001.TIF", tiff); // found as a loose file in another letter case
    for (const char* path : {"data/scr_001.tif", "data/scr_002.tif"}) {
        RgbPicture picture;
        ASSERT_TRUE(read_tiff_picture(path, picture)) << path;
        EXPECT_EQ(picture.rgb, scene_picture().rgb) << path;
    }
}

TEST(Tiff, SurfaceGetsTheDitheredPictureTopRowFirst) {
    ScratchDir dir;
    const RgbPicture p = scene_picture();
    std::vector<uint8_t> tiff;
    ASSERT_TRUE(encode_tiff(p, TiffCompression::none, 0, tiff));
    store_both_ways(tiff);
    SurfacePtr s = make_system_surface(640, 480, k_format_rgb565);
    ASSERT_TRUE(load_tiff_surface(*s, 16, "data/scr_002.tif"));
    for (auto [x, y] : {std::pair{0, 0}, {1, 0}, {0, 1}, {639, 479}, {300, 17}}) {
        const uint8_t* q = p.pixel(x, y);
        EXPECT_EQ(surface_pixel(*s, x, y),
                  pack_dithered_565(q[2], q[1], q[0], dither_cell(640 - x, 480 - y)));
    }
    // Depths other than 32, 16 and 15 write nothing.
    surface_fill(*s, nullptr, 0x1234);
    EXPECT_FALSE(load_tiff_surface(*s, 24, "data/scr_002.tif"));
    EXPECT_EQ(surface_pixel(*s, 5, 5), 0x1234u);
}

TEST(Tiff, OnlyFullScenePicturesAreAccepted) {
    ScratchDir dir;
    std::vector<uint8_t> small;
    ASSERT_TRUE(encode_tiff(RgbPicture{4, 4, std::vector<uint8_t>(48, 1)}, TiffCompression::none, 0,
                            small));
    write_file("data/small.tif", small);
    std::vector<uint8_t> buf(640 * 480 * 4, 0x77);
    EXPECT_FALSE(load_tiff_rgb32(buf, "data/small.tif"));
    EXPECT_FALSE(load_tiff_rgb32(buf, "data/missing.tif"));
    std::vector<uint8_t> tiff;
    ASSERT_TRUE(encode_tiff(scene_picture(), TiffCompression::none, 0, tiff));
    tiff.resize(tiff.size() / 2);
    write_file("data/cut.tif", tiff);
    EXPECT_FALSE(load_tiff_rgb32(buf, "data/cut.tif"));
    EXPECT_EQ(buf[0], 0x77);
}
