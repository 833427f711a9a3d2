// The toolbar in the generated clearing, in this process: the carousel over the owned tools,
// taking the shown tool into the hand, its icon at the lower right once the bar is closed, and
// the notices of tools just obtained.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/e2e/demo_folder.h"
#include "tests/support/demo_game.h"

namespace {

constexpr int k_axe = 5, k_jug = 40;

class Toolbar : public ::testing::Test {
protected:
    std::unique_ptr<Game> game;

    void SetUp() override {
        const std::filesystem::path dir = make_demo_folder();
        ASSERT_FALSE(dir.empty());
        std::filesystem::current_path(dir);
        game = start_demo_game({}, 4, 0);
        ASSERT_NE(game, nullptr);
        run_game_frame(*game);
    }
    void TearDown() override {
        if (game) stop_demo_game(*game);
    }
    uint32_t pixel(int x, int y) { return surface_pixel(*game->display.back_buffer, x, y); }
    void next() { click_in_game(*game, 515, 228); }
    void previous() { click_in_game(*game, 388, 230); }
};

TEST_F(Toolbar, CarouselKeepsToOwnedToolsAndStopsAtBothEnds) {
    Game& g = *game;
    click_in_game(g, 100, 100, 1);
    ASSERT_EQ(g.toolbar.toolbar_open, 1);
    EXPECT_EQ(g.toolbar.current_tool, -1) << "nothing owned: no tool shown";
    EXPECT_FALSE(g.toolbar.tool_picture);

    g.records.objects[k_axe].state = 100;
    g.records.objects[k_jug].state = 100;
    run_game_frame(g);
    EXPECT_EQ(g.toolbar.current_tool, k_axe) << "the lowest owned tool first";
    next();
    EXPECT_EQ(g.toolbar.current_tool, k_jug);
    next();
    EXPECT_EQ(g.toolbar.current_tool, k_jug) << "next on the highest keeps it";
    previous();
    previous();
    EXPECT_EQ(g.toolbar.current_tool, k_axe) << "previous on the lowest keeps it";
    next();
    ASSERT_TRUE(g.toolbar.tool_picture) << "gfx/tools/tool040.bmp";

    // Take the jug, close the bar: its icon stays at the lower right while it is held.
    click_in_game(g, 449, 235);
    EXPECT_EQ(g.story.active_tool, k_jug);
    click_in_game(g, 100, 100, 1);
    EXPECT_EQ(g.toolbar.toolbar_open, 0);
    const uint32_t icon = surface_pixel(*g.toolbar.tool_picture, 32, 88 + 32);
    EXPECT_EQ(pixel(554 + 32, 394 + 32), icon);
    // A right click with the bar closed drops it.
    click_in_game(g, 100, 100, 1);
    EXPECT_EQ(g.story.active_tool, -1);
    EXPECT_EQ(g.toolbar.toolbar_open, 0);
}

TEST_F(Toolbar, NoticesOfToolsTakenInOnePassFollowInTableOrder) {
    Game& g = *game;
    g.records.objects[k_jug].state = 1;
    g.records.objects[k_axe].state = 1;
    int passes_of_axe = 0;
    while (g.records.objects[k_axe].state < 100 && passes_of_axe < 200) {
        run_game_frame(g);
        ++passes_of_axe;
        ASSERT_EQ(g.records.objects[k_jug].state, 1) << "waits for the lower number";
    }
    EXPECT_EQ(passes_of_axe, 99);
    run_game_frame(g);
    EXPECT_EQ(g.records.objects[k_jug].state, 2);
}

} // namespace
