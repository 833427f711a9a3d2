// Picture loaders: bitmaps into display surfaces, wide-pixel buffers and palette textures, and
// the raw fire frames. Every loader but the fire frames finds its file loose first, then in the
// archive; a missing or damaged file leaves the destination as it was.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/surface.h"
#include "resources/rgb_picture.h"

struct DisplayDevice;

// Largest file each loader reads (also the largest picture it accepts).
inline constexpr size_t k_surface_picture_max = 5000000;
inline constexpr size_t k_rgb64_picture_max = 999999;
inline constexpr size_t k_palette_texture_max = 131072;

// Release the holder's surface and make a new one of the 24-bit bitmap's size in the display
// format, filled from the file. Nothing changes when the file is missing or damaged; the holder
// is left empty when no surface can be made. Returns true when the picture was loaded.
bool load_picture_surface(DisplayDevice& display, SurfacePtr& holder, std::string_view path);

// The same from a bitmap's file bytes already read.
bool picture_surface_from_file(DisplayDevice& display, SurfacePtr& holder,
                               std::span<const uint8_t> file);

// Convert a bitmap's file bytes into an existing surface of its size (the conversion step of
// load_picture_surface, without file or surface creation). False when the bytes are not a
// bitmap of the surface's size or the surface cannot be locked.
bool convert_bmp24_into(std::span<const uint8_t> file, int display_bpp, Surface& surface);

// A 24-bit bitmap widened to four 16-bit words a pixel (blue, green, red, 0), rows top first, into
// `destination`. False, with the destination untouched, when the picture does not fit it.
bool load_picture_rgb64(std::span<uint16_t> destination, std::string_view path,
                        int* width = nullptr, int* height = nullptr);
bool decode_picture_rgb64(std::span<const uint8_t> file, std::span<uint16_t> destination,
                          int* width = nullptr, int* height = nullptr);

// A 256x256 8-bit texture for the software rasteriser: palette words are the colour bytes as
// 1.15 fixed-point fractions (b * 257 / 2), indices rows top first.
struct PaletteTexture {
    uint16_t palette[256][4] = {}; // blue, green, red, reserved
    uint8_t indices[65536] = {};
};
static_assert(sizeof(PaletteTexture) == 2048 + 65536);

bool load_palette_texture(PaletteTexture& texture, std::string_view path);
bool decode_palette_texture(std::span<const uint8_t> file, PaletteTexture& texture);

// The sixteen flame frames "textures/fireNN.raw" (loose files only): 1024 pixels each of
// blue, green, red, 0. Frame n holds a (32 - 2n)-pixel square picture, rows without gaps.
inline constexpr int k_fire_frame_count = 16;
inline constexpr int k_fire_frame_pixels = 1024;

struct FireFrames {
    std::vector<uint8_t> bgra = std::vector<uint8_t>(k_fire_frame_count * k_fire_frame_pixels * 4);
};

std::string fire_frame_path(int n);
void load_fire_frames(FireFrames& frames);
// Frame n from a frame file's bytes (pixels the bytes do not hold are black).
void decode_fire_frame(std::span<const uint8_t> file, FireFrames& frames, int n);
// Raw frame bytes: red, green, blue per pixel, no header.
std::vector<uint8_t> encode_fire_frame(const RgbPicture& picture);

// A picture kept under its file name so that it can be reloaded after the surfaces are lost:
// the slots of animated strips and of scene objects.
struct PictureSlot {
    std::string name; // the path, cut right after the three letters of its extension
    bool loaded = false;
    SurfacePtr surface;
};

// Remember the name and load the picture; the slot counts as loaded when it holds a surface.
void load_picture_slot(DisplayDevice& display, PictureSlot& slot, std::string_view path);
