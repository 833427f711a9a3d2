// The pictures the game loads at start-up: the subtitle frame, the tool frame, the toolbar and
// its buttons, the six cursors, the effect textures, the software glow and the fire frames.
// Colour-keyed pictures keep pure black for "transparent" and never use it inside a drawing.
#pragma once

#include "tools/demo/demo_output.h"

void make_interface_pictures(DemoOutput& out);
