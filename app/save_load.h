// Quick save, quick load and the automatic save, as the keys reach them.
#pragma once

#include <cstdint>

struct Game;

void quick_save(Game& game);
void quick_load(Game& game);
void load_auto_save(Game& game);
// A typed character for the save panel's name entry, when it is open.
void save_name_character(Game& game, uint32_t code);
