// The game state as JSON, with the code's own field names. Fields are only ever added.
#pragma once

#include "tools/common/json.h"

struct Game;

Json dump_game(const Game& game);
