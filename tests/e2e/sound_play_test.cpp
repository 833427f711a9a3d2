// What a player hears, measured on the sound vantor-headless captured while it played the demo:
// the effects level, the end of a spoken line, the menu's muting, and the music's track changes,
// loop and level.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/config.h"
#include "platform/files.h"
#include "resources/asset_file.h"
#include "resources/wav.h"
#include "tests/e2e/demo_folder.h"
#include "tests/e2e/headless_run.h"
#include "tools/common/json.h"

namespace fs = std::filesystem;

namespace {

struct Capture {
    std::vector<int16_t> samples; // interleaved stereo at 44.1 kHz
    size_t frames() const { return samples.size() / 2; }
    size_t frame_at_ms(double ms) const { return size_t(ms * 44.1); }
    double rms(double from_ms, double to_ms, int channel = 0) const {
        double sum = 0;
        size_t n = 0;
        for (size_t i = frame_at_ms(from_ms); i < frame_at_ms(to_ms) && i < frames(); ++i, ++n)
            sum += double(samples[2 * i + size_t(channel)]) * samples[2 * i + size_t(channel)];
        return n ? std::sqrt(sum / double(n)) : 0;
    }
};

double decibels(double ratio) {
    return 20 * std::log10(ratio);
}

class SoundPlay : public ::testing::Test {
protected:
    fs::path dir;

    void SetUp() override {
        dir = make_demo_folder();
        ASSERT_FALSE(dir.empty());
    }

    // Settings as a player left them; music off unless the test is about it, so the effects are
    // heard alone.
    void write_settings(GameConfig c) const {
        const auto bytes = encode_config(c, 1);
        std::ofstream(dir / "saves/config.cfg", std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    // The start-up films off, so that the start screen's music is heard from the start.
    static GameConfig start_screen_at_once() {
        GameConfig c;
        c.video_enabled = 0;
        return c;
    }
    static GameConfig quiet_music() {
        GameConfig c;
        c.music_enabled = 0;
        return c;
    }

    Capture play(const std::string& script, const std::string& options) const {
        const std::string wav = (dir / "capture.wav").string();
        const RunResult r = run_headless(dir, script, options + " --capture-audio '" + wav + "'");
        EXPECT_EQ(r.exit_code, 0) << script << " " << options << ":\n" << r.output;
        Capture c;
        std::vector<uint8_t> bytes;
        if (!file_read_all(wav, 64u << 20, bytes)) {
            ADD_FAILURE() << "no capture from " << script;
            return c;
        }
        WavInfo info;
        std::span<const uint8_t> data;
        EXPECT_TRUE(read_wav(bytes, info, data));
        EXPECT_EQ(info.channels, 2);
        EXPECT_EQ(info.sample_rate, 44100u);
        c.samples.resize(data.size() / 2);
        if (!c.samples.empty()) std::memcpy(c.samples.data(), data.data(), c.samples.size() * 2);
        return c;
    }

    Json dump(const char* name) const {
        std::ifstream in(dir / name);
        std::stringstream text;
        text << in.rdbuf();
        Json j;
        EXPECT_TRUE(Json::parse(text.str(), j)) << name;
        return j;
    }
    static double field(const Json& j, const char* path) {
        const Json* f = j.find(path);
        EXPECT_NE(f, nullptr) << path;
        return f ? f->number() : 0;
    }

    // The frames of a wave file of the demo as the game's loader reads it, in seconds.
    double seconds_of(const std::string& path) const {
        std::vector<uint8_t> bytes;
        const auto previous = fs::current_path();
        fs::current_path(dir);
        const bool found = read_asset(path, 64u << 20, bytes);
        fs::current_path(previous);
        WavInfo info;
        std::span<const uint8_t> data;
        if (!found || !read_wav(bytes, info, data)) {
            ADD_FAILURE() << "no " << path;
            return 0;
        }
        return double(data.size()) / (info.bits / 8 * info.channels) / info.sample_rate;
    }
};

} // namespace

TEST_F(SoundPlay, ALoopingSceneSoundAtEffectsLevelZeroIsTwentyDecibelsBelowLevelFour) {
    GameConfig c = quiet_music();
    write_settings(c);
    const Capture loud = play("sound_loop_level.script", "--start-scene 5 --hero 0");
    c.effects_volume = 0;
    write_settings(c);
    const Capture soft = play("sound_loop_level.script", "--start-scene 5 --hero 0");
    for (int channel : {0, 1}) {
        const double a = loud.rms(500, 3000, channel), b = soft.rms(500, 3000, channel);
        EXPECT_GT(a, 500) << "the brook is heard";
        EXPECT_NEAR(decibels(b / a), -20, 1) << channel;
    }
}

TEST_F(SoundPlay, AVoiceLineEndsItsSubtitleWhenTheVoiceEnds) {
    write_settings(quiet_music());
    play("sound_voice_line.script", "--start-scene 4 --hero 0");
    const Json start = dump("line_start.json"), end = dump("line_end.json");
    // The remark on the well is refusal line 4 of the first hero.
    const double voice_ms = 1000 * seconds_of("sound/totb/004.wav");
    ASSERT_GT(voice_ms, 500);
    // The line was said in the pass before the first dump and ended in the pass before the
    // second: it lasted from the voice's start to the first pass after its end.
    const double lasted = field(end, "clock_ms") - field(start, "clock_ms");
    EXPECT_GE(lasted, voice_ms - 1);
    EXPECT_LT(lasted, voice_ms + 32 + 1);
}

TEST_F(SoundPlay, WithoutASoundDeviceALineLastsItsLengthButAtLeastFiftyPasses) {
    write_settings(quiet_music());
    play("sound_voice_line.script", "--start-scene 4 --hero 0 --no-sound");
    const Json start = dump("line_start.json"), end = dump("line_end.json");
    EXPECT_EQ(start.find("sound_available")->scalar_text(), "false");
    const double length = field(start, "subtitle_length");
    // Shown on the pass that said it and on every pass until the countdown ran out.
    EXPECT_EQ(field(end, "passes") - field(start, "passes") + 1, std::max(length, 50.0));
}

TEST_F(SoundPlay, EscapeIntoTheMenuSilencesTheEffectsAndResumingBringsThemBack) {
    write_settings(quiet_music());
    const Capture c = play("sound_menu_mute.script", "--start-scene 5 --hero 0");
    const double before = field(dump("mute_before.json"), "clock_ms");
    const double in_menu = field(dump("mute_menu.json"), "clock_ms");
    const double after = field(dump("mute_after.json"), "clock_ms");
    const double heard = c.rms(before - 1000, before);
    EXPECT_GT(heard, 500);
    EXPECT_EQ(c.rms(before + 40, in_menu), 0);
    EXPECT_NEAR(decibels(c.rms(after, after + 1000) / heard), 0, 1);
}

TEST_F(SoundPlay, SettingTheTrackThatPlaysDoesNotRestartIt) {
    write_settings(GameConfig{});
    play("sound_same_track.script", "--start-scene 4 --hero 0");
    const Json before = dump("track_before.json"), after = dump("track_after.json");
    const double elapsed = field(after, "clock_ms") - field(before, "clock_ms");
    ASSERT_GT(elapsed, 1000);
    EXPECT_NEAR(field(after, "music_position_ms") - field(before, "music_position_ms"), elapsed,
                40);
}

TEST_F(SoundPlay, TheMusicPlaysOnThroughThePauseAfterTheWindowComesBack) {
    write_settings(GameConfig{});
    play("sound_resume_pause.script", "--start-scene 4 --hero 0");
    const Json before = dump("pause_before.json"), after = dump("pause_after.json");
    const double elapsed = field(after, "clock_ms") - field(before, "clock_ms");
    ASSERT_GT(elapsed, 3000);
    EXPECT_NEAR(field(after, "music_position_ms") - field(before, "music_position_ms"), elapsed,
                40);
}

TEST_F(SoundPlay, ATrackReachingItsEndRestartsAtPositionZero) {
    write_settings(start_screen_at_once());
    const Capture c = play("sound_track_loop.script", "");
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(file_read_all((dir / "music/011.wav").string(), 64u << 20, bytes));
    WavInfo info;
    std::span<const uint8_t> data;
    ASSERT_TRUE(read_wav(bytes, info, data));
    const auto* track = reinterpret_cast<const int16_t*>(data.data());
    const size_t track_frames = data.size() / 4;
    // At full music volume the capture holds the track's own samples: find where its first
    // frames come round again, a little after its length.
    auto starts_at = [&](size_t frame) {
        for (size_t i = 0; i < 2000; ++i)
            if (frame + i >= c.frames() || c.samples[2 * (frame + i)] != track[2 * i]) return false;
        return true;
    };
    size_t first = 0;
    while (first < 44100 && !starts_at(first)) ++first;
    ASSERT_LT(first, 44100u) << "the track starts at the start screen";
    size_t again = first + track_frames;
    while (again < first + track_frames + 2 * 1411 && !starts_at(again)) ++again;
    EXPECT_LT(again, first + track_frames + 2 * 1411) << "the track starts over within a pass";
    EXPECT_LT(field(dump("track_restarted.json"), "music_position_ms"), 1000);
}

TEST_F(SoundPlay, MusicAtLevelZeroIsFiftyDecibelsBelowLevelFour) {
    GameConfig c = start_screen_at_once();
    write_settings(c);
    const Capture loud = play("sound_music_level.script", "");
    c.music_volume = 0;
    write_settings(c);
    const Capture soft = play("sound_music_level.script", "");
    const double a = loud.rms(200, 2800), b = soft.rms(200, 2800);
    EXPECT_GT(a, 1000);
    EXPECT_NEAR(decibels(b / a), -50, 1);
}
