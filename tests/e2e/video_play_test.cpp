// Films in the game: the start-up sequence, skipping, the credits, a film smaller than the
// screen, what happens to the sound slots and the music around a film, the sound in step with
// the pictures, and the demo's own films.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/game_frame.h"
#include "app/input.h"
#include "app/menu.h"
#include "app/video_playback.h"
#include "platform/files.h"
#include "platform/mixer.h"
#include "platform/video_decoder.h"
#include "resources/wav.h"
#include "tests/e2e/demo_folder.h"
#include "tests/e2e/headless_run.h"
#include "tests/support/demo_game.h"
#include "tests/support/test_films.h"
#include "tools/common/json.h"
#include "tools/common/png_image.h"
#include "tools/demo/films.h"

namespace fs = std::filesystem;

namespace {

void write_file(const fs::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

void write_settings(const fs::path& dir, const GameConfig& c) {
    const auto bytes = encode_config(c, 1);
    write_file(dir / "saves/config.cfg", {bytes.begin(), bytes.end()});
}

Json read_json(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    Json j;
    EXPECT_TRUE(Json::parse(text.str(), j)) << path;
    return j;
}

double number(const Json& j, const char* path) {
    const Json* f = j.find(path);
    EXPECT_NE(f, nullptr) << path;
    return f ? f->number() : 0;
}

// One turn of the main loop: the music step while no film plays, then the step of the mode.
void main_loop_pass(Game& g) {
    if (g.app.Minigame != 2) run_music_step(g);
    if (g.app.menu_mode)
        run_menu_frame(g);
    else
        run_game_frame(g);
}

// Passes until the film has ended; false when it is still on after `limit`.
bool play_to_end(Game& g, int limit) {
    for (int pass = 0; pass < limit && g.app.Minigame == 2; ++pass) main_loop_pass(g);
    return g.app.Minigame != 2;
}

// The captured sound's level (left channel) over frames [from, to).
double rms(const std::vector<int16_t>& samples, size_t from, size_t to) {
    double sum = 0;
    size_t n = 0;
    for (size_t i = from; i < to && 2 * i < samples.size(); ++i, ++n)
        sum += double(samples[2 * i]) * samples[2 * i];
    return n ? std::sqrt(sum / double(n)) : 0;
}

size_t captured_frames() {
    return headless::machine().captured.size() / 2;
}

// Frames of the capture that start a click: loud, after 20 ms of quiet.
std::vector<double> click_times_ms(const std::vector<int16_t>& samples) {
    std::vector<double> clicks;
    size_t last_loud = 0;
    for (size_t i = 0; 2 * i < samples.size(); ++i) {
        if (std::abs(samples[2 * i]) < 20000) continue;
        if (clicks.empty() || i - last_loud > 882) clicks.push_back(double(i) / 44.1);
        last_loud = i;
    }
    return clicks;
}

class VideoPlay : public ::testing::Test {
protected:
    fs::path dir;

    void SetUp() override {
        dir = make_demo_folder();
        ASSERT_FALSE(dir.empty());
    }

    RunResult run(const std::string& script, const std::string& options = "") const {
        const RunResult r = run_headless(dir, script, options);
        EXPECT_EQ(r.exit_code, 0) << script << " " << options << ":\n" << r.output;
        return r;
    }

    // The demo's films, with `name` replaced by the bytes given.
    void replace_film(const std::string& name, const std::vector<uint8_t>& bytes) const {
        fs::remove(dir / "avis");
        fs::create_directories(dir / "avis");
        for (const auto& entry : fs::directory_iterator(demo_data_dir() / "avis"))
            fs::create_symlink(entry.path(), dir / "avis" / entry.path().filename());
        fs::remove(dir / "avis" / name);
        write_file(dir / "avis" / name, bytes);
    }
};

// In this process, in the demo folder as working directory.
class VideoInGame : public VideoPlay {
protected:
    fs::path previous;

    void SetUp() override {
        VideoPlay::SetUp();
        previous = fs::current_path();
        fs::current_path(dir);
    }
    void TearDown() override { fs::current_path(previous); }
};

} // namespace

TEST_F(VideoPlay, AFreshStartPlaysTheThreeFilmsThenShowsTheMenuWithItsMusic) {
    write_settings(dir, GameConfig{});
    run("video_startup.script");
}

TEST_F(VideoPlay, WithVideosOffTheMenuComesAtOnceAndNothingPlays) {
    GameConfig c;
    c.video_enabled = 0;
    write_settings(dir, c);
    run("video_off.script");
    const Json j = read_json(dir / "video_off.json");
    EXPECT_LE(number(j, "passes"), 4);
    EXPECT_EQ(j.find("video.path")->scalar_text(), "");
    EXPECT_EQ(number(j, "music_paused"), 0);
}

TEST_F(VideoPlay, SpaceOrEscapeEndsAFilmAtTheNextPassAndSpaceElsewhereChangesNothing) {
    write_settings(dir, GameConfig{});
    run("video_skip.script");
}

TEST_F(VideoPlay, QuittingDuringAFilmShutsDownInOrder) {
    write_settings(dir, GameConfig{});
    run("video_quit.script");
}

TEST_F(VideoPlay, EveryClickOfTheTestFilmIsHeardWithinOneFrameOfItsFlash) {
    GameConfig c;
    c.music_enabled = 0;
    write_settings(dir, c);
    TestFilm t;
    t.width = 640;
    t.height = 480;
    t.frames = 250; // ten seconds at 25 frames a second
    for (int k = 0; k < 10; ++k) t.flashes.insert(12 + 25 * k);
    t.codec = FilmCodec::h264; // as the demo's films
    replace_film("intro.bik", make_test_film(t));
    std::string script = "until video.path == avis/intro.bik max 3\n";
    for (int k = 0; k < 10; ++k) {
        const std::string n = std::to_string(k);
        script += "until video.current_frame > " + std::to_string(12 + 25 * k) + " max 2000\n" +
                  "dump flash_" + n + ".json\nscreenshot flash_" + n + ".png\n";
    }
    write_file(dir / "flash.script", {script.begin(), script.end()});
    run((dir / "flash.script").string(),
        "--capture-audio '" + (dir / "capture.wav").string() + "'");

    std::vector<uint8_t> bytes;
    ASSERT_TRUE(file_read_all((dir / "capture.wav").string(), 256u << 20, bytes));
    WavInfo info;
    std::span<const uint8_t> data;
    ASSERT_TRUE(read_wav(bytes, info, data));
    std::vector<int16_t> samples(data.size() / 2);
    std::memcpy(samples.data(), data.data(), samples.size() * 2);
    const std::vector<double> clicks = click_times_ms(samples);
    ASSERT_EQ(clicks.size(), 10u);
    for (int k = 0; k < 10; ++k) {
        const std::string n = std::to_string(k);
        // The flash is on the screen from the start of the pass that decoded it: one 10 ms
        // pass before the dump.
        const double shown = number(read_json(dir / ("flash_" + n + ".json")), "clock_ms") - 10;
        EXPECT_LT(std::abs(clicks[size_t(k)] - shown), 40.0) << "flash " << k;
        RgbImage shot;
        ASSERT_TRUE(read_png((dir / ("flash_" + n + ".png")).string(), shot));
        EXPECT_GT(shot.rgb[(240 * 640 + 320) * 3 + 1], 200) << "the flash is what is shown";
    }
}

TEST_F(VideoPlay, AFilmFrameAt32And16BitsShowsTheSamePicture) {
    RgbImage shots[2];
    for (int k = 0; k < 2; ++k) {
        GameConfig c;
        c.true_colour = k == 0 ? 1 : 0;
        write_settings(dir, c);
        ASSERT_EQ(run("video_screenshot.script").exit_code, 0);
        const fs::path name = dir / (k == 0 ? "film_frame_32.png" : "film_frame_16.png");
        fs::rename(dir / "film_frame.png", name);
        ASSERT_TRUE(read_png(name.string(), shots[k]));
    }
    ASSERT_EQ(shots[0].rgb.size(), shots[1].rgb.size());
    double brightness = 0, difference = 0;
    for (size_t i = 0; i < shots[0].rgb.size(); ++i) {
        brightness += shots[0].rgb[i];
        difference += std::abs(int(shots[0].rgb[i]) - int(shots[1].rgb[i]));
    }
    const auto n = double(shots[0].rgb.size());
    EXPECT_GT(brightness / n, 15) << "a picture, not a black screen";
    EXPECT_LT(difference / n, 6) << "16 bits lose only the low bits";
}

TEST_F(VideoPlay, TheDemoHasEveryFilmAtFullScreenSizeWithSound) {
    size_t total = 0;
    for (const FilmInfo& f : demo_films()) {
        SCOPED_TRACE(f.path);
        std::vector<uint8_t> bytes;
        ASSERT_TRUE(file_read_all((demo_data_dir() / f.path).string(), 64u << 20, bytes));
        total += bytes.size();
        auto mixer = mixer_create();
        VideoDecoderPtr d = video_open_memory(bytes, mixer.get(), 0);
        ASSERT_TRUE(d);
        EXPECT_EQ(video_width(*d), 640);
        EXPECT_EQ(video_height(*d), 480);
        const double seconds = video_frame_count(*d) / video_frame_rate(*d);
        EXPECT_NEAR(seconds, f.seconds, 0.05);
        EXPECT_GE(seconds, 5);
        EXPECT_LE(seconds, 20);
        EXPECT_GT(mixer_stream_queued(*mixer, MixerStream::video), 0u) << "it has sound";
    }
    EXPECT_LT(total, 5u << 20) << "a few megabytes in all";
}

TEST_F(VideoInGame, AFilmSmallerThanTheScreenIsStretchedOverItOnBothPathsAndDepths) {
    TestFilm t;
    t.width = 320;
    t.height = 240;
    t.quadrants = true;
    write_file("quadrants.mp4", make_test_film(t));
    struct Case {
        bool hardware, true_colour;
    } cases[] = {{true, true}, {true, false}, {false, true}, {false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "hardware " << c.hardware << " 32 bits " << c.true_colour);
        DemoGameOptions o;
        o.hardware = c.hardware;
        o.true_colour = c.true_colour;
        auto game = start_demo_game(o, 4, 0);
        ASSERT_NE(game, nullptr);
        play_video(*game, "quadrants.mp4");
        ASSERT_EQ(game->app.Minigame, 2);
        main_loop_pass(*game);
        int w, h;
        const std::vector<uint8_t> shot = headless::presented_rgb(w, h);
        ASSERT_EQ(w, 640);
        const struct {
            int x, y, right, bottom;
        } probes[] = {{2, 2, 0, 0},     {637, 2, 1, 0},   {2, 477, 0, 1},   {637, 477, 1, 1},
                      {310, 230, 0, 0}, {330, 230, 1, 0}, {310, 250, 0, 1}, {330, 250, 1, 1}};
        for (const auto& p : probes) {
            const uint8_t* want = quadrant_colour(p.right, p.bottom);
            const uint8_t* got = &shot[(size_t(p.y) * 640 + size_t(p.x)) * 3];
            for (int ch = 0; ch < 3; ++ch) EXPECT_NEAR(got[ch], want[ch], 16) << p.x << "," << p.y;
        }
        stop_demo_game(*game);
    }
}

TEST_F(VideoInGame, SpaceOutsideAFilmIsForgottenWhenTheNextFilmStarts) {
    write_file("film.mp4", make_test_film({}));
    auto game = start_demo_game({}, 4, 0);
    ASSERT_NE(game, nullptr);
    Game& g = *game;
    handle_key(g, VK_SPACE);
    for (int pass = 0; pass < 3; ++pass) main_loop_pass(g);
    EXPECT_EQ(g.app.Minigame, 0);
    EXPECT_EQ(g.app.menu_mode, 0);
    EXPECT_EQ(g.story.current_scene, 4);
    EXPECT_EQ(g.input.skip_requested, 1);
    play_video(g, "film.mp4");
    EXPECT_EQ(g.input.skip_requested, 0);
    main_loop_pass(g);
    EXPECT_EQ(g.app.Minigame, 2) << "the old key press does not end the new film";
    // Escape during a film skips it, and does not open the menu.
    handle_key(g, VK_ESCAPE);
    EXPECT_EQ(g.app.menu_mode, 0);
    main_loop_pass(g);
    EXPECT_EQ(g.app.Minigame, 0);
    EXPECT_FALSE(g.video.handle);
    stop_demo_game(g);
}

TEST_F(VideoInGame, AFilmThatCannotPlayEndsAtOnceAndGivesTheSoundBack) {
    write_file("not_a_film.bik", std::vector<uint8_t>(4000, 0x41));
    struct Case {
        const char* name;
        bool enabled;
        const char* path;
    } cases[] = {{"videos off", false, "film.mp4"},
                 {"missing", true, "avis/missing.bik"},
                 {"not a film", true, "not_a_film.bik"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto game = start_demo_game({}, 5, 0);
        ASSERT_NE(game, nullptr);
        Game& g = *game;
        g.config.video_enabled = c.enabled ? 1 : 0;
        for (int pass = 0; pass < 5; ++pass) main_loop_pass(g);
        const auto volumes = g.sound.volume;
        g.menu.INTRO = 1;
        play_video(g, c.path);
        EXPECT_EQ(g.app.Minigame, 0);
        EXPECT_EQ(g.menu.INTRO, 0);
        EXPECT_FALSE(g.video.handle);
        EXPECT_EQ(g.sound.volume, volumes);
        main_loop_pass(g);
        EXPECT_EQ(g.music.music_paused, 0);
        stop_demo_game(g);
    }
}

TEST_F(VideoInGame, AfterAFilmTheLoopsPlayAtTheirSavedVolumesAndTheMusicGoesOnWhereItPaused) {
    TestFilm t;
    t.frames = 50;
    t.sound = true; // a quiet hum, nothing else
    write_file("film.mp4", make_test_film(t));
    auto game = start_demo_game({}, 5, 0); // the brook's loop and the woods' music
    ASSERT_NE(game, nullptr);
    Game& g = *game;
    headless::machine().capture = true;
    for (int pass = 0; pass < 60; ++pass) main_loop_pass(g);
    int loop = -1;
    for (int slot = 0; slot < k_sound_slot_count && loop < 0; ++slot)
        if (g.sound.looping[size_t(slot)] && sound_playing(g.sound, slot)) loop = slot;
    ASSERT_GE(loop, 0) << "a looping sound plays";
    const int32_t loop_volume = g.sound.volume[size_t(loop)];
    const size_t before = captured_frames();
    const uint64_t paused_at = music_position(g.music);
    ASSERT_GT(paused_at, 44100u);

    play_video(g, "film.mp4");
    EXPECT_EQ(g.music.music_paused, 1);
    EXPECT_EQ(g.sound.volume[size_t(loop)], k_silence);
    const size_t film_start = captured_frames();
    ASSERT_TRUE(play_to_end(g, 400));
    const size_t film_end = captured_frames();
    main_loop_pass(g); // the music step resumes the music
    EXPECT_EQ(g.music.music_paused, 0);
    EXPECT_EQ(g.sound.volume[size_t(loop)], loop_volume);
    EXPECT_EQ(g.sound.volume[size_t(loop)], g.sound.saved_volume[size_t(loop)]);
    EXPECT_TRUE(sound_playing(g.sound, loop));
    const uint64_t resumed_at = music_position(g.music);
    EXPECT_GE(resumed_at, paused_at);
    EXPECT_LT(resumed_at - paused_at, 2 * 1411u) << "on from the pause, within two passes";
    for (int pass = 0; pass < 60; ++pass) main_loop_pass(g);
    const size_t after = captured_frames();

    const std::vector<int16_t>& s = headless::machine().captured;
    const double heard_before = rms(s, before - 44100, before);
    const double heard_during = rms(s, film_start + 11025, film_end - 11025);
    const double heard_after = rms(s, after - 44100, after);
    EXPECT_GT(heard_before, 1000);
    EXPECT_NEAR(heard_during, 300, 60) << "the film's hum alone";
    EXPECT_NEAR(20 * std::log10(heard_after / heard_before), 0, 1.5);
    stop_demo_game(g);
}

TEST_F(VideoInGame, TheCreditsPlayTheirFilmAndComeBackToTheMenu) {
    auto game = start_demo_game({}, 4, 0);
    ASSERT_NE(game, nullptr);
    Game& g = *game;
    g.app.menu_mode = 1;
    g.menu.PINTRO = 4;
    main_loop_pass(g);
    EXPECT_EQ(g.menu.PINTRO, 5);
    EXPECT_EQ(g.menu.INTRO, 1);
    EXPECT_EQ(g.video.path, "avis/credits.bik");
    ASSERT_EQ(g.app.Minigame, 2);
    for (int pass = 0; pass < 20; ++pass) main_loop_pass(g);
    EXPECT_GT(video_current_frame(*g.video.handle), 0u);
    handle_key(g, VK_SPACE);
    main_loop_pass(g);
    EXPECT_EQ(g.app.Minigame, 0);
    EXPECT_EQ(g.menu.INTRO, 0);
    main_loop_pass(g);
    EXPECT_EQ(g.menu.PINTRO, 6);
    for (int pass = 0; pass < 5; ++pass) main_loop_pass(g);
    EXPECT_EQ(g.menu.PINTRO, 6);
    EXPECT_EQ(g.app.Minigame, 0);
    EXPECT_TRUE(music_playing(g.music));
    stop_demo_game(g);
}
