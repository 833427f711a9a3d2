#include <gtest/gtest.h>

#include <memory>

#include "app/game.h"
#include "app/game_frame.h"
#include "platform/headless/headless_platform.h"

namespace {

TEST(ClickEdges, RightPressClosesTheBarDropsTheToolOrOpensTheBar) {
    struct Case {
        int32_t bar_open, tool, scene;
        int32_t bar_after, tool_after;
    } cases[] = {
        {1, 40, 4, 0, 40},  // an open bar closes first
        {0, 40, 4, 0, -1},  // else a held tool is dropped
        {0, -1, 4, 1, -1},  // else the bar opens
        {0, -1, 86, 0, -1}, // but never in the hero choice
    };
    for (const Case& c : cases) {
        headless::machine() = {};
        auto game = std::make_unique<Game>();
        game->toolbar.toolbar_open = c.bar_open;
        game->story.active_tool = c.tool;
        game->story.current_scene = c.scene;
        game->input.mouse_buttons[1] = 0x80;
        right_click_edge(*game);
        EXPECT_EQ(game->toolbar.toolbar_open, c.bar_after) << c.scene << " " << c.tool;
        EXPECT_EQ(game->story.active_tool, c.tool_after);
        right_click_edge(*game); // held down: nothing more
        EXPECT_EQ(game->toolbar.toolbar_open, c.bar_after);
        game->input.mouse_buttons[1] = 0;
        right_click_edge(*game);
        EXPECT_EQ(game->frame.right_latch, 0);
    }
}

TEST(ClickEdges, AnUnconsumedLeftPressEndsTheLineAndLatches) {
    headless::machine() = {};
    auto game = std::make_unique<Game>();
    game->text.speech_countdown = 40;
    game->input.mouse_buttons[0] = 0x80;
    left_click_edge(*game);
    EXPECT_EQ(game->frame.LeftKey, 1);
    EXPECT_EQ(game->text.speech_countdown, 0) << "the spoken line ended";
    game->input.mouse_buttons[0] = 0;
    left_click_edge(*game);
    EXPECT_EQ(game->frame.LeftKey, 0);
}

} // namespace
