// The save file's layout in both formats, saving and loading a game (in a folder without game
// data, so a load rebuilds an empty scene), the thumbnail, the typed save name, and files that
// are short, damaged or hostile.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "app/game.h"
#include "app/save_file.h"
#include "app/save_load.h"
#include "platform/headless/headless_platform.h"
#include "tests/app/temp_dir.h"

namespace {

uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
           uint32_t(b[at + 3]) << 24;
}

std::vector<uint8_t> file_bytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
}

void put_file(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

struct Playing {
    TempWorkDir dir;
    std::unique_ptr<Game> game = std::make_unique<Game>();
    explicit Playing(bool true_colour = true) {
        headless::machine() = {};
        game->config.true_colour = true_colour ? 1 : 0;
        game->config.hardware_acceleration = 0;
        EXPECT_EQ(create_display(*game), 0);
        game->story.current_scene = 4;
    }
    ~Playing() { release_display(*game); }
};

} // namespace

TEST(SaveFile, EveryBlockAtItsOffset) {
    struct Expected {
        const char* name;
        size_t offset, size;
    };
    const Expected expected[] = {
        {"scene word", 0, 4},
        {"fase", 4, 1024},
        {"Flags", 1028, 1024},
        {"objects", 2052, 180224},
        {"MainSost", 182276, 4},
        {"MainFlags", 182280, 4},
        {"previous_scene", 182284, 4},
        {"strip_signal", 182288, 4},
        {"DIALOG", 182292, 4},
        {"return_fase", 182296, 4},
        {"EXE", 182320, 4},
        {"timed_end", 182332, 4},
        {"active_tool", 182336, 4},
        {"music_track", 182348, 4},
        {"hero", 182352, 4},
        {"story_cycle", 182360, 4},
        {"filler", 182364, 232},
        {"speech_countdown", 182596, 4},
        {"subtitle_text", 182600, 1536},
        {"subtitle_length", 184136, 4},
        {"actors", 184140, 108800},
        {"thumbnail mark", 292940, 4},
        {"thumbnail", 292944, 76800},
    };
    const std::vector<SaveField> layout = save_layout();
    for (const Expected& e : expected) {
        const auto f = std::find_if(layout.begin(), layout.end(), [&](const SaveField& s) {
            return std::string(s.name) == e.name;
        });
        ASSERT_NE(f, layout.end()) << e.name;
        EXPECT_EQ(f->offset, e.offset) << e.name;
        EXPECT_EQ(f->size, e.size) << e.name;
    }
    EXPECT_EQ(layout.back().offset + layout.back().size, k_save_bytes);
    EXPECT_EQ(encode_save(SaveImage{}).size(), k_save_bytes);
    EXPECT_EQ(k_old_save_bytes, 304208u);
}

TEST(SaveFile, OlderFormatHasShortObjectRecordsAndShortFilesKeepTheRest) {
    // An older file: the scene word without the format mark, 112-byte object records.
    std::vector<uint8_t> old(k_old_save_bytes, 0);
    old[0] = 7;
    const size_t object_40 = 2052 + 40 * 112;
    old[object_40] = 100;                  // state
    old[object_40 + 44] = 'A';             // first unit of the name
    old[object_40 + 108] = 0x55;           // the picture word: never taken
    old[2052 + 1024 * 112] = 9;            // MainSost, right after the short records
    old[k_old_save_bytes - 76800 - 4] = 1; // the thumbnail mark
    SaveImage image;
    image.objects[40 * 176 + 44 + 64] = 'Z'; // the second half of the name is not in the file
    ASSERT_TRUE(decode_save(old, image));
    EXPECT_EQ(image.scene_word, 7u);
    EXPECT_EQ(image.objects[40 * 176], 100);
    EXPECT_EQ(image.objects[40 * 176 + 44], 'A');
    EXPECT_EQ(image.objects[40 * 176 + 108], 'Z') << "kept";
    EXPECT_EQ(image.MainSost, 9);
    EXPECT_EQ(image.thumbnail_mark, 1);

    // A current file cut after MainSost: the words after it keep their values.
    SaveImage full;
    full.scene_word = 4 | k_save_format_mark;
    full.MainSost = 3;
    full.EXE = 5;
    std::vector<uint8_t> bytes = encode_save(full);
    bytes.resize(182280);
    SaveImage back;
    back.EXE = 77;
    ASSERT_TRUE(decode_save(bytes, back));
    EXPECT_EQ(back.MainSost, 3);
    EXPECT_EQ(back.EXE, 77);
    EXPECT_FALSE(decode_save(std::vector<uint8_t>{1, 2}, back)) << "no scene word";
}

TEST(SaveLoad, SecondHeroInSceneTwelveAndBack) {
    Playing p;
    Game& g = *p.game;
    g.story.current_scene = 12;
    g.story.hero = 1;
    save_game(g, "saves/twelve.sav");
    const std::vector<uint8_t> bytes = file_bytes("saves/twelve.sav");
    ASSERT_EQ(bytes.size(), k_save_bytes);
    EXPECT_EQ(le32(bytes, 0), 0xC000000Cu);
    EXPECT_EQ(g.story.current_scene, 12) << "the scene number itself is left alone";
    g.story.current_scene = 4;
    g.story.hero = 0;
    load_game(g, "saves/twelve.sav");
    EXPECT_EQ(g.story.current_scene, 12);
    EXPECT_EQ(g.story.next_scene, 12);
    EXPECT_EQ(g.story.hero, 1);
}

TEST(SaveLoad, AGameComesBackAsItWasSaved) {
    Playing p;
    Game& g = *p.game;
    g.story.fase[4] = 2;
    g.story.Flags[4] = 0x11;
    g.story.MainSost = 3;
    g.story.previous_scene = 6;
    g.story.active_tool = 40;
    g.records.objects[40].state = 100;
    g.records.objects[40].scene = 4;
    g.records.objects[40].name = {u'j', u'u', u'g'};
    g.actors.actors[2].position = {32, 16.232f, -57};
    g.actors.actors[2].state = 8;
    g.text.subtitle_length = 3;
    g.text.subtitle_text[0] = u'h';
    g.app.music_track = 2;
    save_game(g, "saves/clearing.sav");

    // Play on, then load over the running game as the menu does.
    Game& h = g;
    h.story.fase[4] = 0;
    h.story.Flags[4] = 0;
    h.story.MainSost = 0;
    h.story.active_tool = -1;
    h.records.objects[40] = SceneObject{};
    h.actors.actors[2].position = {};
    load_game(h, "saves/clearing.sav");
    EXPECT_EQ(h.story.current_scene, 4);
    EXPECT_EQ(h.story.fase[4], 2);
    EXPECT_EQ(h.story.Flags[4], 0x11);
    EXPECT_EQ(h.story.MainSost, 3);
    EXPECT_EQ(h.story.previous_scene, 6);
    EXPECT_EQ(h.story.active_tool, 40);
    EXPECT_EQ(h.records.objects[40].state, 100);
    EXPECT_EQ(h.records.objects[40].name[2], u'g');
    EXPECT_EQ(h.actors.actors[2].position, (Vec3{32, 16.232f, -57}));
    EXPECT_EQ(h.actors.actors[2].state, 8);
    EXPECT_EQ(h.text.subtitle_length, 3);
    EXPECT_EQ(h.app.music_track, 2);
    EXPECT_EQ(h.app.menu_mode, 0);
}

TEST(SaveLoad, ThumbnailIsTheFourByFourAverageOfTheScreenAtEveryDepth) {
    for (const bool true_colour : {true, false}) {
        Playing p(true_colour);
        Game& g = *p.game;
        Surface& back = *g.display.back_buffer;
        // A 4x4 block with red 0..15 x 16 (average 120) and green 255 everywhere.
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                surface_set_pixel(back, 4 + x, y,
                                  pack_rgb(back.format, uint32_t(16 * (y * 4 + x)), 255, 0));
        quick_save(g);
        const std::vector<uint8_t> bytes = file_bytes(k_quick_save_path);
        ASSERT_EQ(bytes.size(), k_save_bytes);
        EXPECT_EQ(le32(bytes, k_thumbnail_mark_offset), 1u);
        const uint8_t* pixel = &bytes[k_thumbnail_mark_offset + 4 + 4]; // column 1, row 0
        const int red_expected = 120; // 16 x k fits in 5 bits: the same at 16 bits
        EXPECT_EQ(pixel[2], red_expected) << true_colour;
        EXPECT_EQ(pixel[1], true_colour ? 255 : 252) << true_colour;
        EXPECT_EQ(pixel[0], 0);

        // The menu's preview shows it.
        read_preview(g, k_quick_save_path);
        EXPECT_EQ(g.saves.preview_valid, 1);
        const Rgb8 shown = unpack_rgb(g.display.thumbnail_surface->format,
                                      surface_pixel(*g.display.thumbnail_surface, 1, 0));
        EXPECT_NEAR(shown.r, red_expected, 8);
        read_preview(g, "saves/none.sav");
        EXPECT_EQ(g.saves.preview_valid, 0);
    }
}

TEST(SaveLoad, TypedNameAndWhenNothingIsWritten) {
    Playing p;
    Game& g = *p.game;
    g.saves.name_entry = 1;
    for (uint32_t c : {8u, 8u}) save_name_character(g, c);
    EXPECT_EQ(g.saves.save_name, "saves\\") << "Backspace never removes the folder";
    for (char c : std::string("ABCDEFGHI")) save_name_character(g, uint32_t(c));
    EXPECT_EQ(g.saves.save_name, "saves\\ABCDEFGH") << "a ninth character is ignored";
    save_name_character(g, 8);
    save_name_character(g, 0xC4); // a letter of code page 1251
    save_name_character(g, 13);
    EXPECT_EQ(g.saves.name_entry, 0);
    EXPECT_TRUE(std::filesystem::exists("saves/ABCDEFG\xD0\x94.sav"));
    save_name_character(g, 'X');
    EXPECT_EQ(g.saves.save_name, "saves\\ABCDEFG\xC4") << "entry is over";

    // No game running: Enter writes nothing. A video playing: neither F5 nor the automatic save.
    g.saves.name_entry = 1;
    g.saves.save_name = "saves\\NOGAME";
    g.story.current_scene = -1;
    save_name_character(g, 13);
    EXPECT_FALSE(std::filesystem::exists("saves/NOGAME.sav"));
    g.story.current_scene = 4;
    g.app.Minigame = 2;
    quick_save(g);
    auto_save(g);
    EXPECT_FALSE(std::filesystem::exists(k_quick_save_path));
    EXPECT_FALSE(std::filesystem::exists(k_auto_save_path));
}

TEST(SaveLoad, DamagedFilesNeverCrashAndChangeOnlyWhatTheyMayChange) {
    Playing p;
    Game& g = *p.game;
    save_game(g, "saves/good.sav");
    std::vector<uint8_t> good = file_bytes("saves/good.sav");
    uint32_t x = 2024;
    const auto noise = [&x] { return uint8_t((x = x * 1103515245 + 12345) >> 16); };
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
    };
    std::vector<uint8_t> random_after_word(k_save_bytes);
    for (uint8_t& b : random_after_word) b = noise();
    std::copy_n(good.begin(), 4, random_after_word.begin());
    std::vector<uint8_t> wrong_old(k_old_save_bytes - 1000);
    for (uint8_t& b : wrong_old) b = noise();
    wrong_old[0] = 5, wrong_old[1] = wrong_old[2] = wrong_old[3] = 0;
    std::vector<uint8_t> no_scene = good;
    no_scene[0] = 200; // scene 200: no such scene
    const Case cases[] = {{"empty", {}},
                          {"short", {4, 0, 0, 0x40, 1, 2}},
                          {"random after the scene word", random_after_word},
                          {"older format of the wrong size", wrong_old},
                          {"no such scene", no_scene}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        g.story.current_scene = 4;
        g.story.MainSost = 42;
        put_file("saves/bad.sav", c.bytes);
        load_game(g, "saves/bad.sav");
        EXPECT_TRUE(scene_in_range(g.story.current_scene));
        EXPECT_GE(g.story.hero, 0);
        EXPECT_LE(g.story.hero, 1);
        EXPECT_GE(g.app.Minigame, 0);
        EXPECT_LE(g.app.Minigame, 2);
        EXPECT_GE(g.story.active_tool, -1);
        EXPECT_LT(g.story.active_tool, k_object_count);
        EXPECT_LE(g.text.subtitle_length, 768);
        EXPECT_GE(g.text.subtitle_length, 0);
        EXPECT_LE(g.frame.fade_level, g.config.gamma_level);
        for (const Actor& a : g.actors.actors) {
            EXPECT_GE(a.state, 0);
            EXPECT_LT(a.state, k_anim_count);
            EXPECT_GE(a.path_index, 0);
        }
        for (const SceneObject& o : g.records.objects) EXPECT_LE(o.cursor, 5);
        if (c.bytes.size() < 4 || c.bytes == no_scene) {
            EXPECT_EQ(g.story.MainSost, 42) << "nothing was loaded";
        }
    }
}
