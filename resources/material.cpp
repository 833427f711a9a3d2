#include "resources/material.h"

bool load_software_texture(MaterialTable& table, int number, std::string_view path,
                           int32_t cull_mode) {
    if (number < 0 || number >= static_cast<int>(table.materials.size())) return false;
    Material& m = table.materials[static_cast<size_t>(number)];
    m.cull_mode = cull_mode;
    return load_palette_texture(m.soft_texture, path);
}
