#include <gtest/gtest.h>

#include "platform/display.h"
#include "platform/headless/headless_platform.h"

namespace {

struct DisplayTest : ::testing::Test {
    void SetUp() override { headless::machine() = {}; }

    Display open(uint64_t video_memory) {
        headless::machine().knobs.video_memory = video_memory;
        Display d;
        EXPECT_EQ(display_create(d), Result::ok);
        EXPECT_EQ(display_set_exclusive(d), Result::ok);
        return d;
    }
};

TEST_F(DisplayTest, VideoMemoryIsChargedAndReturned) {
    Display d = open(2'000'000);
    ASSERT_EQ(display_set_mode(d, 640, 480, 32), Result::ok);
    SurfacePtr s;
    ASSERT_EQ(display_create_surface(d, {640, 480, {}, Memory::video}, s), Result::ok);
    EXPECT_EQ(display_video_memory_free(d), 2'000'000u - 640 * 480 * 4);
    SurfacePtr second;
    EXPECT_EQ(display_create_surface(d, {640, 480, {}, Memory::video}, second),
              Result::out_of_video_memory);
    ASSERT_EQ(display_create_surface(d, {640, 480, {}, Memory::anywhere}, second), Result::ok);
    EXPECT_EQ(second->memory, Memory::system) << "anywhere falls back to system memory";
    s.reset();
    EXPECT_EQ(display_video_memory_free(d), 2'000'000u);
}

TEST_F(DisplayTest, FlipRotatesTheChainAndPresents) {
    Display d = open(64 << 20);
    ASSERT_EQ(display_set_mode(d, 640, 480, 16), Result::ok);
    SurfacePtr primary;
    ASSERT_EQ(display_create_primary(d, 2, true, primary), Result::ok);
    Surface* back = surface_back_buffer(*primary);
    ASSERT_NE(back, nullptr);

    for (uint32_t frame = 1; frame <= 3; ++frame) {
        surface_fill(*back, nullptr, frame);
        ASSERT_EQ(display_flip(d), Result::ok);
        EXPECT_EQ(surface_pixel(*primary, 0, 0), frame) << "the front shows the frame just drawn";
    }
    EXPECT_EQ(surface_pixel(*back, 0, 0), 1u)
        << "with two back buffers a frame comes back two flips later";
    EXPECT_TRUE(headless::machine().has_frame);

    display_lose_all_surfaces(d);
    EXPECT_EQ(display_flip(d), Result::surface_lost);
    surface_restore(*primary);
    EXPECT_EQ(display_flip(d), Result::ok);
}

TEST_F(DisplayTest, ALostDisplayTakesVideoMemoryAndTheScreenButNotSystemMemory) {
    Display d = open(64 << 20);
    ASSERT_EQ(display_set_mode(d, 640, 480, 32), Result::ok);
    SurfacePtr primary, video, system;
    ASSERT_EQ(display_create_primary(d, 1, false, primary), Result::ok);
    ASSERT_EQ(display_create_surface(d, {64, 64, {}, Memory::video}, video), Result::ok);
    ASSERT_EQ(display_create_surface(d, {64, 64, {}, Memory::system}, system), Result::ok);
    surface_fill(*video, nullptr, 7);
    surface_fill(*system, nullptr, 9);
    display_lose_all_surfaces(d);
    EXPECT_TRUE(primary->lost && surface_back_buffer(*primary)->lost);
    EXPECT_TRUE(video->lost);
    EXPECT_FALSE(system->lost);
    display_restore_all_surfaces(d);
    EXPECT_EQ(surface_pixel(*video, 3, 3), 0u) << "a restored surface comes back empty";
    EXPECT_EQ(surface_pixel(*system, 3, 3), 9u);
}

TEST_F(DisplayTest, PresentedFrameShowsThroughTheGammaRamp) {
    Display d = open(64 << 20);
    ASSERT_EQ(display_set_mode(d, 640, 480, 16), Result::ok);
    SurfacePtr primary;
    ASSERT_EQ(display_create_primary(d, 1, true, primary), Result::ok);
    surface_set_pixel(*surface_back_buffer(*primary), 3, 2, pack_rgb(d.mode_format, 255, 132, 8));
    GammaRamp half = identity_gamma_ramp();
    for (int i = 0; i < 256; ++i)
        half.red[i] = half.green[i] = half.blue[i] = static_cast<uint16_t>(i * 128);
    display_set_gamma(d, half);
    ASSERT_EQ(display_flip(d), Result::ok);
    int w = 0, h = 0;
    const std::vector<uint8_t> rgb = headless::presented_rgb(w, h);
    ASSERT_EQ(w, 640);
    const uint8_t* p = &rgb[(2 * 640 + 3) * 3];
    EXPECT_EQ(p[0], 127) << "255 through a ramp of slope 128";
    EXPECT_EQ(p[1], 67) << "green 132 keeps six bits, widens to 134, then the ramp";
    EXPECT_EQ(p[2], 4);
    EXPECT_EQ(rgb[0], 0);
}

TEST_F(DisplayTest, SixteenBitModeFollowsTheMachine) {
    headless::machine().knobs.rgb555 = true;
    Display d = open(64 << 20);
    ASSERT_EQ(display_set_mode(d, 640, 480, 16), Result::ok);
    EXPECT_EQ(d.mode_format, k_format_rgb555);
    EXPECT_NE(display_set_mode(d, 800, 600, 16), Result::ok);
}

} // namespace
