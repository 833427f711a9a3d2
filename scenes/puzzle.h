// The picture puzzle: nine square tiles of a picture in a 3x3 grid, shuffled and turning. The left
// button swaps two tiles (select one, then its new cell), the right button turns a tile by a
// quarter; the picture is whole in any of its four orientations. While it runs the game pass
// calls puzzle_step in place of the scene logic (`Minigame` 1).
#pragma once

#include <array>
#include <cstdint>

struct Game;

inline constexpr int k_puzzle_tiles = 9;
inline constexpr int k_puzzle_first_texture = 20; // tile k draws with texture entry 20 + k

struct PuzzleTile {
    float angle = 0; // radians, 0..2 pi
    float spin = 0;  // added to the angle every pass: 0 at rest, 0.1 turning
    int32_t column = 0, row = 0;
    uint32_t colour = 0xFFFFFFFFu; // opaque white; opaque green while selected
};

struct PuzzleState {
    std::array<PuzzleTile, k_puzzle_tiles> puzzle_tiles{};
    int32_t puzzle_spacing = 128;   // pixels between neighbouring cells' centres
    int32_t puzzle_countdown = 128; // passes the finished picture is shown
    int32_t selected_column = -1, selected_row = -1;
};

// Shuffle and turn the tiles and load their pictures; the scene sets `Minigame` 1 after it.
void puzzle_setup(Game& game);
// One pass: the tiles drawn and the mouse handled. True in the pass in which the puzzle ends.
bool puzzle_step(Game& game);
// The picture is whole: every tile at the same quarter turn, in the place that turn gives it.
bool puzzle_solved(const PuzzleState& puzzle);
// The grid cell under a screen point: column and row, -1 where no cell is.
std::array<int32_t, 2> puzzle_cell_at(int x, int y);
