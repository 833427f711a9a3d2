#include "render/actor_record.h"

#include <cstring>
#include <vector>

#include <gtest/gtest.h>

namespace {

template <class T> T read_at(const std::vector<uint8_t>& b, size_t offset) {
    T v;
    std::memcpy(&v, b.data() + offset, sizeof v);
    return v;
}

std::vector<uint8_t> encoded(const Actor& a) {
    std::vector<uint8_t> b(k_actor_record_bytes, 0xEE);
    encode_actor(a, std::span<uint8_t, k_actor_record_bytes>(b.data(), k_actor_record_bytes));
    return b;
}

} // namespace

TEST(ActorRecord, FieldsAtTheirOffsets) {
    Actor a;
    EXPECT_EQ(read_at<int32_t>(encoded(a), 20), 1); // a fresh slot smooths its edges
    a.update_count = 7;
    a.tint = 0x80402010;
    a.draw_rect = {600, 400, 10, 20};
    a.collision_radius_sq = 2.5f;
    a.position = {1, 2, 3};
    a.waypoint = {4, 5, 6};
    a.final_heading = 7.5f;
    a.path_length = 2;
    a.path[511] = {638, 478};
    a.frame = 3.25f;
    a.state = 18;
    a.anims[63].next = 5;
    a.anims[1].rise_step = -0.5f;
    a.idle_variant_counts[7] = 3;
    a.heading = 1.5f;
    a.part_count = 4;
    a.model.parts.resize(1);
    a.shadow_kind = 4;
    a.footprint[4] = 9.0f;
    const auto b = encoded(a);
    EXPECT_EQ(read_at<int32_t>(b, 0), 7);
    EXPECT_EQ(read_at<uint32_t>(b, 24), 0x80402010u);
    EXPECT_EQ(read_at<int32_t>(b, 32), 600);
    EXPECT_EQ(read_at<int32_t>(b, 44), 20);
    EXPECT_EQ(read_at<float>(b, 64), 2.5f);
    EXPECT_EQ(read_at<float>(b, 92), 3.0f);
    EXPECT_EQ(read_at<float>(b, 120), 4.0f);
    EXPECT_EQ(read_at<float>(b, 148), 7.5f);
    EXPECT_EQ(read_at<int32_t>(b, 184), 2);
    EXPECT_EQ(read_at<int32_t>(b, 192 + 511 * 8 + 4), 478);
    EXPECT_EQ(read_at<float>(b, 4308), 3.25f);
    EXPECT_EQ(read_at<int32_t>(b, 4316), 18);
    EXPECT_EQ(read_at<int32_t>(b, 4324 + 63 * 36 + 16), 5);
    EXPECT_EQ(read_at<float>(b, 4324 + 36 + 32), -0.5f);
    EXPECT_EQ(read_at<int32_t>(b, 6660 + 28), 3);
    EXPECT_EQ(read_at<float>(b, 6744), 1.5f);
    EXPECT_EQ(read_at<uint32_t>(b, 6760), 4u);
    EXPECT_EQ(read_at<uint64_t>(b, 6764), 0u); // the model reference is not stored
    EXPECT_EQ(read_at<int32_t>(b, 6776), 4);
    EXPECT_EQ(read_at<float>(b, 6796), 9.0f);
    EXPECT_EQ(b[4312], 0); // unused words are written as the record holds them
}

TEST(ActorRecord, RoundTripKeepsEveryByte) {
    std::vector<uint8_t> file(k_actor_record_bytes);
    for (size_t i = 0; i < file.size(); ++i) file[i] = static_cast<uint8_t>(i * 7 + 1);
    // Keep the guarded fields inside their ranges so the bytes come back unchanged.
    const auto put = [&](size_t o, int32_t v) { std::memcpy(file.data() + o, &v, 4); };
    const auto putf = [&](size_t o, float v) { std::memcpy(file.data() + o, &v, 4); };
    put(68, 3);
    put(184, 12);
    put(4300, 2);
    put(4316, 9);
    putf(4308, 1.0f);
    putf(6744, 0.5f);
    std::memset(file.data() + 6764, 0, 8);
    Actor a;
    decode_actor(std::span<const uint8_t, k_actor_record_bytes>(file.data(), k_actor_record_bytes),
                 a);
    EXPECT_TRUE(actor_empty(a));
    const auto back = encoded(a);
    for (size_t i = 0; i < file.size(); ++i) ASSERT_EQ(back[i], file[i]) << "byte " << i;
}

TEST(ActorRecord, ValuesOutsideTheTablesAreBroughtInside) {
    Actor src;
    src.state = 1000;
    src.path_length = 100000;
    src.path_index = -5;
    src.collision_slot = 99;
    src.frame = std::numeric_limits<float>::quiet_NaN();
    const auto b = encoded(src);
    Actor a;
    decode_actor(std::span<const uint8_t, k_actor_record_bytes>(b.data(), k_actor_record_bytes), a);
    EXPECT_EQ(a.state, 63);
    EXPECT_EQ(a.path_length, 512);
    EXPECT_EQ(a.path_index, 0);
    EXPECT_EQ(a.collision_slot, 15);
    EXPECT_EQ(a.frame, 0.0f);
    // A next state outside the table reads entry 0 rather than memory beyond the table.
    a.anims[63] = {0, 1, k_no_loop, 1, 5000, {}, 0, 0};
    a.model.parts.resize(1);
    actor_frame_step(a, true);
    EXPECT_EQ(a.state, 5000);
    EXPECT_EQ(&anim_at(a, a.state), &a.anims[0]);
    actor_frame_step(a, true);
}
