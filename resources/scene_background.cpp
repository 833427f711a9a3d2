#include "resources/scene_background.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "app/game.h"
#include "resources/asset_file.h"
#include "resources/msk.h"
#include "resources/pixel_convert.h"
#include "resources/scene_description.h"
#include "resources/tiff_picture.h"

namespace {

constexpr int k_width = 640;
constexpr int k_height = 480;

} // namespace

std::string scene_file_stem(int scene) {
    char stem[32];
    std::snprintf(stem, sizeof stem, "data/scr_%3.3d", scene);
    return stem;
}

void convert_scene_picture(std::span<const uint8_t> rgb32, int display_bpp, Surface* surface,
                           std::span<uint16_t> picture16) {
    // 32 bits copy; 15 bits are 5-5-5; every other depth is taken as 5-6-5.
    const int bpp = display_bpp == 32 ? 32 : display_bpp == 15 ? 15 : 16;
    LockedRect lock;
    const bool to_surface = surface != nullptr &&
                            bytes_per_pixel(surface->format) == display_pixel_bytes(bpp) &&
                            surface->width == k_width && surface->height == k_height &&
                            surface_lock(*surface, lock) == Result::ok;
    for (int y = 0; y < k_height; ++y) {
        const uint8_t* src = rgb32.data() + static_cast<size_t>(y) * k_width * 4;
        if (bpp == 32) {
            if (to_surface)
                convert_row(src, 4, k_width, k_height - y, 32, lock.bits + y * lock.pitch);
            continue;
        }
        uint16_t* row16 = picture16.data() + static_cast<size_t>(y) * k_width;
        convert_row(src, 4, k_width, k_height - y, bpp, reinterpret_cast<uint8_t*>(row16));
        if (to_surface) std::memcpy(lock.bits + y * lock.pitch, row16, k_width * 2);
    }
    if (to_surface) surface_unlock(*surface);
}

bool write_depth_surface(Surface& surface, std::span<const uint16_t> depth, int depth_bits,
                         uint32_t depth_mask) {
    if (surface.width != k_width || surface.height != k_height || depth.size() < k_depth_pixels ||
        bytes_per_pixel(surface.format) != (depth_bits == 16 ? 2 : 4))
        return false;
    LockedRect lock;
    if (surface_lock(surface, lock) != Result::ok) return false;
    for (int y = 0; y < k_height; ++y) {
        const uint16_t* src = depth.data() + static_cast<size_t>(y) * k_width;
        uint8_t* dst = lock.bits + static_cast<size_t>(y) * lock.pitch;
        if (depth_bits == 16) {
            std::memcpy(dst, src, k_width * 2);
            continue;
        }
        for (int x = 0; x < k_width; ++x) {
            const double f = src[x] / 65535.0;
            uint32_t v;
            if (depth_mask == 0xFFFFFFFFu) {
                v = static_cast<uint32_t>(std::lround(f * 4294967295.0));
            } else {
                v = static_cast<uint32_t>(std::lround(f * 16777215.0));
                if ((depth_mask & 0xFF) == 0) v <<= 8;
            }
            std::memcpy(dst + 4 * x, &v, 4);
        }
    }
    surface_unlock(surface);
    return true;
}

void fill_walk_map(std::span<const uint8_t> file, std::span<uint8_t> walk_map) {
    const size_t n = std::min(file.size(), walk_map.size());
    std::copy_n(file.begin(), n, walk_map.begin());
    std::fill(walk_map.begin() + n, walk_map.end(), k_walk_blocked_line);
}

SceneLoad load_scene_background(Game& game) {
    SceneBuffers& b = game.scene_buffers;
    const std::string stem = scene_file_stem(game.story.current_scene);

    std::vector<uint8_t> zbf;
    if (!read_asset(stem + ".zbf", k_zbf_file_max, zbf)) return SceneLoad::no_depth;

    load_tiff_rgb32(b.scene_picture_rgb32, stem + ".tif");
    DisplayDevice& dev = game.display;
    convert_scene_picture(b.scene_picture_rgb32, dev.display_bpp, dev.background_surface.get(),
                          b.scene_picture_16);
    if (dev.background_surface && dev.background_pristine)
        surface_copy(*dev.background_pristine, 0, 0, *dev.background_surface, nullptr, false);

    std::vector<uint8_t> file;
    if (!read_asset(stem + "m.raw", k_walk_map_bytes, file)) return SceneLoad::no_walk_map;
    fill_walk_map(file, b.scene_walk_map);

    if (!read_asset(stem + "m.msk", k_msk_file_max, file)) return SceneLoad::no_float_depth;
    decode_msk(file, std::span<float, k_depth_pixels>(b.scene_depth_float));

    b.scene_picture_work = b.scene_picture_rgb32;
    decode_zbf(zbf, std::span<uint16_t, k_depth_pixels>(b.scene_depth16));
    // The software path draws into scene_depth16 and cleans it from this copy.
    game.draw.scene_depth16_copy = b.scene_depth16;

    // The 3D device tests its characters against the scene's depth picture: it goes into the
    // scene depth surface, and a copy in system memory restores it after a loss.
    if (game.config.hardware_acceleration && dev.scene_depth_surface) {
        write_depth_surface(*dev.scene_depth_surface, b.scene_depth16, dev.depth_bits,
                            dev.depth_mask);
        if (game.config.stencil_shadows == 4 && dev.device) device_clear_stencil(*dev.device, 0);
        if (dev.spare_depth_surface)
            surface_copy(*dev.spare_depth_surface, 0, 0, *dev.scene_depth_surface, nullptr, false);
    }

    load_scene_description(game, stem + ".txt");
    return SceneLoad::complete;
}
