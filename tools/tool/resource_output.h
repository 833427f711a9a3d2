// Helpers shared by the resource subcommands: a display without a window, JSON for the engine's
// small types, option parsing and file output.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/surface.h"
#include "resources/scene_math.h"
#include "tools/common/json.h"
#include "tools/common/json_math.h"

struct DisplayDevice;
struct Game;
struct RgbImage;

// The display as set-up leaves it at `bpp` (32, 16 or 15), with plenty of video memory.
void make_tool_display(DisplayDevice& dev, int bpp);

// The values a scene description sets, under the code's names.
void put_scene_description(Json& j, const Game& game);

// Remove "--name VALUE" from args; nullopt when absent. `ok` turns false when the option has no
// value.
std::optional<std::string> take_option(std::vector<std::string>& args, const std::string& name,
                                       bool& ok);
bool take_flag(std::vector<std::string>& args, const std::string& name);
// --bpp: 32 (default), 16 or 15; nullopt for anything else.
std::optional<int> take_bpp(std::vector<std::string>& args, bool& ok);
bool parse_int(const std::string& text, int& value);

// A surface as 8-bit RGB, through its format's channel masks.
RgbImage surface_to_rgb(const Surface& s);

bool write_bytes(const std::string& path, std::span<const uint8_t> bytes);
void print_json(const Json& j);
int fail(const std::string& message); // message to stderr, exit code 1
int usage(const char* text);          // message to stderr, exit code 2
