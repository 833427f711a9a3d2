#include <gtest/gtest.h>

#include "app/game.h"
#include "platform/headless/headless_platform.h"

namespace {

struct InputTest : ::testing::Test {
    Game game;
    void SetUp() override {
        headless::machine() = {};
        ASSERT_EQ(display_create(game.display.display), Result::ok);
    }
};

TEST_F(InputTest, BrightnessKeys) {
    struct Case {
        int start;
        uint32_t key;
        int presses, expected;
    } cases[] = {
        {33, VK_F11, 1, 32},   {255, VK_F11, 200, 32},     {40, VK_F11, 2, 36},
        {255, VK_F12, 3, 261}, {65534, VK_F12, 10, 65554},
    };
    for (const Case& c : cases) {
        game.config.gamma_level = c.start;
        for (int i = 0; i < c.presses; ++i) handle_key(game, c.key);
        EXPECT_EQ(game.config.gamma_level, c.expected) << c.start << " key " << c.key;
    }
    game.config.gamma_level = 300;
    handle_key(game, VK_F12);
    EXPECT_EQ(game.display.display.gamma.red[1], 302);
    EXPECT_EQ(game.display.display.gamma.red[255], 65535) << "entries saturate";
}

TEST_F(InputTest, SmoothingKeyCyclesFourModes) {
    const int expected[] = {1, 2, 3, 0, 1};
    for (int e : expected) {
        handle_key(game, VK_F9);
        EXPECT_EQ(game.config.smoothing, e);
    }
}

TEST_F(InputTest, CursorStaysInsideTheFrame) {
    headless::Machine& m = headless::machine();
    m.focused = true;
    ASSERT_EQ(create_mouse(game), 0);
    game.app.app_active = 1;
    acquire_mouse(game);
    const int moves[][4] = {
        {-100, -100, 2, 2}, {1000, 1000, 637, 477}, {-1, -1, 636, 476}, {-700, 5, 2, 477}};
    for (const auto& mv : moves) {
        headless::mouse_move(mv[0], mv[1]);
        ASSERT_TRUE(read_mouse(game));
        EXPECT_EQ(game.input.mouse_x, mv[2]);
        EXPECT_EQ(game.input.mouse_y, mv[3]);
    }
}

TEST_F(InputTest, LostMouseIsReacquiredOrThePassAbandoned) {
    headless::Machine& m = headless::machine();
    ASSERT_EQ(create_mouse(game), 0);
    m.focused = false;
    EXPECT_FALSE(read_mouse(game)) << "no focus: the pass is abandoned";
    m.focused = true;
    headless::mouse_button(0, true);
    EXPECT_TRUE(read_mouse(game)) << "input lost, re-acquired";
    EXPECT_EQ(game.input.mouse_buttons[0], 0x80);
}

TEST_F(InputTest, SpaceAndEscapeDuringAVideoRequestASkip) {
    handle_key(game, VK_SPACE);
    EXPECT_EQ(game.input.skip_requested, 1);
    game.input.skip_requested = 0;
    game.app.Minigame = 2;
    game.app.menu_mode = 0;
    handle_key(game, VK_ESCAPE);
    EXPECT_EQ(game.input.skip_requested, 1);
    EXPECT_EQ(game.app.menu_mode, 0) << "the video is skipped, the menu stays closed";
}

TEST(Characters, OnlyTheSaveNameAlphabetIsConsidered) {
    for (uint32_t code : {48u, 57u, 64u, 90u, 128u, 192u, 255u, 8u, 13u, 32u})
        EXPECT_TRUE(is_accepted_character(code)) << code;
    for (uint32_t code : {0u, 7u, 33u, 47u, 58u, 63u, 129u, 191u, 256u})
        EXPECT_FALSE(is_accepted_character(code)) << code;
}

} // namespace
