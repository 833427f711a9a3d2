// Playing the demo adventure through vantor-headless: the hero choice and the clearing with its
// neighbours, on both drawing paths, with golden screenshots. The game folders share the demo
// data that the demo_draft fixture generates once; each has its own saves/.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "app/config.h"
#include "tests/e2e/demo_folder.h"
#include "tests/e2e/headless_run.h"
#include "tests/support/golden.h"
#include "tools/common/json.h"
#include "tools/common/png_image.h"

namespace fs = std::filesystem;

namespace {

class Play : public ::testing::Test {
protected:
    fs::path dir;

    void SetUp() override {
        dir = make_demo_folder();
        ASSERT_FALSE(dir.empty());
    }

    // Settings as a player left them after an orderly exit, so no options dialog comes up.
    void write_settings(const GameConfig& c) const {
        const auto bytes = encode_config(c, 1);
        std::ofstream(dir / "saves/config.cfg", std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }

    void expect_ok(const std::string& script, const std::string& options) {
        const RunResult r = run_headless(dir, script, options);
        EXPECT_EQ(r.exit_code, 0) << script << " " << options << ":\n" << r.output;
    }
};

TEST_F(Play, TheMenusNewGameButtonStartsTheHeroChoice) {
    expect_ok("play_new_game.script", "");
}

TEST_F(Play, HeroChoiceLightsTheHoveredHeroAndStartsTheChosenStory) {
    for (const char* o : {"--start-scene 86 --hero 1", "--start-scene 86 --hero 1 --device none"}) {
        expect_ok("play_choice_tovi.script", o);
        expect_ok("play_choice_brask.script", o);
    }
}

TEST_F(Play, ClearingWalkLookLeaveAndComeBackOnBothPaths) {
    const char* options[] = {"--start-scene 4 --hero 0", "--start-scene 4 --hero 1 --device none"};
    for (const char* o : options) expect_ok("play_clearing.script", o);
}

TEST_F(Play, HeldButtonWalksOnceAndDoubleClickRuns) {
    expect_ok("play_clearing_clicks.script", "--start-scene 4 --hero 0");
}

TEST_F(Play, ClearingScreenshotsOnBothPaths) {
    struct Case {
        const char* golden;
        const char* options;
        int32_t shadows;
    } cases[] = {
        {"play_clearing_device_32", "--start-scene 4 --hero 0 --stencil yes", 4},
        {"play_clearing_software_32", "--start-scene 4 --hero 1 --device none", 1},
    };
    for (const Case& c : cases) {
        GameConfig config;
        config.true_colour = 1;
        config.stencil_shadows = c.shadows;
        config.smoothing = 2;
        write_settings(config);
        expect_ok("play_clearing_screenshot.script", c.options);
        RgbImage shot;
        ASSERT_TRUE(read_png((dir / "clearing.png").string(), shot)) << c.golden;
        EXPECT_TRUE(matches_golden(c.golden, shot)) << c.options;
    }
}

// The ford's mist tints the hero where it stands in it, on both paths; without volumetric fog
// the same frame differs only in the hero's pixels.
TEST_F(Play, FordMistOnBothPaths) {
    struct Case {
        const char* golden;
        const char* options;
    } cases[] = {
        {"play_ford_mist_device_32", "--start-scene 5 --hero 0"},
        {"play_ford_mist_software_32", "--start-scene 5 --hero 1 --device none"},
    };
    for (const Case& c : cases) {
        RgbImage shot[2];
        for (const int32_t fog : {1, 0}) {
            GameConfig config;
            config.true_colour = 1;
            config.volumetric_fog = fog;
            write_settings(config);
            expect_ok("play_ford_mist.script", c.options);
            ASSERT_TRUE(read_png((dir / "ford.png").string(), shot[fog])) << c.golden;
        }
        EXPECT_TRUE(matches_golden(c.golden, shot[1])) << c.options;
        // The pixels that differ lie on the hero, and there are many of them.
        int differing = 0, outside = 0;
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x) {
                const size_t i = (size_t(y) * 640 + size_t(x)) * 3;
                if (std::equal(&shot[0].rgb[i], &shot[0].rgb[i] + 3, &shot[1].rgb[i])) continue;
                ++differing;
                outside += x < 250 || x > 410 || y < 60;
            }
        EXPECT_GT(differing, 2000) << c.options;
        EXPECT_EQ(outside, 0) << c.options;
    }
}

bool read_json(const fs::path& path, Json& out) {
    std::ifstream in(path, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return Json::parse(text, out);
}

// An actor's last drawn rectangle (max x, max y, min x, min y) from a dump.
std::array<int, 4> draw_rect(const Json& dump, int actor) {
    std::array<int, 4> r{};
    for (int k = 0; k < 4; ++k) {
        const Json* v =
            dump.find("actors." + std::to_string(actor) + ".draw_rect." + std::to_string(k));
        r[size_t(k)] = v != nullptr ? int(v->number()) : 0;
    }
    return r;
}

// The braziers burn on both paths. From one pass to the next the frame changes where the heroes
// and the cube were drawn and at the two fires (flames, glows, the hot air above them), and
// elsewhere only at the single pixels of the sparkles drifting away from them.
TEST_F(Play, HeroChoiceBraziersBurnAndFlickerOnBothPaths) {
    struct Case {
        const char* golden;
        const char* options;
        int32_t hardware;
    } cases[] = {
        {"play_braziers_device_32", "--start-scene 86 --hero 1", 1},
        {"play_braziers_software_32", "--start-scene 86 --hero 1 --device none", 0},
    };
    // The flames' columns on the screen (the braziers' bowls are at x 107..170 and 470..533).
    const int flame_left[2] = {100, 462}, flame_right[2] = {178, 541};
    for (const Case& c : cases) {
        GameConfig config;
        config.true_colour = 1;
        config.hardware_acceleration = c.hardware;
        write_settings(config);
        expect_ok("play_braziers.script", c.options);
        RgbImage shot[2];
        Json dump[2];
        for (int i = 0; i < 2; ++i) {
            const std::string name = i == 0 ? "braziers_a" : "braziers_b";
            ASSERT_TRUE(read_png((dir / (name + ".png")).string(), shot[i])) << c.golden;
            ASSERT_TRUE(read_json(dir / (name + ".json"), dump[i])) << c.golden;
        }
        EXPECT_TRUE(matches_golden(c.golden, shot[1])) << c.options;
        int at_fire[2] = {0, 0}, elsewhere = 0;
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x) {
                const size_t i = (size_t(y) * 640 + size_t(x)) * 3;
                if (std::equal(&shot[0].rgb[i], &shot[0].rgb[i] + 3, &shot[1].rgb[i])) continue;
                bool on_actor = false;
                for (const Json& d : dump)
                    for (int a = 0; a < 3; ++a) {
                        const auto r = draw_rect(d, a);
                        on_actor = on_actor || (x >= r[2] - 3 && x <= r[0] + 3 && y >= r[3] - 3 &&
                                                y <= r[1] + 3);
                    }
                if (on_actor) continue;
                bool fire = false;
                for (int f = 0; f < 2; ++f)
                    if (x >= flame_left[f] && x <= flame_right[f] && y >= 100 && y <= 300) {
                        ++at_fire[f];
                        fire = true;
                    }
                elsewhere += !fire;
            }
        EXPECT_GT(at_fire[0], 20) << c.options;
        EXPECT_GT(at_fire[1], 20) << c.options;
        int sparkles = 0;
        for (const Json& d : dump)
            if (const Json* n = d.find("effects.sparkles")) sparkles += int(n->number());
        EXPECT_LE(elsewhere, sparkles) << c.options;
    }
}

// Apart from where the characters moved, the frame after the recovery is the frame before it.
TEST_F(Play, SurfacesLostDuringPlayComeBackWithEveryPicture) {
    for (const char* o : {"--start-scene 4 --hero 0", "--start-scene 4 --hero 1 --device none"}) {
        expect_ok("play_lost_surfaces.script", o);
        RgbImage before, after;
        ASSERT_TRUE(read_png((dir / "before_loss.png").string(), before)) << o;
        ASSERT_TRUE(read_png((dir / "after_loss.png").string(), after)) << o;
        ASSERT_EQ(before.rgb.size(), after.rgb.size());
        size_t same = 0, same_above = 0;
        const size_t above = 100 * 640; // the trees over the clearing: nobody walks there
        for (size_t p = 0; p < before.rgb.size() / 3; ++p) {
            const bool equal =
                std::equal(&before.rgb[3 * p], &before.rgb[3 * p] + 3, &after.rgb[3 * p]);
            same += equal;
            same_above += equal && p < above;
        }
        EXPECT_GT(same, before.rgb.size() / 3 * 95 / 100) << o;
        EXPECT_EQ(same_above, above) << o;
    }
}

TEST_F(Play, QuickSaveQuickLoadAndTheAutomaticSave) {
    for (const char* o : {"--start-scene 6 --hero 0", "--start-scene 6 --hero 1 --device none"}) {
        expect_ok("play_saves.script", o);
        EXPECT_EQ(fs::file_size(dir / "saves/quick.sav"), 369744u) << o;
        EXPECT_EQ(fs::file_size(dir / "saves/auto.sav"), 369744u) << o;
    }
}

TEST_F(Play, TheMenuWithTheMouse) {
    expect_ok("make_quick_save.script", "--start-scene 4 --hero 0");
    for (int k = 0; k < 10; ++k)
        fs::copy_file(dir / "saves/quick.sav", dir / ("saves/g" + std::to_string(k) + ".sav"));
    GameConfig config;
    config.true_colour = 1;
    config.video_enabled = 0; // straight to the main menu
    write_settings(config);
    expect_ok("play_menu.script", "");
    EXPECT_EQ(fs::file_size(dir / "saves/ABCDEFG.sav"), 369744u);
}

TEST_F(Play, MenuScreensOnBothPaths) {
    expect_ok("make_quick_save.script", "--start-scene 4 --hero 0");
    for (const char* path : {"device", "software"}) {
        GameConfig config;
        config.true_colour = 1;
        config.smoothing = 1;
        config.effects_volume = 2;
        config.video_enabled = 0;
        const bool device = path == std::string("device");
        config.hardware_acceleration = device ? 1 : 0; // so the software path keeps 32 bits
        write_settings(config);
        expect_ok("menu_screens.script", device ? "" : "--device none");
        for (const char* page : {"menu_main", "menu_options", "menu_save"}) {
            RgbImage shot;
            ASSERT_TRUE(read_png((dir / (std::string(page) + ".png")).string(), shot)) << page;
            EXPECT_TRUE(matches_golden(std::string(page) + "_" + path + "_32", shot)) << page;
        }
    }
}

TEST_F(Play, TheSoundSwitchDoesNotChangeWhatHappensInTheScene) {
    std::vector<uint8_t> frames[2];
    for (const int32_t sound : {1, 0}) {
        GameConfig config;
        config.true_colour = 1;
        config.sound_enabled = sound;
        write_settings(config);
        expect_ok("sound_option.script", "--start-scene 4 --hero 0 --seed 7");
        RgbImage shot;
        ASSERT_TRUE(read_png((dir / "clearing_later.png").string(), shot));
        frames[sound] = shot.rgb;
    }
    EXPECT_TRUE(frames[0] == frames[1]);
}

} // namespace
