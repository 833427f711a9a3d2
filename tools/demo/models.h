// All models of the demo and their textures, into the output.
#pragma once

#include <string>

#include "tools/demo/demo_output.h"

void make_models(DemoOutput& out);

// A model texture in both forms the game reads: "textures/128x128/NAME.bmp" (24-bit, for the
// 3D device) and "textures/NAME.bmp" (256x256 with a palette, for the software rasteriser).
class Canvas;
void add_model_texture(DemoOutput& out, const std::string& name, const Canvas& canvas);
