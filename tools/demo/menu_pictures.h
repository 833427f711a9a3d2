// The menu's pictures: the main and options pages with their buttons painted where the menu's
// items lie, the items' highlight and switch pictures, the level indicators, the save list's
// arrows and the save and load panels. Labels are drawn with the demo's font.
#pragma once

#include <string>

#include "tools/demo/demo_output.h"

void make_menu_pictures(DemoOutput& out, const std::string& font_path);
