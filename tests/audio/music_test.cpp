// The music step on the headless machine: a track streamed a second ahead, the same number
// leaving it alone, a missing file leaving the old track on, the restart at the end, the pause
// of a video, the volume table, and music switched off. The reader on its own: conversion,
// rewinding, damaged files.
#include <gtest/gtest.h>

#include "audio/music.h"
#include "audio/sound.h"
#include "platform/mixer.h"
#include "platform/music_reader.h"
#include "tests/app/temp_dir.h"
#include "tests/audio/audio_test_support.h"

namespace {

// Left channel: the frame number within the track (mod 30000), so the capture tells where in
// the track it is; right channel: the track's own mark.
std::vector<uint8_t> marked_track(int frames, int mark) {
    return make_wave(2, 44100, 16, frames, [mark](int i, int c) { return c ? mark : i % 30000; });
}

class Music : public ::testing::Test {
protected:
    TempWorkDir dir{false};
    SoundState sound;
    MusicState music;
    int32_t level = 4;

    void SetUp() override {
        headless::machine() = {};
        headless::machine().capture = true;
        start_sound(sound, 4, 4);
        start_music_graph(music, sound.mixer, true);
        ASSERT_TRUE(music.graph);
        write_file("music/001.wav", marked_track(3 * 44100, 1000));
        write_file("music/002.wav", marked_track(44100 / 2, 2000));
    }
    void TearDown() override {
        stop_music(music);
        stop_sound_device(sound);
    }

    // One pass of the main loop: the music step, then 32 ms of play.
    int pass(int track) {
        const int r = music_step(music, true, level, track);
        run_ms(32);
        return r;
    }
    const std::vector<int16_t>& captured() const { return headless::machine().captured; }
    int16_t last_mark() const { return captured()[captured().size() - 1]; }
};

} // namespace

TEST_F(Music, TheSameTrackNumberEveryPassPlaysItOnWithoutRestarting) {
    EXPECT_EQ(pass(1), 0);
    EXPECT_EQ(music.loaded_track, 1);
    uint64_t before = music_position(music);
    for (int i = 0; i < 30; ++i) {
        pass(1);
        EXPECT_GT(music_position(music), before) << i;
        before = music_position(music);
    }
    EXPECT_NEAR(double(before), 31 * 32 * 44.1, 2);
    EXPECT_TRUE(music_playing(music));
    EXPECT_EQ(last_mark(), 1000);
    // Streamed, not loaded whole: about a second of the three is queued.
    EXPECT_LE(mixer_stream_queued(*sound.mixer, MixerStream::music), uint64_t{44100 + 4096});
}

TEST_F(Music, AMissingTrackReturnsTwoAndTheOldTrackPlaysOnUntilTheWishChanges) {
    pass(1);
    pass(1);
    const uint64_t before = music_position(music);
    EXPECT_EQ(pass(7), 2);
    EXPECT_EQ(music.loaded_track, 7);
    EXPECT_EQ(pass(7), 0); // not tried again
    EXPECT_GT(music_position(music), before);
    EXPECT_EQ(last_mark(), 1000);
    write_file("music/007.wav", marked_track(44100, 7000));
    EXPECT_EQ(pass(7), 0); // still not tried: the wish did not change
    EXPECT_EQ(last_mark(), 1000);
    pass(2);
    EXPECT_EQ(last_mark(), 2000);
    EXPECT_LT(music_position(music), uint64_t{32 * 45});
}

TEST_F(Music, ATrackAtItsEndStartsAgainFromItsFirstFrameOnTheNextPass) {
    // Half a second: 16 passes of 32 ms; the 17th finds it ended and starts it again.
    for (int i = 0; i < 16; ++i) pass(2);
    EXPECT_FALSE(music_playing(music));
    EXPECT_GE(music_position(music), uint64_t{44100 / 2});
    const size_t restart = captured().size() / 2;
    pass(2);
    EXPECT_TRUE(music_playing(music));
    EXPECT_LE(music_position(music), uint64_t{32 * 45});
    // The pass after the end played the track from frame 0 on.
    for (int i = 0; i < 100; ++i) EXPECT_EQ(captured()[2 * (restart + size_t(i))], i) << i;
    // Before it, the end of the track and then a gap of less than a pass.
    size_t last = restart;
    while (last > 0 && captured()[2 * (last - 1) + 1] == 0) --last;
    EXPECT_EQ(captured()[2 * (last - 1)], (44100 / 2 - 1) % 30000);
    EXPECT_LT(restart - last, size_t{32 * 45});
}

TEST_F(Music, APausedTrackHoldsItsPlaceAndTheNextStepGoesOnFromThere) {
    for (int i = 0; i < 5; ++i) pass(1);
    pause_music(music, true);
    EXPECT_EQ(music.music_paused, 1);
    const uint64_t held = music_position(music);
    const size_t from = captured().size() / 2;
    run_ms(500); // a video plays; the main loop gives the music step nothing meanwhile
    EXPECT_EQ(music_position(music), held);
    EXPECT_EQ(rms(captured(), from, 22050, 1), 0);
    EXPECT_EQ(pass(1), 0);
    EXPECT_EQ(music.music_paused, 0);
    EXPECT_EQ(captured()[2 * (from + 22050)], int16_t(held % 30000)); // from where it was
}

TEST_F(Music, VolumeLevelsFollowTheTable) {
    const int32_t table[] = {-5000, -2000, -1000, -500, 0};
    for (int32_t l = 0; l <= 4; ++l) EXPECT_EQ(music_volume_of_level(l), table[l]);
    EXPECT_EQ(music_volume_of_level(9), 0);
    EXPECT_EQ(music_volume_of_level(-3), -5000);
    level = 1;
    pass(1);
    EXPECT_NEAR(last_mark(), 1000 * 0.1, 1);
    apply_music_volume(music, true, 0);
    run_ms(32);
    EXPECT_NEAR(last_mark(), 1000 * std::pow(10, -2.5), 1);
}

TEST_F(Music, AnExistingFileThatIsNoMusicLeavesSilence) {
    pass(1);
    write_file("music/003.wav", std::vector<uint8_t>(5000, 0x5A));
    EXPECT_EQ(pass(3), 0);
    EXPECT_EQ(music.loaded_track, 3);
    EXPECT_FALSE(music_playing(music));
    pass(3);
    EXPECT_EQ(last_mark(), 0);
}

TEST(MusicOff, NothingOfItExists) {
    TempWorkDir dir{false};
    headless::machine() = {};
    headless::machine().capture = true;
    write_file("music/001.wav", marked_track(44100, 1000));
    SoundState sound;
    start_sound(sound, 4, 4);
    MusicState music;
    start_music_graph(music, sound.mixer, false);
    EXPECT_FALSE(music.graph);
    EXPECT_EQ(music_step(music, false, 4, 1), 0);
    pause_music(music, false);
    run_ms(100);
    EXPECT_EQ(music.loaded_track, -1);
    EXPECT_EQ(music.music_paused, 0);
    EXPECT_EQ(rms(headless::machine().captured, 0, 4410, 1), 0);
    stop_sound_device(sound);
}

TEST(MusicReader, ReadsAnyPcmWaveAsStereoAtTheMixersRateAndRewindsToTheFirstFrame) {
    // 22,050 Hz 8-bit mono: twice the frames, both channels alike.
    const auto file =
        make_wave(1, 22050, 8, 22050, [](int i, int) { return 128 + (i / 100) % 64; });
    MusicReaderPtr r = music_reader_open_memory(file);
    ASSERT_TRUE(r);
    EXPECT_EQ(music_reader_length(*r), 44100u);
    std::vector<int16_t> all, block(1000 * 2);
    while (size_t n = music_reader_read(*r, block.data(), 1000))
        all.insert(all.end(), block.begin(), block.begin() + long(2 * n));
    EXPECT_NEAR(double(all.size() / 2), 44100, 64);
    for (size_t i = 0; i < all.size(); i += 2) ASSERT_EQ(all[i], all[i + 1]);
    EXPECT_EQ(music_reader_read(*r, block.data(), 1000), 0u); // stays ended
    ASSERT_TRUE(music_reader_rewind(*r));
    std::vector<int16_t> again(all.size());
    EXPECT_EQ(music_reader_read(*r, again.data(), again.size() / 2), all.size() / 2);
    EXPECT_EQ(again, all);
}

TEST(MusicReader, DamagedFilesOpenAsNothingOrEndEarly) {
    EXPECT_FALSE(music_reader_open_memory(std::vector<uint8_t>(64, 0)));
    EXPECT_FALSE(music_reader_open_memory({}));
    // A data size far beyond the file: what the file holds, then the end.
    auto file = make_wave(2, 44100, 16, 1000, [](int i, int) { return i; });
    file[40] = file[41] = file[42] = file[43] = 0xFF;
    MusicReaderPtr r = music_reader_open_memory(file);
    ASSERT_TRUE(r);
    std::vector<int16_t> block(5000 * 2);
    EXPECT_EQ(music_reader_read(*r, block.data(), 5000), 1000u);
    // No channels, or no rate.
    for (size_t offset : {22u, 24u}) {
        auto bad = make_wave(2, 44100, 16, 1000, [](int i, int) { return i; });
        bad[offset] = bad[offset + 1] = 0;
        if (offset == 24) bad[26] = bad[27] = 0;
        EXPECT_FALSE(music_reader_open_memory(bad)) << offset;
    }
}
