// The sound slots on the headless machine's mixer: loading (loose file first, then "sound.res";
// damaged files leave the slot empty), the effective volume, playing, stopping and restarting,
// muting around the menu, and a machine without a sound device.
#include <gtest/gtest.h>

#include "audio/sound.h"
#include "platform/mixer.h"
#include "resources/archive.h"
#include "tests/app/temp_dir.h"
#include "tests/audio/audio_test_support.h"

namespace {

class Sound : public ::testing::Test {
protected:
    TempWorkDir dir{false};
    SoundState sound;

    void SetUp() override {
        headless::machine() = {};
        headless::machine().capture = true;
        start_sound(sound, 4, 4);
        ASSERT_TRUE(sound.sound_available);
    }
    void TearDown() override { stop_sound_device(sound); }

    const std::vector<int16_t>& captured() const { return headless::machine().captured; }
    size_t captured_frames() const { return captured().size() / 2; }
    uint32_t position(int slot) const {
        return mixer_position(*sound.mixer, sound.slots[size_t(slot)].buffer);
    }
};

// A 16-bit mono sound whose samples count up from 1, so the mixer's position tells what played.
std::vector<uint8_t> counting_wave(int frames) {
    return make_wave(1, 44100, 16, frames, [](int i, int) { return i + 1; });
}

} // namespace

TEST(SoundVolume, EffectiveVolumeIsFiveHundredAStepBelowLevelFourAndNeverBelowSilence) {
    struct Case {
        int32_t base, level, effective;
    } cases[] = {{-500, 0, -2500}, {-9000, 0, -10000}, {0, 4, 0},
                 {-500, 3, -1000}, {-200, 2, -1200},   {-12000, 4, -10000}};
    for (const Case& c : cases) EXPECT_EQ(effective_volume(c.base, c.level), c.effective);
}

TEST_F(Sound, PlayCallsSetTheirLevelsVolumeAndPanAndThatIsWhatIsHeard) {
    write_file("sound/a.wav", flat_wave(44100, 10000));
    load_sound(sound, "sound/a.wav", 5);
    load_sound(sound, "sound/a.wav", k_voice_slot);
    recompute_saved_volumes(sound, 2, 3);
    play_sound(sound, 5, -500, 300, 1);
    EXPECT_EQ(sound.base_volume[5], -500);
    EXPECT_EQ(sound.volume[5], -1500);
    EXPECT_EQ(sound.pan[5], 300);
    EXPECT_TRUE(sound.looping[5]);
    EXPECT_TRUE(sound_playing(sound, 5));
    const size_t from = captured_frames();
    run_ms(20);
    // Left: -1500 and the pan's 300 against it; right: -1500 alone.
    EXPECT_NEAR(captured()[2 * from], 10000 * std::pow(10, -1800 / 2000.0), 1);
    EXPECT_NEAR(captured()[2 * from + 1], 10000 * std::pow(10, -1500 / 2000.0), 1);

    play_voice(sound, k_voice_slot, 0, 0, 0);
    EXPECT_EQ(sound.volume[k_voice_slot], -500); // the speech level
    play_sound(sound, k_voice_slot, 0, 0, 0);
    EXPECT_EQ(sound.volume[k_voice_slot], -1000); // a refusal line plays at the effects level
}

TEST_F(Sound, PanHardLeftLeavesTheRightChannelSilentAndHardRightTheLeft) {
    write_file("sound/a.wav", flat_wave(44100, 12000));
    load_sound(sound, "sound/a.wav", 57);
    for (int32_t pan : {-10000, 10000}) {
        play_interface_sound(sound, 57, 0, pan, 0);
        const size_t from = captured_frames();
        run_ms(100);
        const int loud = pan < 0 ? 0 : 1;
        EXPECT_NEAR(rms(captured(), from, 4410, loud), 12000, 1) << pan;
        EXPECT_EQ(rms(captured(), from, 4410, 1 - loud), 0) << pan;
    }
}

TEST_F(Sound, APlayingSlotStartsAgainAStoppedOneGoesOnAndInterfaceSoundsAlwaysStartAtTheTop) {
    write_file("sound/count.wav", counting_wave(44100));
    load_sound(sound, "sound/count.wav", 2);
    play_sound(sound, 2, 0, 0, 0);
    run_ms(100);
    EXPECT_EQ(position(2), 4410u);
    play_sound(sound, 2, 0, 0, 0); // still playing: from the beginning
    run_ms(10);
    EXPECT_EQ(position(2), 441u);
    stop_sound(sound, 2);
    EXPECT_FALSE(sound_playing(sound, 2));
    run_ms(50);
    EXPECT_EQ(position(2), 441u);
    play_sound(sound, 2, 0, 0, 0); // stopped, not rewound: goes on
    run_ms(10);
    EXPECT_EQ(position(2), 882u);
    stop_sound(sound, 2);
    play_interface_sound(sound, 2, 0, 0, 0);
    run_ms(10);
    EXPECT_EQ(position(2), 441u);
    // A one-shot sound that played out ends, and the next play starts it from the top.
    run_ms(1000);
    EXPECT_FALSE(sound_playing(sound, 2));
    play_sound(sound, 2, 0, 0, 0);
    run_ms(10);
    EXPECT_EQ(position(2), 441u);
}

TEST_F(Sound, MutingSilencesEverySlotAndRestoringBringsBackTheRecomputedVolumes) {
    write_file("sound/a.wav", flat_wave(44100, 10000));
    for (int slot : {0, 3, k_voice_slot}) load_sound(sound, "sound/a.wav", slot);
    play_sound(sound, 3, -500, 0, 1);
    play_voice(sound, k_voice_slot, -200, 0, 1);
    set_sound_volume(sound, 0, -1000);
    mute_all(sound);
    for (int slot : {0, 3, k_voice_slot}) EXPECT_EQ(sound.volume[size_t(slot)], k_silence);
    EXPECT_EQ(sound.saved_volume[3], -500);
    EXPECT_EQ(sound.saved_volume[k_voice_slot], -200);
    size_t from = captured_frames();
    run_ms(50);
    EXPECT_EQ(rms(captured(), from, 2205, 0), 0);
    EXPECT_TRUE(sound_playing(sound, 3)); // silent, not stopped

    recompute_saved_volumes(sound, 0, 2);
    EXPECT_EQ(sound.volume[3], k_silence); // nothing heard before the restore
    EXPECT_EQ(sound.saved_volume[3], -2500);
    EXPECT_EQ(sound.saved_volume[k_voice_slot], -1200);
    EXPECT_EQ(sound.saved_volume[0], -2000); // its base volume, 0, at level 0
    restore_all(sound);
    EXPECT_EQ(sound.volume[3], -2500);
    EXPECT_EQ(sound.volume[k_voice_slot], -1200);
    from = captured_frames();
    run_ms(50);
    const double expected = 10000 * (std::pow(10, -2500 / 2000.0) + std::pow(10, -1200 / 2000.0));
    EXPECT_NEAR(rms(captured(), from, 2205, 0), expected, 2);
}

TEST_F(Sound, LoadingTakesTheLooseFileFirstThenSoundResAndReplacesWhatTheSlotHeld) {
    ArchiveFile archived{"sound/both.wav", flat_wave(100, 2000)};
    ArchiveFile only{"sound/archived.wav", flat_wave(100, 3000)};
    std::vector<uint8_t> archive;
    ASSERT_TRUE(encode_archive(std::vector<ArchiveFile>{archived, only}, archive));
    write_file("sound.res", archive);
    write_file("sound/both.wav", flat_wave(100, 1000));

    auto first_sample = [&](const char* path) {
        load_sound(sound, path, 7);
        play_sound(sound, 7, 0, 0, 0);
        const size_t from = captured_frames();
        run_ms(1);
        stop_sound(sound, 7);
        return captured()[2 * from];
    };
    EXPECT_EQ(first_sample("sound/both.wav"), 1000);
    EXPECT_EQ(first_sample("sound/archived.wav"), 3000);
    EXPECT_EQ(sound.slots[7].loaded, 1);

    // A missing file: the old buffer is gone and the slot stays empty; playing it does nothing.
    load_sound(sound, "sound/missing.wav", 7);
    EXPECT_EQ(sound.slots[7].loaded, 1);
    EXPECT_FALSE(slot_has_buffer(sound, 7));
    play_sound(sound, 7, 0, 0, 1);
    EXPECT_FALSE(sound_playing(sound, 7));
    load_sound(sound, "sound/both.wav", 64); // no such slot
    EXPECT_FALSE(slot_has_buffer(sound, 64));
}

TEST_F(Sound, DamagedOrUnsupportedFilesLeaveTheSlotEmpty) {
    auto header_changed = [](size_t offset, std::vector<uint8_t> bytes) {
        std::vector<uint8_t> f = flat_wave(100, 500);
        std::copy(bytes.begin(), bytes.end(), f.begin() + long(offset));
        return f;
    };
    struct Case {
        const char* what;
        std::vector<uint8_t> file;
        bool loads;
    } cases[] = {
        {"good", flat_wave(100, 500), true},
        {"not RIFF", header_changed(0, {'R', 'I', 'F', 'X'}), false},
        {"24-bit", header_changed(34, {24, 0}), false},
        {"32-bit", header_changed(34, {32, 0}), false},
        {"no channels", header_changed(22, {0, 0}), false},
        {"three channels", header_changed(22, {3, 0}), false},
        {"rate 0", header_changed(24, {0, 0, 0, 0}), false},
        {"rate 99", header_changed(24, {99, 0, 0, 0}), false},
        {"rate beyond 200,000", header_changed(24, {0x41, 0x0D, 0x03, 0}), false},
        {"short header",
         [] {
             auto f = flat_wave(100, 500);
             f.resize(43);
             return f;
         }(),
         false},
        {"no samples", flat_wave(0, 500), false},
        {"one byte of a 16-bit frame", header_changed(40, {1, 0, 0, 0}), false},
        {"data size of 4 GB", header_changed(40, {0xFF, 0xFF, 0xFF, 0xFF}), true},
        {"odd data size", header_changed(40, {199, 0, 0, 0}), true},
    };
    for (const Case& c : cases) {
        write_file("sound/x.wav", c.file);
        load_sound(sound, "sound/x.wav", 4);
        EXPECT_EQ(slot_has_buffer(sound, 4), c.loads) << c.what;
        EXPECT_EQ(sound.slots[4].loaded, 1) << c.what;
    }
    // The 4 GB data size took what the file holds: 100 frames.
    write_file("sound/x.wav", header_changed(40, {0xFF, 0xFF, 0xFF, 0xFF}));
    load_sound(sound, "sound/x.wav", 4);
    EXPECT_EQ(sound.mixer->buffers[size_t(sound.slots[4].buffer)].owned->frames(), 100u);
}

TEST(SoundWithoutDevice, EveryCallReturnsAtOnce) {
    TempWorkDir dir{false};
    headless::machine() = {};
    headless::machine().knobs.sound = false;
    SoundState sound;
    start_sound(sound, 4, 4);
    EXPECT_FALSE(sound.sound_available);
    EXPECT_EQ(sound.mixer, nullptr);
    write_file("sound/a.wav", flat_wave(100, 500));
    load_sound(sound, "sound/a.wav", 3);
    EXPECT_EQ(sound.slots[3].loaded, 0);
    play_sound(sound, 3, 0, 0, 1);
    mute_all(sound);
    restore_all(sound);
    EXPECT_FALSE(sound_playing(sound, 3));
    EXPECT_FALSE(slot_has_buffer(sound, 3));
    stop_sound_device(sound);
}
