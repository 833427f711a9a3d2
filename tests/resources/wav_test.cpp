#include <gtest/gtest.h>

#include "resources/wav.h"

TEST(Wav, WriterRoundTripsAndTheReaderRefusesOtherDepths) {
    const std::vector<uint8_t> samples = {1, 2, 3, 4, 5, 6};
    WavInfo info{2, 44100, 16, 0};
    std::vector<uint8_t> file = encode_wav(info, samples);
    ASSERT_EQ(file.size(), 44u + samples.size());
    WavInfo back;
    std::span<const uint8_t> data;
    ASSERT_TRUE(read_wav(file, back, data));
    EXPECT_EQ(back.channels, 2);
    EXPECT_EQ(back.sample_rate, 44100u);
    EXPECT_EQ(back.bits, 16);
    EXPECT_EQ(back.data_size, 6u);
    EXPECT_EQ(std::vector<uint8_t>(data.begin(), data.end()), samples);

    // A data size beyond the file gives the samples the file holds.
    file[40] = 0xFF;
    ASSERT_TRUE(read_wav(file, back, data));
    EXPECT_EQ(data.size(), 6u);

    info.bits = 24;
    EXPECT_FALSE(read_wav(encode_wav(info, samples), back, data));
    file[0] = 'X';
    EXPECT_FALSE(read_wav(file, back, data));
    EXPECT_FALSE(read_wav(std::span(file.data(), 43), back, data));
}
