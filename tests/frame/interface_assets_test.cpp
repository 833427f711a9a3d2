// Start-up's shared assets on each drawing path and their return after the display lost its
// surfaces, in a working directory filled by the project's own writers.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <span>

#include "app/game.h"
#include "app/interface_assets.h"
#include "platform/headless/headless_platform.h"
#include "resources/bmp.h"
#include "resources/model.h"
#include "tests/app/temp_dir.h"

namespace {

void write_file(const std::string& path, std::span<const uint8_t> bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

void write_bmp(const std::string& path, int width, int height, uint32_t rgb) {
    RgbPicture p{width, height, std::vector<uint8_t>(size_t(width) * size_t(height) * 3)};
    for (size_t i = 0; i < p.rgb.size(); i += 3) {
        p.rgb[i] = uint8_t(rgb >> 16);
        p.rgb[i + 1] = uint8_t(rgb >> 8);
        p.rgb[i + 2] = uint8_t(rgb);
    }
    write_file(path, encode_bmp24(p));
}

// A 32-bit bitmap of one colour: without the 16-bit request it would take a 32-bit texture.
void write_bmp32(const std::string& path, int width, int height, uint32_t rgb) {
    std::vector<uint8_t> b(54 + size_t(width) * size_t(height) * 4);
    const auto put = [&b](size_t at, uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) b[at + size_t(i)] = uint8_t(v >> (8 * i));
    };
    b[0] = 'B';
    b[1] = 'M';
    put(2, uint32_t(b.size()), 4);
    put(10, 54, 4);
    put(14, 40, 4);
    put(18, uint32_t(width), 4);
    put(22, uint32_t(height), 4);
    put(26, 1, 2);
    put(28, 32, 2);
    for (size_t i = 54; i < b.size(); i += 4) put(i, rgb, 4);
    write_file(path, b);
}

// 8-bit 256x256 with a grey palette whose blue entry 0 tells the pictures apart.
void write_palette_bmp(const std::string& path, uint8_t tint) {
    Bmp8Picture p;
    for (int i = 0; i < 256; ++i) p.palette[i][0] = p.palette[i][1] = p.palette[i][2] = uint8_t(i);
    p.palette[0][2] = tint;
    write_file(path, encode_bmp8(p));
}

std::vector<uint8_t> triangle_model() {
    ModelPartSource s;
    s.positions = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    s.normals = {{0, 0, 1}, {0, 0, 1}, {0, 0, 1}};
    s.uvs = {{0, 0}, {1, 0}, {0, 1}};
    s.vertex_indices = {0, 1, 2};
    s.uv_indices = {0, 1, 2};
    s.frames = {Matrix::identity()};
    const ModelPartSource parts[] = {s};
    return encode_model(parts);
}

void write_start_up_files() {
    write_file("models/shade.ani", triangle_model());
    write_file("models/fly.ani", triangle_model());
    write_bmp("textures/galo.bmp", 64, 64, 0x806040);
    for (const char* p : {"gfx/up.bmp", "gfx/mid.bmp", "gfx/down.bmp", "gfx/ramka2.bmp",
                          "gfx/toolbar.bmp", "gfx/knop.bmp", "textures/2str2.bmp"})
        write_bmp(p, 8, 6, 0x102030);
    for (const char* p : {"textures/hand.bmp", "textures/tube.bmp", "textures/mlot.bmp",
                          "textures/comp_c.bmp", "textures/tlk.bmp"})
        write_bmp(p, 32, 512, 0x405060);
    for (const char* p : {"textures/smoke.bmp", "textures/fire.bmp", "textures/128x128/tovi.bmp",
                          "textures/128x128/brask.bmp"})
        write_bmp(p, 16, 16, 0x708090);
    write_bmp32("textures/glow.bmp", 16, 16, 0x708090);
    write_palette_bmp("textures/shade.bmp", 0);
    write_palette_bmp("textures/tovi.bmp", 10);
    write_palette_bmp("textures/brask.bmp", 20);
}

struct Stage {
    TempWorkDir dir;
    std::unique_ptr<Game> game = std::make_unique<Game>();
    bool created = false;

    explicit Stage(bool hardware) {
        headless::machine() = {};
        game->config.hardware_acceleration = hardware ? 1 : 0;
        game->config.true_colour = 1;
        created = create_display(*game) == 0 && game->display.back_buffer != nullptr;
        write_start_up_files();
    }
    ~Stage() { release_display(*game); }
};

TEST(InterfaceAssets, StartUpLoadsWhatEverySceneSharesForTheDrawingPathInUse) {
    for (const bool hardware : {true, false}) {
        Stage stage(hardware);
        ASSERT_TRUE(stage.created);
        Game& g = *stage.game;
        load_interface_assets(g);
        const char* what = hardware ? "device" : "software";
        for (const SurfacePtr& c : g.ui.cursor) ASSERT_TRUE(c) << what;
        EXPECT_EQ(g.ui.cursor[1]->height, 512) << what;
        EXPECT_TRUE(g.ui.frame_up && g.ui.frame_mid && g.ui.frame_down) << what;
        EXPECT_TRUE(g.ui.toolbar && g.ui.toolbar_button && g.ui.toolbar_frame) << what;
        EXPECT_EQ(g.ui.shadow_model.part_count, 1u) << what;
        ASSERT_EQ(g.ui.fly_model.part_count, 1u) << what;
        EXPECT_EQ(g.ui.glow_picture[0], 0x40) << "blue of the first pixel";
        EXPECT_EQ(g.materials.materials[0].cull_mode, 1) << what;
        EXPECT_EQ(g.materials.materials[3].cull_mode, 1) << what;
        if (hardware) {
            EXPECT_TRUE(g.textures.texture_table[0] && g.textures.texture_table[3]);
            ASSERT_TRUE(g.draw.shadows.blob_texture) << "the blob is the shade texture";
            // The effect textures ask for a 16-bit format whatever their pictures hold.
            const TexturePtr glow = get_named_texture(g.textures, "textures/glow.bmp");
            ASSERT_TRUE(glow);
            EXPECT_EQ(glow->format.bit_count, 16u);
        } else {
            EXPECT_FALSE(g.textures.texture_table[0]);
            // Palette words are colour bytes as 1.15 fractions; the tint tells the heroes apart.
            EXPECT_EQ(g.materials.materials[0].soft_texture.palette[0][0], 10 * 257 / 2);
            EXPECT_EQ(g.materials.materials[3].soft_texture.palette[0][0], 20 * 257 / 2);
            EXPECT_EQ(g.draw.shadows.blob_soft_texture, &g.ui.shadow_picture);
        }
    }
}

TEST(InterfaceAssets, AfterTheSurfacesWereLostThePicturesAndTexturesComeBack) {
    for (const bool hardware : {false, true}) {
        Stage stage(hardware);
        ASSERT_TRUE(stage.created);
        write_bmp("gfx/tools/tool040.bmp", 20, 10, 0xA0B0C0);
        Game& g = *stage.game;
        load_interface_assets(g);
        g.story.active_tool = 40;
        g.toolbar.tool_picture = make_system_surface(1, 1, g.display.back_buffer->format);
        const TexturePtr old_blob = g.draw.shadows.blob_texture;

        display_lose_all_surfaces(g.display.display);
        display_restore_all_surfaces(g.display.display); // back, but empty
        reload_interface_assets(g);
        const char* what = hardware ? "device" : "software";
        EXPECT_EQ(surface_pixel(*g.ui.cursor[1], 3, 3), 0x405060u) << what;
        EXPECT_EQ(surface_pixel(*g.ui.frame_up, 0, 0), 0x102030u) << what;
        ASSERT_TRUE(g.toolbar.tool_picture) << what;
        EXPECT_EQ(g.toolbar.tool_picture->width, 20) << what;
        if (hardware) {
            ASSERT_TRUE(g.draw.shadows.blob_texture);
            EXPECT_NE(g.draw.shadows.blob_texture, old_blob) << "made again";
            EXPECT_TRUE(g.textures.texture_table[0] && g.textures.texture_table[3]);
            EXPECT_TRUE(g.display.quad_vertex_buffer);
        }
    }
}

} // namespace
