#include "render/visibility.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int k_width = 640;
constexpr int k_height = 480;

bool depth_passes(Surface& depth, int depth_bits, uint32_t depth_mask, int px, int py, float z) {
    if (px >= depth.width || py >= depth.height) return false;
    LockedRect lock;
    if (surface_lock(depth, lock) != Result::ok) return false;
    const uint8_t* row = lock.bits + static_cast<size_t>(py) * static_cast<size_t>(lock.pitch);
    bool visible = false;
    if (depth_bits == 16) {
        uint16_t v;
        std::memcpy(&v, row + px * 2, sizeof v);
        visible = static_cast<uint32_t>(z * 65535.0f) <= v;
    } else if (depth_bits == 32) {
        uint32_t v;
        std::memcpy(&v, row + px * 4, sizeof v);
        if (depth_mask == 0xFFFFFFFFu) {
            visible = static_cast<uint32_t>(static_cast<double>(z) * 4294967295.0) <= v;
        } else {
            uint32_t d = static_cast<uint32_t>(z * 16777215.0f);
            if (depth_mask == 0xFFFFFF00u) d <<= 8;
            visible = d <= (v & depth_mask);
        }
    }
    surface_unlock(depth);
    return visible;
}

} // namespace

bool point_on_screen(const Matrix& view_projection, const Vec3& p, int& px, int& py, float& z) {
    const ScreenPoint s = project_point(view_projection, p);
    // The comparisons also turn away not-a-number coordinates.
    if (!(s.x >= 0 && s.x < k_width && s.y >= 0 && s.y < k_height)) return false;
    px = static_cast<int>(s.x);
    py = static_cast<int>(s.y);
    z = std::min(s.z, 1.0f);
    return true;
}

bool point_visible_software(const Matrix& view_projection, const Vec3& p,
                            std::span<const uint16_t> scene_depth16) {
    int px = 0, py = 0;
    float z = 0;
    if (!point_on_screen(view_projection, p, px, py, z)) return false;
    const size_t i = static_cast<size_t>(py) * k_width + static_cast<size_t>(px);
    if (i >= scene_depth16.size()) return false;
    // A point behind the eye (negative depth) is in front of nothing.
    if (z < 0) return false;
    return static_cast<uint32_t>(z * 65535.0f) <= scene_depth16[i];
}

bool point_visible_device(const Matrix& view_projection, const Vec3& p, Surface& depth,
                          int depth_bits, uint32_t depth_mask) {
    int px = 0, py = 0;
    float z = 0;
    if (!point_on_screen(view_projection, p, px, py, z)) return false;
    if (z < 0) return false;
    return depth_passes(depth, depth_bits, depth_mask, px, py, z);
}
