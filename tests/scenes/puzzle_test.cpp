// The picture puzzle's rules without a screen: the hovered cell, quarter turns, swapping, the
// solved test in every orientation, and the end after the tiles slid together.
#include <gtest/gtest.h>

#include <memory>
#include <numbers>

#include "app/game.h"
#include "scenes/puzzle.h"

namespace {

constexpr float k_pi = std::numbers::pi_v<float>;

// A puzzle with every tile at rest at `quarter` quarter turns in its solved place for it.
std::unique_ptr<Game> solved_puzzle(int quarter) {
    auto g = std::make_unique<Game>();
    puzzle_setup(*g);
    for (int k = 0; k < k_puzzle_tiles; ++k) {
        PuzzleTile& t = g->puzzle.puzzle_tiles[size_t(k)];
        const int m = k / 3, j = k % 3;
        const int place[4][2] = {{j, m}, {m, 2 - j}, {2 - j, 2 - m}, {2 - m, j}};
        t.angle = float(quarter) * k_pi / 2;
        t.spin = 0;
        t.column = place[quarter][0];
        t.row = place[quarter][1];
    }
    return g;
}

void press(Game& g, int x, int y, int button) {
    g.input.mouse_x = x;
    g.input.mouse_y = y;
    g.input.mouse_buttons[size_t(button)] = 0x80;
    puzzle_step(g);
    g.input.mouse_buttons[size_t(button)] = 0;
    g.frame.LeftKey = 0; // the frame clears it while the button is up
}

} // namespace

TEST(Puzzle, HoveredCellsHaveTheirBoundariesAt224And352) {
    struct Case {
        int x, y, column, row;
    };
    for (const Case c :
         {Case{97, 17, 0, 0}, Case{224, 144, 0, 0}, Case{225, 145, 1, 1}, Case{352, 272, 1, 1},
          Case{353, 273, 2, 2}, Case{543, 463, 2, 2}, Case{96, 100, -1, -1}, Case{544, 100, -1, -1},
          Case{300, 16, -1, -1}, Case{300, 464, -1, -1}}) {
        const auto cell = puzzle_cell_at(c.x, c.y);
        EXPECT_EQ(cell[0], c.column) << c.x << "," << c.y;
        EXPECT_EQ(cell[1], c.row) << c.x << "," << c.y;
    }
}

TEST(Puzzle, ATurningTileStopsExactlyOnTheNextQuarterTurn) {
    auto g = solved_puzzle(0);
    PuzzleTile& t = g->puzzle.puzzle_tiles[4];
    t.angle = k_pi / 2 - 0.15f;
    t.spin = 0.1f;
    g->puzzle.puzzle_tiles[0].angle = 0.3f; // not solved, so input is taken
    puzzle_step(*g);
    EXPECT_FLOAT_EQ(t.angle, k_pi / 2);
    EXPECT_EQ(t.spin, 0.0f);
    // Holding the right button over it starts the turn again every pass.
    g->input.mouse_x = 320, g->input.mouse_y = 240;
    g->input.mouse_buttons[1] = 0x80;
    puzzle_step(*g);
    EXPECT_EQ(t.spin, 0.1f);
    // The last quarter of a whole turn stops at 0.
    t.angle = 2 * k_pi - 0.15f;
    g->input.mouse_buttons[1] = 0;
    puzzle_step(*g);
    EXPECT_EQ(t.angle, 0.0f);
    EXPECT_EQ(t.spin, 0.0f);
}

TEST(Puzzle, SelectingSwappingAndPressesOutsideTheGrid) {
    auto g = solved_puzzle(0);
    PuzzleState& p = g->puzzle;
    p.puzzle_tiles[0].angle = 0.3f; // not solved
    press(*g, 30, 30, 0);
    EXPECT_EQ(p.selected_column, -1) << "outside the grid nothing is selected";
    press(*g, 160, 80, 0); // cell (0, 0): tile 0
    EXPECT_EQ(p.selected_column, 0);
    EXPECT_EQ(p.puzzle_tiles[0].colour, 0xFF00FF00u);
    press(*g, 600, 80, 0);
    EXPECT_EQ(p.selected_column, 0) << "outside the grid the selection stays";
    press(*g, 160, 80, 0); // the selected tile itself: swapped with itself
    EXPECT_EQ(p.selected_column, -1);
    EXPECT_EQ(p.puzzle_tiles[0].colour, 0xFFFFFFFFu);
    EXPECT_EQ(p.puzzle_tiles[0].column, 0);
    press(*g, 160, 80, 0);
    press(*g, 480, 400, 0); // cell (2, 2): tile 8 goes to (0, 0)
    EXPECT_EQ(p.puzzle_tiles[0].column, 2);
    EXPECT_EQ(p.puzzle_tiles[0].row, 2);
    EXPECT_EQ(p.puzzle_tiles[8].column, 0);
    EXPECT_EQ(p.puzzle_tiles[8].row, 0);
}

TEST(Puzzle, WholeInEveryOrientationSlidesTogetherAndEnds) {
    for (int quarter = 0; quarter < 4; ++quarter) {
        auto g = solved_puzzle(quarter);
        EXPECT_TRUE(puzzle_solved(g->puzzle)) << quarter;
        std::swap(g->puzzle.puzzle_tiles[1].column, g->puzzle.puzzle_tiles[2].column);
        std::swap(g->puzzle.puzzle_tiles[1].row, g->puzzle.puzzle_tiles[2].row);
        EXPECT_FALSE(puzzle_solved(g->puzzle)) << quarter;
    }
    auto g = solved_puzzle(2); // upside down
    int passes = 0;
    bool ended = false;
    while (!ended && passes < 1000) {
        // Clicks and turns while it slides and shows the picture change nothing.
        g->input.mouse_x = 160, g->input.mouse_y = 80;
        g->input.mouse_buttons[0] = g->input.mouse_buttons[1] = passes % 2 ? 0x80 : 0;
        g->frame.LeftKey = 0;
        ended = puzzle_step(*g);
        ++passes;
        EXPECT_EQ(g->puzzle.selected_column, -1);
        EXPECT_EQ(g->puzzle.puzzle_tiles[0].spin, 0.0f);
    }
    EXPECT_EQ(g->puzzle.puzzle_spacing, 96);
    EXPECT_EQ(passes, 32 + 127) << "32 passes to slide together, then 128 of the picture";
}

TEST(Puzzle, SetUpShufflesIntoTheTransposedLayoutWithEveryTileTurning) {
    Game g;
    puzzle_setup(g);
    for (int k = 0; k < k_puzzle_tiles; ++k) {
        const PuzzleTile& t = g.puzzle.puzzle_tiles[size_t(k)];
        EXPECT_EQ(t.column, k / 3);
        EXPECT_EQ(t.row, k % 3);
        EXPECT_EQ(t.spin, 0.1f);
        EXPECT_GE(t.angle, 0.0f);
        EXPECT_LE(t.angle, k_pi);
    }
    EXPECT_EQ(g.puzzle.puzzle_spacing, 128);
    EXPECT_EQ(g.puzzle.puzzle_countdown, 128);
}
