#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "app/game.h"
#include "platform/headless/headless_platform.h"
#include "scenes/scene_records.h"

namespace {

int32_t word_at(const std::array<uint8_t, k_object_record_bytes>& b, size_t offset) {
    int32_t v;
    std::memcpy(&v, b.data() + offset, 4);
    return v;
}

TEST(SceneObjectRecord, FieldsSitAtTheirOffsetsAndRoundTrip) {
    SceneObject o;
    o.state = 101;
    o.scene = 4;
    o.visible = 1;
    o.x = 538;
    o.y = 263;
    o.x2 = 574;
    o.y2 = 308;
    o.width = 36;
    o.height = 45;
    o.hoverable = 1;
    o.cursor = 5;
    o.name[0] = u'C';
    o.name[63] = 0x0416; // the last unit, a letter beyond Latin
    const auto bytes = object_to_bytes(o);
    const int32_t words[] = {101, 4, 1, 538, 263, 574, 308, 36, 45, 1, 5};
    for (size_t i = 0; i < std::size(words); ++i) EXPECT_EQ(word_at(bytes, 4 * i), words[i]) << i;
    EXPECT_EQ(bytes[44], 'C');
    EXPECT_EQ(bytes[170], 0x16);
    EXPECT_EQ(bytes[171], 0x04);
    EXPECT_EQ(word_at(bytes, 172), 0) << "no picture reference in the file";

    SceneObject back;
    back.picture = make_system_surface(2, 2, k_format_xrgb8888);
    object_from_bytes(bytes, back);
    EXPECT_EQ(object_to_bytes(back), bytes);
    EXPECT_EQ(back.picture, nullptr) << "a stale picture reference never survives a load";
}

// The frames a strip draws pass after pass, and the passes in which it raised its end signal.
void play(Game& game, int passes, std::vector<int>& drawn, std::vector<int>& signals) {
    AnimStrip& s = game.records.strips[0];
    for (int pass = 0; pass < passes; ++pass) {
        game.frame.strip_signal = -1;
        drawn.push_back(static_cast<int>(s.frame));
        play_strips(game);
        if (game.frame.strip_signal == 7) signals.push_back(pass);
    }
}

std::unique_ptr<Game> game_with_strip(float speed, int32_t mode, int32_t loop, float frames) {
    headless::machine() = {};
    auto game = std::make_unique<Game>();
    AnimStrip& s = game->records.strips[0];
    s.picture = make_system_surface(8, 8 * static_cast<int>(frames), k_format_xrgb8888);
    s.has_path = true;
    s.width = 8;
    s.frame_height = 8;
    s.frame_count = frames;
    s.speed = speed;
    s.mode = mode;
    s.loop = loop;
    s.end_signal = 7;
    return game;
}

TEST(StripPlayer, AStripThatDoesNotLoopStopsOnItsLastFrameAndSignalsEachTimeItRunsPast) {
    auto game = game_with_strip(0.4f, 1, 0, 16);
    std::vector<int> drawn, signals;
    play(*game, 52, drawn, signals);
    // Frames 0..15 over 40 passes, then frame 15 for good.
    EXPECT_EQ(drawn[0], 0);
    EXPECT_EQ(drawn[39], 15);
    for (int pass = 40; pass < 52; ++pass) EXPECT_EQ(drawn[size_t(pass)], 15) << pass;
    ASSERT_GE(signals.size(), 3u);
    EXPECT_NEAR(signals[0], 39, 1) << "the frame reaches 16 after 40 steps of 0.4";
    EXPECT_EQ(game->records.strips[0].mode, 1);
    // From frame 15 on, the frame runs past the end again every third pass.
    for (size_t i = 1; i < signals.size(); ++i) EXPECT_EQ(signals[i] - signals[i - 1], 3);
}

TEST(StripPlayer, LoopsWrapAtBothEndsAndRandomModeJumps) {
    auto backwards = game_with_strip(-0.5f, 1, 1, 8);
    std::vector<int> drawn, signals;
    play(*backwards, 4, drawn, signals);
    EXPECT_EQ(drawn, (std::vector<int>{0, 7, 6, 6})) << "from frame 0 back round to frame 7";
    EXPECT_TRUE(signals.empty()) << "a looping strip never signals";

    auto random = game_with_strip(0.1f, 2, 1, 16);
    random->records.strips[0].frame = 3;
    drawn.clear();
    play(*random, 31, drawn, signals);
    int changes = 0;
    for (size_t i = 1; i < drawn.size(); ++i) changes += drawn[i] != drawn[i - 1];
    EXPECT_LE(changes, 3) << "about one new frame every ten passes";
    EXPECT_GE(changes, 2);

    auto stopped = game_with_strip(1, 0, 0, 4);
    drawn.clear();
    play(*stopped, 3, drawn, signals);
    EXPECT_EQ(stopped->records.strips[0].frame, 0) << "mode 0 is neither drawn nor advanced";
}

TEST(StripPlayer, AStripWithoutFramesOrPictureIsSkipped) {
    auto game = game_with_strip(1, 1, 0, 4);
    game->records.strips[0].frame_count = 0;
    play_strips(*game);
    EXPECT_EQ(game->records.strips[0].frame, 0);
    game->records.strips[0].frame_count = 4;
    game->records.strips[0].has_path = false;
    play_strips(*game);
    EXPECT_EQ(game->records.strips[0].frame, 0);
}

} // namespace
