// The effects within a game pass: the effect steps after the characters are drawn, on the
// drawing path in use, and the hot-air shimmer over the finished frame.
#pragma once

struct Game;

// The effect steps of one pass, in their order (scene play only).
void run_effects(Game& game);
// The shimmer over the composed back buffer, when the option is on (scene play only).
void run_hot_air(Game& game);
