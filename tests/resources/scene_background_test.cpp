#include <cmath>
#include <cstring>

#include <gtest/gtest.h>

#include "app/game.h"
#include "resource_test_support.h"
#include "resources/msk.h"
#include "resources/pixel_convert.h"
#include "resources/scene_background.h"
#include "resources/tiff_picture.h"
#include "resources/zbf.h"

namespace {

struct SceneFiles {
    RgbPicture picture{640, 480, std::vector<uint8_t>(640 * 480 * 3)};
    std::vector<uint16_t> depth = std::vector<uint16_t>(k_depth_pixels);
    std::vector<float> depth_float = std::vector<float>(k_depth_pixels);
    std::vector<uint8_t> walk = std::vector<uint8_t>(k_walk_map_bytes);
    std::string description = "CAMERA (0,-100,50)(0,0,40)(30)(1)\r\nSCALE (1.5)\r\n"
                              "AMBIENT (1,2,3)\r\nSTART (0,0,0)\r\nFIRES (0)\r\nPOINTLIGHT (1)\r\n"
                              "(0,0,0)(1)(2)(3)(4)\r\nSPOTLIGHT (0)\r\n";

    explicit SceneFiles(int seed) {
        for (size_t k = 0; k < k_depth_pixels; ++k) {
            picture.rgb[k * 3] = static_cast<uint8_t>(k * seed);
            picture.rgb[k * 3 + 1] = static_cast<uint8_t>(k / 640 + seed);
            picture.rgb[k * 3 + 2] = static_cast<uint8_t>(k % 640);
            depth[k] = static_cast<uint16_t>(30000 + seed * 100 + (k % 640) - (k / 640) * 2);
            depth_float[k] = 10.0f + static_cast<float>(seed) + static_cast<float>(k / 640) * 0.5f;
        }
        for (size_t k = 0; k < k_walk_map_bytes; ++k) walk[k] = k % 320 < 160 ? 0 : 255;
    }

    std::vector<ArchiveFile> files(const std::string& stem) const {
        std::vector<uint8_t> zbf, msk, tif;
        encode_zbf(std::span<const uint16_t, k_depth_pixels>(depth), zbf);
        encode_msk(std::span<const float, k_depth_pixels>(depth_float), msk);
        encode_tiff(picture, TiffCompression::none, 0, tif);
        return {{stem + ".zbf", zbf},
                {stem + ".tif", tif},
                {stem + "m.raw", walk},
                {stem + "m.msk", msk},
                {stem + ".txt", bytes_of(description)}};
    }
};

std::unique_ptr<Game> make_game(int bpp) {
    auto game = std::make_unique<Game>();
    make_display(game->display, bpp);
    display_create_surface(game->display.display, {640, 480, {}, Memory::video},
                           game->display.background_surface);
    display_create_surface(game->display.display, {640, 480, {}, Memory::system},
                           game->display.background_pristine);
    return game;
}

void expect_loaded(const Game& game, const SceneFiles& s) {
    const SceneBuffers& b = game.scene_buffers;
    EXPECT_EQ(b.scene_depth16, s.depth);
    EXPECT_EQ(b.scene_depth_float, s.depth_float);
    EXPECT_EQ(b.scene_walk_map, s.walk);
    EXPECT_EQ(b.scene_picture_work, b.scene_picture_rgb32);
    for (size_t k : {size_t{0}, size_t{1000}, k_depth_pixels - 1}) {
        EXPECT_EQ(b.scene_picture_rgb32[k * 4], s.picture.rgb[k * 3 + 2]);
        EXPECT_EQ(b.scene_picture_rgb32[k * 4 + 2], s.picture.rgb[k * 3]);
    }
    EXPECT_EQ(game.camera.scene_scale, 1.5f);
    EXPECT_EQ(game.lighting.ambient_colour, 0x030201u);
}

} // namespace

TEST(SceneBackground, LoadsFromLooseFilesAndFromArchivesAlike) {
    ScratchDir dir;
    const SceneFiles loose(3), archived(5);
    for (const ArchiveFile& f : loose.files("data/scr_004")) write_file(f.name, f.data);
    std::vector<ArchiveFile> in_archive = {{"data/first.bin", std::vector<uint8_t>(999, 1)}};
    for (ArchiveFile& f : archived.files("data/scr_012")) in_archive.push_back(f);
    write_archive("data.res", in_archive);

    auto game = make_game(32);
    game->story.current_scene = 4;
    load_scene_background(*game);
    expect_loaded(*game, loose);
    const Surface& bg = *game->display.background_surface;
    EXPECT_EQ(surface_pixel(bg, 2, 1), static_cast<uint32_t>(loose.picture.pixel(2, 1)[0] << 16 |
                                                             loose.picture.pixel(2, 1)[1] << 8 |
                                                             loose.picture.pixel(2, 1)[2]));
    EXPECT_EQ(game->display.background_pristine->pixels, bg.pixels);

    game->story.current_scene = 12;
    load_scene_background(*game);
    expect_loaded(*game, archived);
    // The light table is not emptied by the loader (the scene change does that): two lights now.
    EXPECT_EQ(game->lighting.light_table[1].lifetime, -1);

    // The same scene twice gives the same result.
    const std::vector<uint16_t> depth_once = game->scene_buffers.scene_depth16;
    const std::vector<uint8_t> pixels_once = bg.pixels;
    load_scene_background(*game);
    EXPECT_EQ(game->scene_buffers.scene_depth16, depth_once);
    EXPECT_EQ(bg.pixels, pixels_once);
}

TEST(SceneBackground, SixteenBitDisplaysKeepTheConvertedPicture) {
    ScratchDir dir;
    const SceneFiles s(7);
    for (const ArchiveFile& f : s.files("data/scr_001")) write_file(f.name, f.data);
    for (int bpp : {16, 15}) {
        auto game = make_game(bpp);
        game->story.current_scene = 1;
        load_scene_background(*game);
        const Surface& bg = *game->display.background_surface;
        for (auto [x, y] : {std::pair{0, 0}, {1, 1}, {639, 479}, {100, 33}}) {
            const uint8_t* q = s.picture.pixel(x, y);
            const int cell = dither_cell(640 - x, 480 - y);
            const uint16_t want = bpp == 16 ? pack_dithered_565(q[2], q[1], q[0], cell)
                                            : pack_dithered_555(q[2], q[1], q[0], cell);
            EXPECT_EQ(surface_pixel(bg, x, y), want);
            EXPECT_EQ(game->scene_buffers.scene_picture_16[y * 640 + x], want);
        }
    }
}

TEST(SceneBackground, MissingFilesStopAtTheirStep) {
    ScratchDir dir;
    const SceneFiles first(1), second(2);
    for (const ArchiveFile& f : first.files("data/scr_001")) write_file(f.name, f.data);
    auto game = make_game(32);
    game->story.current_scene = 1;
    load_scene_background(*game);

    // No depth file: nothing changes.
    game->story.current_scene = 2;
    for (const ArchiveFile& f : second.files("data/scr_002"))
        if (!f.name.ends_with(".zbf")) write_file(f.name, f.data);
    load_scene_background(*game);
    expect_loaded(*game, first);

    // No walk map: the picture is replaced, the depths and the description stay.
    std::filesystem::remove("data/scr_002m.raw");
    for (const ArchiveFile& f : second.files("data/scr_002"))
        if (f.name.ends_with(".zbf")) write_file(f.name, f.data);
    load_scene_background(*game);
    EXPECT_EQ(game->scene_buffers.scene_picture_rgb32[4], second.picture.rgb[5]);
    EXPECT_EQ(game->scene_buffers.scene_depth16, first.depth);
    EXPECT_EQ(game->scene_buffers.scene_walk_map, first.walk);
    EXPECT_NE(game->scene_buffers.scene_picture_work, game->scene_buffers.scene_picture_rgb32);
}

TEST(SceneBackground, DepthSurfacesTakeTheDepthInTheirFormat) {
    std::vector<uint16_t> depth(k_depth_pixels, 0);
    depth[0] = 65535;
    depth[1] = 32768;
    SurfacePtr z16 = make_system_surface(640, 480, k_format_z16);
    ASSERT_TRUE(write_depth_surface(*z16, depth, 16, 0xFFFF));
    EXPECT_EQ(surface_pixel(*z16, 0, 0), 65535u);
    EXPECT_EQ(surface_pixel(*z16, 1, 0), 32768u);

    struct Case {
        uint32_t mask;
        uint32_t full, half;
    } cases[] = {
        {0x00FFFFFFu, 16777215u, 8388736u},
        {0xFFFFFF00u, 16777215u << 8, 8388736u << 8},
        {0xFFFFFFFFu, 4294967295u, 2147516416u},
    };
    for (const Case& c : cases) {
        SurfacePtr z32 = make_system_surface(640, 480, k_format_z24s8);
        surface_fill(*z32, nullptr, 0xFFFFFFFF);
        ASSERT_TRUE(write_depth_surface(*z32, depth, 32, c.mask));
        EXPECT_EQ(surface_pixel(*z32, 0, 0), c.full) << std::hex << c.mask;
        EXPECT_EQ(surface_pixel(*z32, 1, 0), c.half) << std::hex << c.mask;
        EXPECT_EQ(surface_pixel(*z32, 2, 0), 0u);
    }
    EXPECT_FALSE(write_depth_surface(*z16, depth, 32, 0xFFFFFF00u));
}

TEST(SceneBackground, HardwareDepthSurfacesGetTheDepthPicture) {
    ScratchDir dir;
    const SceneFiles s(9);
    for (const ArchiveFile& f : s.files("data/scr_003")) write_file(f.name, f.data);
    for (int hardware : {0, 1}) {
        auto game = make_game(32);
        DisplayDevice& dev = game->display;
        game->config.hardware_acceleration = hardware;
        dev.depth_bits = 32;
        dev.depth_mask = 0xFFFFFF00u;
        dev.scene_depth_surface = make_system_surface(640, 480, k_format_z24s8);
        dev.spare_depth_surface = make_system_surface(640, 480, k_format_z24s8);
        surface_fill(*dev.scene_depth_surface, nullptr, 0xFF);
        game->story.current_scene = 3;
        ASSERT_EQ(load_scene_background(*game), SceneLoad::complete);
        const uint32_t value = s.depth[640 * 7 + 11];
        const uint32_t want =
            hardware ? static_cast<uint32_t>(std::lround(value / 65535.0 * 16777215.0)) << 8
                     : 0xFFu;
        EXPECT_EQ(surface_pixel(*dev.scene_depth_surface, 11, 7), want);
        EXPECT_EQ(dev.spare_depth_surface->pixels == dev.scene_depth_surface->pixels,
                  hardware == 1);
    }
}
