// One pass of the game step.
#pragma once

#include <cstdint>

struct Game;

void run_game_frame(Game& game);

// Show the back buffer, retrying while the display is still drawing. A lost flip chain is
// restored; the pass's picture is then gone, and the next pass draws it again.
void flip_frame(Game& game);
// Return once `min_ms` milliseconds have passed since `start_ms`.
void pace_pass(uint32_t start_ms, uint32_t min_ms);
