// The scene change: a change requested by assigning `current_scene` becomes a fade to black, the
// unload of the old scene and the load of the new one at black, and a fade back in. Also the three
// places the story starts over.
#pragma once

#include <cstdint>

struct Game;

// Gamma ramps entry i = min(i * level, 65535), written to the display.
void write_fade_ramps(Game& game, int32_t level);
// One fade step of the frame: 16 towards black or towards gamma_level; the change at black.
void fade_step(Game& game);
// At black: the new scene is entered and loaded.
void change_at_black(Game& game);
// Release and clear everything that belongs to one scene.
void unload_scene(Game& game);
// Load the scene picture, assets and characters of `current_scene`, without fade or autosave.
void enter_scene_now(Game& game);

void start_script_fade_out(Game& game);
void start_script_fade_in(Game& game);
// One step of the script fade (8 per pass); true when none runs or the running one finished.
bool step_script_fade(Game& game);

void new_game(Game& game);
// Start a new game straight in `scene` with `hero` (the runner's warp).
void start_game_in_scene(Game& game, int scene, int hero);
void restart_with_other_hero(Game& game);
void final_ending(Game& game);
