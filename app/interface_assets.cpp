#include "app/interface_assets.h"

#include "app/game.h"

void load_interface_assets(Game&) {}

void reload_interface_assets(Game&) {}
