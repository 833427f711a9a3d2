// A scene's background: the 640x480 picture, the two depth pictures and the walk map made from
// the same render, and finally the scene description.
//
// Files of scene NNN: data/scr_NNN.zbf (16-bit depth), data/scr_NNN.tif (picture),
// data/scr_NNNm.raw (walk map), data/scr_NNNm.msk (float depth), data/scr_NNN.txt (description).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/surface.h"
#include "resources/zbf.h"

struct Game;

inline constexpr int k_walk_map_width = 320;
inline constexpr int k_walk_map_height = 240;
inline constexpr size_t k_walk_map_bytes = k_walk_map_width * k_walk_map_height;
// Walk-map values: 0 walkable; anything else blocks; 255 also stops straight-line tests.
inline constexpr uint8_t k_walk_blocked_line = 255;

// The scene's buffers, allocated once for the whole run and refilled at every scene load.
struct SceneBuffers {
    std::vector<uint8_t> scene_picture_rgb32 = std::vector<uint8_t>(k_depth_pixels * 4);
    std::vector<uint8_t> scene_picture_work = std::vector<uint8_t>(k_depth_pixels * 4);
    std::vector<uint16_t> scene_picture_16 = std::vector<uint16_t>(k_depth_pixels);
    std::vector<uint16_t> scene_depth16 = std::vector<uint16_t>(k_depth_pixels);
    std::vector<float> scene_depth_float = std::vector<float>(k_depth_pixels);
    std::vector<uint8_t> scene_walk_map = std::vector<uint8_t>(k_walk_map_bytes);
};

// The walk-map cell of a screen point: one cell per 2x2 pixels.
inline size_t walk_map_cell(int x, int y) {
    return static_cast<size_t>(y / 2) * k_walk_map_width + static_cast<size_t>(x / 2);
}

// "data/scr_NNN" for a scene number.
std::string scene_file_stem(int scene);

// How far a scene load got.
enum class SceneLoad {
    no_depth,       // no depth file: nothing changed
    no_walk_map,    // the picture was replaced, nothing after it
    no_float_depth, // the picture and the walk map were replaced, nothing after them
    complete,       // everything, the description included (when it exists)
};

// Load everything for the current scene. A missing depth file ends the call at once (nothing
// changes); a missing walk map or float depth ends it at that step, with the picture already
// replaced.
SceneLoad load_scene_background(Game& game);

// Copy the 24-bit picture (blue, green, red, x) into the background surface in the display
// format; on 16- and 15-bit displays the converted words also go to `picture16`.
void convert_scene_picture(std::span<const uint8_t> rgb32, int display_bpp, Surface* surface,
                           std::span<uint16_t> picture16);

// Fill a depth surface from 16-bit depth values, in its depth format: 16-bit values as they are;
// 32-bit words scaled to the full word (mask 0xFFFFFFFF) or to 24 bits, in the upper bits when
// the mask's low byte is clear. Stencil bits of the surface become 0.
bool write_depth_surface(Surface& surface, std::span<const uint16_t> depth, int depth_bits,
                         uint32_t depth_mask);

// Walk-map bytes read from a file: bytes the file does not hold block the way.
void fill_walk_map(std::span<const uint8_t> file, std::span<uint8_t> walk_map);
