// All models of the demo and their textures, into the output.
#pragma once

#include <string>
#include <vector>

#include "tools/demo/demo_output.h"

class Canvas;

// Every model file ("models/NAME.ani") and every model texture.
void make_models(DemoOutput& out);
void make_model_textures(DemoOutput& out);

// One model file by its game path; empty when the demo has no such model.
std::vector<uint8_t> model_file(const std::string& path);

// A model texture in both forms the game reads: "textures/128x128/NAME.bmp" (24-bit, for the
// 3D device) and "textures/NAME.bmp" (256x256 with a palette, for the software rasteriser).
void add_model_texture(DemoOutput& out, const std::string& name, const Canvas& canvas);
