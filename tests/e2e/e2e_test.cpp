// End-to-end runs of vantor-headless: each test prepares a game folder, runs one or more scripts
// in it (separate processes, as a player starts the programs one after another) and checks the
// files left behind.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/config.h"
#include "tests/e2e/headless_run.h"
#include "tools/common/json.h"
#include "tools/common/png_image.h"

namespace fs = std::filesystem;

namespace {

class E2E : public ::testing::Test {
protected:
    fs::path dir;

    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = fs::path(VANTOR_BINARY_DIR) / "e2e" / info->name();
        fs::remove_all(dir);
        fs::create_directories(dir / "saves");
    }

    // Run a script of tests/e2e (or one given by absolute path) in the game folder.
    RunResult run(const std::string& script, const std::string& options = "") {
        return run_headless(dir, script, options);
    }

    void expect_ok(const std::string& script, const std::string& options = "") {
        const RunResult r = run(script, options);
        EXPECT_EQ(r.exit_code, 0) << script << ":\n" << r.output;
    }

    std::vector<uint8_t> config_bytes() const {
        std::ifstream in(dir / "saves/config.cfg", std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    int32_t clean_exit_word() const {
        GameConfig c;
        const auto b = config_bytes();
        EXPECT_EQ(b.size(), 68u);
        return decode_config(b.data(), b.size(), c);
    }

    GameConfig config() const {
        GameConfig c;
        const auto b = config_bytes();
        decode_config(b.data(), b.size(), c);
        return c;
    }

    void write_config_file(const GameConfig& c, int32_t clean_exit) const {
        const auto b = encode_config(c, clean_exit);
        write_bytes(b.data(), b.size());
    }

    void write_bytes(const uint8_t* data, size_t size) const {
        std::ofstream(dir / "saves/config.cfg", std::ios::binary)
            .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }

    Json dumped_state() const {
        std::ifstream in(dir / "state.json");
        const std::string text{std::istreambuf_iterator<char>(in), {}};
        Json j;
        EXPECT_TRUE(Json::parse(text, j)) << text;
        return j;
    }

    double field(const Json& j, const char* path) const {
        const Json* f = j.find(path);
        EXPECT_NE(f, nullptr) << path;
        return f ? f->number() : -1;
    }
};

TEST_F(E2E, CleanExitWordDecidesTheDialog) {
    expect_ok("first_start.script");
    EXPECT_EQ(clean_exit_word(), 1);
    expect_ok("no_dialog.script");
    EXPECT_EQ(clean_exit_word(), 1);

    expect_ok("crash.script");
    EXPECT_EQ(clean_exit_word(), 0) << "killed: no orderly shutdown";
    expect_ok("dialog_again.script");
    EXPECT_EQ(clean_exit_word(), 1);
}

TEST_F(E2E, KeysAndCursor) {
    expect_ok("keys.script");
    EXPECT_EQ(config().gamma_level, 259) << "the brightness is kept in the file";
    GameConfig c;
    c.gamma_level = 33;
    write_config_file(c, 1);
    expect_ok("gamma_floor.script");
}

TEST_F(E2E, MinimisedGameRunsNoPassesAndResumesThreeSecondsAfterRestore) {
    expect_ok("minimize.script");
}

TEST_F(E2E, SettingsSurviveGameSetupGame) {
    GameConfig c;
    c.gamma_level = 300;
    c.effects_volume = 1;
    c.music_volume = 2;
    c.speech_volume = 3;
    c.subtitles = 0;
    c.stencil_shadows = 4;
    c.hardware_acceleration = 0;
    c.smoothing = 3;
    write_config_file(c, 1);

    expect_ok("brighter.script");
    GameConfig after_game = config();
    EXPECT_EQ(after_game.gamma_level, 302);
    EXPECT_EQ(after_game.stencil_shadows, 4) << "the game keeps the shadow value";

    expect_ok("dump_and_quit.script", "--program setup");
    GameConfig after_setup = config();
    EXPECT_EQ(clean_exit_word(), 1);
    EXPECT_EQ(after_setup.gamma_level, 302);
    EXPECT_EQ(after_setup.effects_volume, 1);
    EXPECT_EQ(after_setup.music_volume, 2);
    EXPECT_EQ(after_setup.speech_volume, 3);
    EXPECT_EQ(after_setup.subtitles, 0);
    EXPECT_EQ(after_setup.smoothing, 3);
    EXPECT_EQ(after_setup.stencil_shadows, 1) << "the dialog stores the box's state";

    expect_ok("dump_and_quit.script");
    const Json state = dumped_state();
    EXPECT_EQ(field(state, "dialogs_shown"), 0);
    EXPECT_EQ(field(state, "config.gamma_level"), 302);
    EXPECT_EQ(field(state, "config.music_volume"), 2);
    EXPECT_EQ(field(state, "config.subtitles"), 0);
}

TEST_F(E2E, SetupProgramPassesSettingsItDoesNotShowThroughUnchanged) {
    GameConfig c;
    c.gamma_level = 10;
    c.effects_volume = 9;
    c.smoothing = 7;
    write_config_file(c, 1);
    expect_ok("dump_and_quit.script", "--program setup");
    EXPECT_EQ(config().gamma_level, 10);
    EXPECT_EQ(config().effects_volume, 9);
    EXPECT_EQ(config().smoothing, 7) << "no radio button was pressed";
    // The game itself brings them into range.
    expect_ok("dump_and_quit.script");
    const Json state = dumped_state();
    EXPECT_EQ(field(state, "config.gamma_level"), 32);
    EXPECT_EQ(field(state, "config.effects_volume"), 4);
    EXPECT_EQ(field(state, "config.smoothing"), 0);
}

TEST_F(E2E, SetupProgramStoresTheDialogChoices) {
    GameConfig c;
    write_config_file(c, 0);
    expect_ok("setup_choices.script", "--program setup");
    EXPECT_EQ(clean_exit_word(), 1) << "after a crash the setup program leaves word 1";
    EXPECT_EQ(config().smoothing, 2);
    EXPECT_EQ(config().hardware_acceleration, 0);
}

TEST_F(E2E, DamagedOrProtectedSettingsFiles) {
    // No "saves" folder: both programs run, nothing is created.
    fs::remove_all(dir / "saves");
    expect_ok("dump_and_quit.script");
    EXPECT_EQ(field(dumped_state(), "clean_exit_written"), -1);
    expect_ok("dump_and_quit.script", "--program setup");
    EXPECT_FALSE(fs::exists(dir / "saves"));
    fs::create_directories(dir / "saves");

    // Ten bytes: the two whole words are kept, the rest takes the defaults.
    const uint8_t ten[10] = {0, 0, 0, 0, 1, 0, 0, 0, 0xAA, 0xBB};
    write_bytes(ten, sizeof ten);
    expect_ok("dump_and_quit.script");
    EXPECT_EQ(config().hardware_acceleration, 0);
    EXPECT_EQ(config().true_colour, 1);
    EXPECT_EQ(config().triple_buffer, 1);
    EXPECT_EQ(clean_exit_word(), 1);

    // A megabyte of noise.
    std::vector<uint8_t> noise(1 << 20);
    uint32_t x = 99;
    for (uint8_t& b : noise) b = static_cast<uint8_t>((x = x * 1664525 + 1013904223) >> 24);
    write_bytes(noise.data(), noise.size());
    expect_ok("dump_and_quit.script");
    EXPECT_EQ(config_bytes().size(), 68u);

    // Read-only: the game runs with its settings in memory and the file stays as it was.
    GameConfig c;
    c.gamma_level = 280;
    write_config_file(c, 1);
    const auto before = config_bytes();
    fs::permissions(dir / "saves/config.cfg", fs::perms::owner_read | fs::perms::group_read);
    expect_ok("brighter.script");
    EXPECT_EQ(config_bytes(), before);
    EXPECT_EQ(fs::status(dir / "saves/config.cfg").permissions() & fs::perms::owner_write,
              fs::perms::none);
}

TEST_F(E2E, DisplayModeFollowsVideoMemoryAndPixelFormat) {
    struct Case {
        const char* options;
        int bpp, back_buffers;
    } cases[] = {
        {"--video-memory 2000000", 16, 2},
        {"--video-memory 4000000", 32, 1},
        {"--video-memory 67108864", 32, 2},
        {"--pixel-format 555 --video-memory 1000000", 16, 1},
    };
    for (const Case& k : cases) {
        GameConfig c;
        c.true_colour = 1;
        c.hardware_acceleration = 0;
        write_config_file(c, 1);
        expect_ok("dump_and_quit.script", k.options);
        const Json state = dumped_state();
        EXPECT_EQ(field(state, "back_buffer_count"), k.back_buffers) << k.options;
        const int bpp = static_cast<int>(field(state, "display_bpp"));
        EXPECT_EQ(bpp == 15 ? 16 : bpp, k.bpp) << k.options;
    }
    EXPECT_EQ(field(dumped_state(), "display_bpp"), 15) << "5-5-5 shows as 15";
}

TEST_F(E2E, LostSurfacesDoNotStopTheGame) {
    GameConfig c;
    write_config_file(c, 1);
    expect_ok("lost_surfaces.script");
    RgbImage shot;
    ASSERT_TRUE(read_png((dir / "lost.png").string(), shot));
    EXPECT_EQ(shot.width, 640);
    EXPECT_EQ(shot.height, 480);
    EXPECT_EQ(clean_exit_word(), 1);
}

// Each run starts in a folder without settings and answers the first-start dialog itself.
TEST_F(E2E, DeviceKnobsDecideTheDrawingPath) {
    struct Case {
        const char* script;
        const char* options;
    } cases[] = {
        {"device_no32.script", "--device no32"},
        {"device_stencil_32.script", "--stencil yes"},
        {"device_stencil_16.script", "--stencil yes"},
        {"device_stencil_none.script", "--stencil no"},
    };
    for (const Case& c : cases) {
        fs::remove(dir / "saves/config.cfg");
        expect_ok(c.script, c.options);
    }

    fs::remove(dir / "saves/config.cfg");
    expect_ok("device_none.script", "--device none");
    EXPECT_EQ(config().hardware_acceleration, 0) << "the software path is recorded";
    expect_ok("device_settings_kept.script");
}

TEST_F(E2E, ScriptFailuresNameTheLine) {
    std::ofstream(dir / "bad.script") << "wait 1\nexpect passes == 99\n";
    const RunResult r = run((dir / "bad.script").string());
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_NE(r.output.find("line 2"), std::string::npos) << r.output;
}

} // namespace
