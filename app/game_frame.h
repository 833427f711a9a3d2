// One pass of the game step: input, the fade and scene-change machine, the scene picture, the
// scene logic with its characters, the overlays, and the flip, paced to at least 32 ms.
#pragma once

#include <cstdint>

struct Game;

void run_game_frame(Game& game);

// Show the back buffer, retrying while the display is still drawing. A lost flip chain is
// restored; the pass's picture is then gone, and the next pass draws it again.
void flip_frame(Game& game);
// Return once `min_ms` milliseconds have passed since `start_ms`.
void pace_pass(uint32_t start_ms, uint32_t min_ms);

// The click latches: a left press nobody consumed ends the spoken line; a right press closes the
// bar, drops the held tool, or opens the bar.
void left_click_edge(Game& game);
void right_click_edge(Game& game);
// End of the pass: a scene number assigned by the scene logic becomes the target of a fade-out,
// and the scene keeps its old number until the screen is black.
void detect_scene_change(Game& game);
