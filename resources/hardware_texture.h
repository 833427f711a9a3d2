// Textures for the 3D device: the texture table indexed by texture number (which is also the
// material number), filled from picture files with the device's default size and format, and
// the registry of named textures, whose pictures stay in memory so that their surfaces can be
// made again.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/device3d.h"
#include "platform/image_file.h"

inline constexpr int k_texture_count = 64;

// Request flag of create_named_texture: a 16-bit texture format whatever the picture's depth.
inline constexpr uint32_t k_texture_request_16_bits = 8;

// A registered texture. The records form a list, the newest first.
struct NamedTexture {
    std::unique_ptr<NamedTexture> next;
    std::string name; // the picture's path, compared without regard to letter case
    int width = 0, height = 0;
    int stage = 0;
    int bits_per_pixel = 0; // of the loaded picture
    uint32_t flags = 0;     // request flags
    bool has_alpha = false;
    TexturePtr surface;
    Image picture; // the bitmap or Targa picture as loaded, kept for restoring the surface
};

struct HardwareTextures {
    std::array<TexturePtr, k_texture_count> texture_table;
    std::unique_ptr<NamedTexture> named;
};

// Release entry n of the table, then fill it with a texture made from the file (loose files
// only) with the device's default size and format. Without a device, with a number outside the
// table, or when the file is missing or damaged, the entry stays empty.
void load_texture_file(HardwareTextures& textures, const Device3D* device, const char* path, int n);

// Register a texture under its file name and load its picture (".bmp" or ".tga", by the name's
// extension in any letter case). A name registered already (in any letter case) succeeds at
// once without loading anything. Fails, registering nothing, without a name, for a file that
// cannot be read or decoded, and for other extensions.
Result create_named_texture(HardwareTextures& textures, const char* name, int stage,
                            uint32_t flags);

// Make (or make again) the texture surface of a registered texture and fill it with its picture.
Result restore_named_texture(HardwareTextures& textures, const char* name, const Device3D* device);

// The surface of a registered texture (shared with the registry); none when the name is not
// registered or has no surface.
TexturePtr get_named_texture(HardwareTextures& textures, const char* name);

// Release the surface and the picture and forget the name.
void destroy_named_texture(HardwareTextures& textures, const char* name);

// The first of the device's formats for a picture of `bits` bits a pixel with or without alpha:
// an 8-bit palette format for 8 bits or fewer, else an RGB format of exactly that depth with
// alpha exactly when wanted; failing that, a 16-bit one. None when nothing fits.
const PixelFormat* choose_texture_format(const std::vector<PixelFormat>& formats, int bits,
                                         bool alpha);
