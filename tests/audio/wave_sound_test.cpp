// Converting a sound effect into the mixer's format once at load: 8-bit to 16-bit, mono to both
// channels at its own level, other rates to 44.1 kHz.
#include <gtest/gtest.h>

#include "audio/wave_sound.h"
#include "tests/audio/audio_test_support.h"

TEST(WaveSound, SixteenBitStereoAtTheMixersRateIsTakenSampleForSample) {
    const auto file =
        make_wave(2, 44100, 16, 50, [](int i, int c) { return c ? -i * 100 : i * 7; });
    std::vector<int16_t> out;
    ASSERT_TRUE(decode_wave_sound(file, out));
    ASSERT_EQ(out.size(), 100u);
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(out[size_t(2 * i)], i * 7);
        EXPECT_EQ(out[size_t(2 * i + 1)], -i * 100);
    }
}

TEST(WaveSound, EightBitMonoBecomesSixteenBitOnBothChannels) {
    const int values[] = {128, 255, 0, 192};
    const auto file = make_wave(1, 44100, 8, 4, [&](int i, int) { return values[i]; });
    std::vector<int16_t> out;
    ASSERT_TRUE(decode_wave_sound(file, out));
    ASSERT_EQ(out.size(), 8u);
    const int16_t expected[] = {0, 127 * 256, -128 * 256, 64 * 256};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(out[size_t(2 * i)], expected[i]) << i;
        EXPECT_EQ(out[size_t(2 * i + 1)], expected[i]) << i;
    }
}

TEST(WaveSound, OtherRatesAreResampledToTheSameLengthInTime) {
    for (uint32_t rate : {11025u, 22050u, 48000u, 8000u}) {
        // A second of a 440 Hz tone.
        const auto file = make_wave(1, rate, 16, int(rate), [rate](int i, int) {
            return int(std::lround(10000 * std::sin(2 * 3.14159265 * 440 * i / double(rate))));
        });
        std::vector<int16_t> out;
        ASSERT_TRUE(decode_wave_sound(file, out)) << rate;
        EXPECT_NEAR(double(out.size() / 2), 44100, 64) << rate;
        EXPECT_NEAR(rms(out, 1000, 40000, 0), 10000 / std::sqrt(2.0), 150) << rate;
    }
}
