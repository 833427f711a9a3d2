#include <gtest/gtest.h>

#include "app/game.h"
#include "platform/headless/headless_platform.h"

namespace {

struct Outcome {
    int bpp, back_buffers;
};

Outcome set_up(uint64_t video_memory, bool true_colour, bool triple, bool rgb555 = false) {
    headless::machine() = {};
    headless::machine().knobs.video_memory = video_memory;
    headless::machine().knobs.rgb555 = rgb555;
    Game game;
    game.config.hardware_acceleration = 0;
    game.config.true_colour = true_colour;
    game.config.triple_buffer = triple;
    EXPECT_EQ(create_display(game), 0);
    EXPECT_NE(game.display.back_buffer, nullptr);
    EXPECT_NE(game.display.thumbnail_surface, nullptr);
    Outcome o{game.display.display_bpp, game.display.back_buffer_count};
    release_display(game);
    return o;
}

TEST(DisplaySetUp, ModeAndBackBuffersFollowVideoMemory) {
    struct Case {
        uint64_t video_memory;
        bool true_colour, triple;
        Outcome expected;
    } cases[] = {
        {64 << 20, true, true, {32, 2}},
        {2'097'151, true, true, {16, 2}}, // below 2 MiB: no 32-bit display
        {2'097'152, true, true, {32, 1}}, // 32 bits, but below 4,097,152: one back buffer
        {4'097'151, true, true, {32, 1}},
        {4'097'152, true, true, {32, 2}},
        {64 << 20, false, true, {16, 2}},
        {64 << 20, true, false, {32, 1}},
        {1'000'000, false, true, {16, 1}}, // the chain does not fit: retried with one buffer
        {100'000, false, true, {16, 1}},   // nor that: the chain goes to system memory
    };
    for (const Case& c : cases) {
        const Outcome o = set_up(c.video_memory, c.true_colour, c.triple);
        EXPECT_EQ(o.bpp, c.expected.bpp) << c.video_memory;
        EXPECT_EQ(o.back_buffers, c.expected.back_buffers) << c.video_memory;
    }
    EXPECT_EQ(set_up(64 << 20, false, true, true).bpp, 15) << "a 5-5-5 display reports 15";
}

TEST(DisplaySetUp, ReleaseReturnsAllVideoMemory) {
    headless::machine() = {};
    Game game;
    ASSERT_EQ(create_display(game), 0);
    std::shared_ptr<VideoMemoryPool> pool = game.display.display.pool;
    EXPECT_LT(pool->free, pool->total);
    release_display(game);
    EXPECT_EQ(pool->free, pool->total);
    EXPECT_TRUE(pool->live.empty());
    release_display(game); // a second release finds nothing to do
}

} // namespace
