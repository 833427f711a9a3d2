#include <cstring>

#include <gtest/gtest.h>

#include "resources/byte_io.h"
#include "resources/msk.h"
#include "resources/scene_background.h"
#include "resources/zbf.h"

namespace {

std::vector<uint16_t> depth_pattern() {
    std::vector<uint16_t> d(k_depth_pixels);
    for (size_t k = 0; k < d.size(); ++k)
        d[k] =
            static_cast<uint16_t>(20000 + (k % 640) * 3 + (k / 640) * 50 + (k % 7 == 0 ? 255 : 0));
    return d;
}

std::vector<float> float_pattern() {
    std::vector<float> d(k_depth_pixels);
    for (size_t k = 0; k < d.size(); ++k)
        d[k] = 100.0f + static_cast<float>(k % 640) * 0.25f - static_cast<float>(k / 640) * 0.125f;
    return d;
}

} // namespace

TEST(Zbf, PacketsCopyLiteralsAndRepeatRuns) {
    // (127, 128 literal bytes) then (255, one byte): 256 bytes.
    std::vector<uint8_t> in = {127};
    for (int i = 0; i < 128; ++i) in.push_back(static_cast<uint8_t>(i));
    in.insert(in.end(), {255, 0xAB});
    std::vector<uint8_t> out(300, 0);
    ASSERT_EQ(unpack_packets(in, out), 256u);
    EXPECT_EQ(out[127], 127);
    EXPECT_EQ(out[128], 0xAB);
    EXPECT_EQ(out[255], 0xAB);
    EXPECT_EQ(out[256], 0);

    // Packets stop at the destination's end and at the input's end.
    std::vector<uint8_t> small(100, 0);
    EXPECT_EQ(unpack_packets(in, small), 100u);
    EXPECT_EQ(unpack_packets(std::vector<uint8_t>{10, 1, 2}, out), 2u);
    EXPECT_EQ(unpack_packets(std::vector<uint8_t>{200}, out), 0u);
}

TEST(Zbf, LowPlaneIsDeltaCodedHighPlanePlain) {
    // Decoded low-plane bytes 10, 1, 1, 255 give low bytes 10, 9, 8, 9.
    std::vector<uint8_t> planes(k_zbf_unpacked_bytes, 0);
    planes[0] = 10;
    planes[1] = 1;
    planes[2] = 1;
    planes[3] = 255;
    planes[k_depth_pixels + 2] = 0x12;
    const std::vector<uint8_t> file = pack_packets(planes);
    std::vector<uint16_t> depth(k_depth_pixels, 0xFFFF);
    decode_zbf(file, std::span<uint16_t, k_depth_pixels>(depth));
    EXPECT_EQ(depth[0], 10);
    EXPECT_EQ(depth[1], 9);
    EXPECT_EQ(depth[2], 0x1208);
    EXPECT_EQ(depth[3], 9);
    EXPECT_EQ(depth[4], 9);
}

TEST(Zbf, WriterRoundTripsAndShortStreamsLeaveZeros) {
    const std::vector<uint16_t> depth = depth_pattern();
    std::vector<uint8_t> file;
    ASSERT_TRUE(encode_zbf(std::span<const uint16_t, k_depth_pixels>(depth), file));
    EXPECT_LE(file.size(), k_zbf_file_max);
    std::vector<uint16_t> back(k_depth_pixels, 1);
    decode_zbf(file, std::span<uint16_t, k_depth_pixels>(back));
    EXPECT_EQ(back, depth);

    // A stream cut in the middle of the high plane: the rest of the high bytes are 0.
    file.resize(file.size() * 3 / 4);
    decode_zbf(file, std::span<uint16_t, k_depth_pixels>(back));
    EXPECT_EQ(back[0] & 0xFF, depth[0] & 0xFF);
    EXPECT_EQ(back[k_depth_pixels - 1] >> 8, 0);
}

TEST(Msk, BlocksDecodeRunsAndLiteralsWithinTheirLength) {
    // L = 2 holding the run packet (127, x): 128 bytes x.
    uint8_t out[640] = {};
    const std::vector<uint8_t> run = {0, 2, 127, 0x5A, 0xEE};
    EXPECT_EQ(decode_msk_block(run, 0, out, 1), 4u);
    EXPECT_EQ(out[0], 0x5A);
    EXPECT_EQ(out[127], 0x5A);
    EXPECT_EQ(out[128], 0);

    // A literal packet claiming more bytes than its block holds is cut at the block's end.
    std::memset(out, 0, sizeof out);
    const std::vector<uint8_t> literal = {0, 3, static_cast<uint8_t>(-5), 1, 2, 9, 9};
    EXPECT_EQ(decode_msk_block(literal, 0, out, 1), 5u);
    EXPECT_EQ(out[0], 1);
    EXPECT_EQ(out[1], 2);
    EXPECT_EQ(out[2], 0);

    // Runs longer than a row stop at 640 bytes.
    std::vector<uint8_t> long_runs = {0, 12};
    for (int i = 0; i < 6; ++i) long_runs.insert(long_runs.end(), {127, 7});
    std::vector<uint8_t> row(641, 0);
    decode_msk_block(long_runs, 0, row.data(), 1);
    EXPECT_EQ(row[639], 7);
    EXPECT_EQ(row[640], 0);
}

TEST(Msk, WriterRoundTripsAndBadOffsetsLeaveRowsZero) {
    const std::vector<float> depth = float_pattern();
    std::vector<uint8_t> file;
    ASSERT_TRUE(encode_msk(std::span<const float, k_depth_pixels>(depth), file));
    std::vector<float> back(k_depth_pixels, -1);
    decode_msk(file, std::span<float, k_depth_pixels>(back));
    EXPECT_EQ(back, depth);

    // Row 479 is the first table entry. Point it before the file, and row 478's past its end.
    std::vector<uint8_t> bad = file;
    std::memset(bad.data(), 0, 4);
    const uint32_t past = static_cast<uint32_t>(bad.size() + 740 + 10);
    for (int b = 0; b < 4; ++b) bad[4 + b] = static_cast<uint8_t>(past >> (24 - 8 * b));
    decode_msk(bad, std::span<float, k_depth_pixels>(back));
    EXPECT_EQ(back[479 * 640 + 5], 0.0f);
    EXPECT_EQ(back[478 * 640 + 5], 0.0f);
    EXPECT_EQ(back[477 * 640 + 5], depth[477 * 640 + 5]);

    std::vector<uint8_t> tiny(100, 0xFF);
    decode_msk(tiny, std::span<float, k_depth_pixels>(back));
    EXPECT_EQ(back[0], 0.0f);
}

TEST(WalkMap, CellsAreTwoByTwoPixelsAndMissingBytesBlock) {
    EXPECT_EQ(walk_map_cell(639, 479), 76799u);
    EXPECT_EQ(walk_map_cell(0, 0), 0u);
    EXPECT_EQ(walk_map_cell(3, 2), 321u);
    std::vector<uint8_t> map(k_walk_map_bytes, 7);
    fill_walk_map(std::vector<uint8_t>(100, 0), map);
    EXPECT_EQ(map[99], 0);
    EXPECT_EQ(map[100], k_walk_blocked_line);
    EXPECT_EQ(map[76799], k_walk_blocked_line);
}
