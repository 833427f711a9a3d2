// Whether a single world point shows: on screen and not behind what the depth buffer holds.
// Glows use it to hide behind the pictured scenery.
#pragma once

#include <cstdint>
#include <span>

#include "platform/surface.h"
#include "render/camera.h"

// The pixel and depth a point projects to, or false when it lands off the 640x480 screen
// (x = 640.0 is off, 639.99 is pixel 639). The depth is limited to at most 1.
bool point_on_screen(const Matrix& view_projection, const Vec3& p, int& px, int& py, float& z);

// Software path: visible when trunc(z x 65535) <= the scene's 16-bit depth at the pixel.
bool point_visible_software(const Matrix& view_projection, const Vec3& p,
                            std::span<const uint16_t> scene_depth16);

// 3D device path: reads the device's depth surface by its format (16 bits; 32 bits with the full
// word, or 24 depth bits in the low or the high bits). Other widths, and a surface that cannot
// be locked, report not visible.
bool point_visible_device(const Matrix& view_projection, const Vec3& p, Surface& depth,
                          int depth_bits, uint32_t depth_mask);
