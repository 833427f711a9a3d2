// The material table: one record per material number, which is also the texture number. The
// software rasteriser draws a material with its palette texture; the 3D device uses the hardware
// texture of the same number instead.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "resources/picture.h"

inline constexpr int k_material_count = 64;

struct Material {
    int32_t cull_mode = 0;  // 0 both faces, 1 cull clockwise, 2 cull counter-clockwise
    int32_t alpha_test = 0; // non-zero: the texture's alpha cuts and blends the part
    int32_t unlit = 0;      // non-zero: vertex colours are the actor's tint
    PaletteTexture soft_texture;
};

struct MaterialTable {
    std::vector<Material> materials = std::vector<Material>(k_material_count);
};

// Fill the software texture of material `number` from a 256x256 8-bit picture and set its cull
// mode (set even when the picture is missing). A number outside the table changes nothing; a
// missing or damaged picture leaves the texture as it was.
bool load_software_texture(MaterialTable& table, int number, std::string_view path,
                           int32_t cull_mode);
