// The start-up pictures, sounds and text tables of the demo, read back through the game's
// readers, and the generator's determinism.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "demo_test_support.h"
#include "resources/asset_file.h"
#include "resources/bmp.h"
#include "resources/picture.h"
#include "resources/spoken_lines.h"
#include "resources/text_table.h"
#include "resources/wav.h"
#include "tools/demo/films.h"
#include "tools/demo/make_demo.h"
#include "tools/demo/models.h"
#include "tools/demo/scenes.h"

namespace {

// The parts of the data set a test needs.
DemoOutput generated(bool pictures, bool sounds_and_texts) {
    DemoOptions o;
    o.scenes = {-1};
    o.voices = false;
    o.films = false;
    o.models = false;
    o.pictures = pictures;
    o.sounds = o.texts = sounds_and_texts;
    DemoOutput out;
    std::string error;
    EXPECT_TRUE(generate_demo(o, out, error)) << error;
    if (pictures) make_model_textures(out);
    return out;
}

} // namespace

TEST(DemoData, StartUpPicturesHaveTheSizesTheGameDrawsThemAt) {
    const DemoOutput data = generated(true, false);
    struct Case {
        const char* path;
        int width, height;
    };
    // Cursor strips: frames of 32 pixels, as many as the cursor's animation counts.
    for (const Case& c :
         {Case{"textures/hand.bmp", 32, 16 * 32}, Case{"textures/tube.bmp", 32, 16 * 32},
          Case{"textures/mlot.bmp", 32, 9 * 32}, Case{"textures/comp_c.bmp", 32, 16 * 32},
          Case{"textures/tlk.bmp", 32, 8 * 32}, Case{"gfx/knop.bmp", 48, 4 * 38},
          Case{"gfx/ramka2.bmp", 108, 108}, Case{"gfx/toolbar.bmp", 400, 400},
          Case{"gfx/up.bmp", 532, 16}, Case{"gfx/mid.bmp", 532, 16}, Case{"gfx/down.bmp", 532, 21},
          Case{"textures/galo.bmp", 64, 64}, Case{"textures/128x128/tovi.bmp", 128, 128},
          Case{"textures/128x128/brask.bmp", 128, 128}, Case{"textures/128x128/kub.bmp", 128, 128},
          Case{"textures/128x128/boar.bmp", 128, 128}}) {
        SCOPED_TRACE(c.path);
        const auto* file = data.find(c.path);
        ASSERT_NE(file, nullptr);
        Bmp24Layout layout;
        ASSERT_TRUE(bmp24_layout(*file, layout));
        EXPECT_EQ(layout.width, c.width);
        EXPECT_EQ(layout.height, c.height);
    }
    for (const char* name : {"tovi", "brask", "kub", "boar"}) {
        PaletteTexture texture;
        const auto* file = data.find(std::string("textures/") + name + ".bmp");
        ASSERT_NE(file, nullptr) << name;
        EXPECT_TRUE(decode_palette_texture(*file, texture)) << name;
    }
    for (int n = 0; n < k_fire_frame_count; ++n) {
        const auto* file = data.find(fire_frame_path(n));
        ASSERT_NE(file, nullptr) << n;
        EXPECT_EQ(file->size(), static_cast<size_t>((32 - 2 * n) * (32 - 2 * n) * 3)) << n;
    }
}

TEST(DemoData, SoundsAndTablesAreFoundThroughTheArchives) {
    ScratchWorkDir dir;
    std::string error;
    ASSERT_TRUE(write_demo(generated(false, true), ".", error)) << error;
    // The loose folders are gone: everything below comes out of sound.res and data.res.
    EXPECT_FALSE(std::filesystem::exists("sound"));
    EXPECT_FALSE(std::filesystem::exists("data"));
    for (const char* path :
         {"sound/global/view.wav", "sound/global/tool.wav", "sound/global/view1.wav",
          "sound/global/view2.wav", "sound/global/view3.wav", "sound/global/view4.wav",
          "sound/global/toolbar.wav", "sound/global/up.wav", "sound/global/down.wav",
          "sound/global/click.wav", "sound/global/dtool.wav", "sound/step/paspave1.wav",
          "sound/scn004/step1.wav", "sound/scn004/boar6.wav", "sound/feu1.wav"}) {
        SCOPED_TRACE(path);
        std::vector<uint8_t> bytes;
        ASSERT_TRUE(read_asset(path, 16u << 20, bytes));
        WavInfo info;
        std::span<const uint8_t> samples;
        ASSERT_TRUE(read_wav(bytes, info, samples));
        EXPECT_EQ(info.bits, 16);
        EXPECT_GT(samples.size(), 1000u);
    }
    // Both language versions, for both heroes, hold the lines the scenes use.
    for (int language : {0, 1}) {
        std::vector<char16_t> units;
        ASSERT_TRUE(read_text_table(zone_table_path(language), units));
        for (int zone : {3, 4, 5, 6, 86}) EXPECT_TRUE(find_table_line(units, zone)) << zone;
        ASSERT_TRUE(read_text_table(tool_table_path(language), units));
        for (int tool : {5, 40})
            EXPECT_TRUE(find_table_line(units, tool, k_tool_table_line_limit)) << tool;
        for (int hero : {0, 1}) {
            ASSERT_TRUE(read_text_table(refusal_table_path(hero, language), units));
            for (int line = 0; line <= 8; ++line) EXPECT_TRUE(find_table_line(units, line)) << line;
        }
    }
    std::vector<char16_t> units;
    ASSERT_TRUE(read_text_table(zone_table_path(0), units));
    EXPECT_EQ(utf16_to_utf8(*find_table_line(units, 4)), "La clairière\r");
}

TEST(DemoData, TwoRunsGiveTheSameBytes) {
    // A scene (the renderer works on two threads) and the synthesised sounds.
    DemoOptions options;
    options.scenes = {6};
    options.quality.shading = false;
    options.models = options.pictures = options.voices = options.films = false;
    DemoOutput a, b;
    std::string error;
    ASSERT_TRUE(generate_demo(options, a, error)) << error;
    options.quality.threads = 1; // nor does the number of threads change anything
    ASSERT_TRUE(generate_demo(options, b, error)) << error;
    ASSERT_EQ(a.files().size(), b.files().size());
    for (const auto& [path, bytes] : a.files()) {
        const auto* other = b.find(path);
        ASSERT_NE(other, nullptr) << path;
        EXPECT_TRUE(*other == bytes) << path;
    }
}

TEST(DemoData, AFilmStagedInASceneGivesTheSameBytesOnOneThreadAndOnTwo) {
    // The clearing at the draft's quality, and the film of a hero walking in it.
    SceneQuality quality;
    quality.aa = 1;
    quality.shadow_rays = 1;
    quality.ao_rays = 0;
    const SceneRecipe* recipe = nullptr;
    for (const SceneRecipe* r : demo_scenes())
        if (r->number == 4) recipe = r;
    ASSERT_NE(recipe, nullptr);
    DemoOutput scene_files;
    const GeneratedScene clearing = generate_scene(*recipe, quality, scene_files);
    std::vector<uint8_t> films[2];
    for (int threads : {2, 1}) {
        FilmSources sources;
        sources.font = DemoOptions{}.font;
        sources.scenes[4] = &clearing;
        sources.quality = {1, 0, threads};
        sources.only = {"avis/tostart.bik"};
        DemoOutput made;
        std::string error;
        ASSERT_TRUE(make_films(made, sources, error)) << error;
        ASSERT_NE(made.find("avis/tostart.bik"), nullptr);
        films[threads - 1] = *made.find("avis/tostart.bik");
    }
    EXPECT_GT(films[0].size(), 10000u);
    EXPECT_TRUE(films[0] == films[1]);
}

TEST(DemoData, ARunReplacesWhatTheLastRunWroteAndNothingElse) {
    namespace fs = std::filesystem;
    ScratchWorkDir work;
    const std::string dir = "game";
    EXPECT_TRUE(demo_folder_is_ours(dir)) << "a folder that does not exist yet";
    std::string error;
    DemoOutput first;
    first.add_text("amovie/scr_003/door.bmp", "old door");
    first.add_text("gfx/up.bmp", "old bar");
    first.add_text("data/zones.txt", "zones");
    ASSERT_TRUE(write_demo(first, dir, error)) << error;
    EXPECT_EQ(read_demo_marker(dir), (std::vector<std::string>{"amovie", "data.res", "gfx"}));

    // The player's files beside the demo's, and a save.
    { std::ofstream("game/notes.txt") << "mine"; }
    { std::ofstream("game/saves/auto.sav") << "save"; }
    DemoOutput second;
    second.add_text("gfx/up.bmp", "new bar");
    ASSERT_TRUE(write_demo(second, dir, error)) << error;
    EXPECT_FALSE(fs::exists("game/amovie")) << "a folder the generator no longer makes";
    EXPECT_FALSE(fs::exists("game/data.res"));
    EXPECT_TRUE(fs::exists("game/gfx/up.bmp"));
    EXPECT_TRUE(fs::exists("game/notes.txt"));
    EXPECT_TRUE(fs::exists("game/saves/auto.sav"));
    EXPECT_EQ(read_demo_marker(dir), std::vector<std::string>{"gfx"});
    EXPECT_TRUE(demo_folder_is_ours(dir));

    // Without the marker the same folder is someone else's; an empty one is free to use.
    fs::remove(fs::path(dir) / k_demo_marker);
    EXPECT_FALSE(demo_folder_is_ours(dir));
    fs::create_directory("empty");
    EXPECT_TRUE(demo_folder_is_ours("empty"));
}

TEST(DemoData, AMarkerNeverReachesOutsideItsFolder) {
    namespace fs = std::filesystem;
    ScratchWorkDir work;
    fs::create_directories("game/saves");
    { std::ofstream("outside.txt") << "keep"; }
    { std::ofstream("game/saves/auto.sav") << "keep"; }
    {
        std::ofstream marker(std::string("game/") + k_demo_marker);
        marker << "# comment\n../outside.txt\n..\n.\nsaves\n/etc\nsub/../..\n\ngfx\r\n";
    }
    EXPECT_EQ(read_demo_marker("game"), std::vector<std::string>{"gfx"});
    std::string error;
    ASSERT_TRUE(write_demo(DemoOutput{}, "game", error)) << error;
    EXPECT_TRUE(fs::exists("outside.txt"));
    EXPECT_TRUE(fs::exists("game/saves/auto.sav"));
}
