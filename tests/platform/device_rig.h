// A 3D device on a small target with a depth surface, and helpers to draw on it.
#pragma once

#include <cstring>
#include <functional>
#include <initializer_list>
#include <vector>

#include <gtest/gtest.h>

#include "platform/device3d.h"
#include "platform/headless/headless_platform.h"

inline TLVertex vertex(float x, float y, float z = 0.5f, uint32_t diffuse = 0xFFFFFFFF, float u = 0,
                       float v = 0, float rhw = 1, uint32_t specular = 0xFF000000) {
    TLVertex t;
    t.x = x, t.y = y, t.z = z, t.rhw = rhw;
    t.diffuse = diffuse, t.specular = specular;
    t.u = u, t.v = v;
    return t;
}

// A rectangle as a four-vertex strip, texture coordinates 0..1 over it, front-facing with the
// clockwise culling the game uses.
inline std::vector<TLVertex> rect(float x0, float y0, float x1, float y1, float z = 0.5f,
                                  uint32_t diffuse = 0xFFFFFFFF) {
    return {vertex(x0, y0, z, diffuse, 0, 0), vertex(x0, y1, z, diffuse, 0, 1),
            vertex(x1, y0, z, diffuse, 1, 0), vertex(x1, y1, z, diffuse, 1, 1)};
}

struct DeviceRig {
    Display display;
    Driver3DPtr driver;
    SurfacePtr target, depth;
    Device3DPtr device;

    explicit DeviceRig(const PixelFormat& target_format = k_format_xrgb8888,
                       const PixelFormat& depth_format = k_format_z24s8, int width = 64,
                       int height = 64) {
        headless::machine() = {};
        display_create(display);
        driver3d_create(display, driver);
        target = make_system_surface(width, height, target_format);
        depth = make_system_surface(width, height, depth_format);
        device_create(*driver, *target, device);
        device_attach_depth(*device, *depth);
        // As the game sets it up: clockwise faces are culled.
        device_set_render_state(*device, RenderState::cull_mode, CULL_CW);
    }

    Device3D& dev() { return *device; }

    void state(RenderState s, uint32_t v) {
        EXPECT_EQ(device_set_render_state(*device, s, v), Result::ok);
    }
    void states(std::initializer_list<std::pair<RenderState, uint32_t>> list) {
        for (const auto& [s, v] : list) state(s, v);
    }
    void stage(StageState s, uint32_t v) {
        EXPECT_EQ(device_set_texture_stage_state(*device, 0, s, v), Result::ok);
    }

    Result draw(Primitive p, const std::vector<TLVertex>& v, uint32_t fvf = k_fvf_textured) {
        device_begin_scene(*device);
        const Result r =
            device_draw_primitive(*device, p, fvf, v.data(), static_cast<int>(v.size()));
        device_end_scene(*device);
        return r;
    }

    void fill(uint32_t colour) { surface_fill(*target, nullptr, colour); }
    void fill_depth(uint32_t word) { surface_fill(*depth, nullptr, word); }
    uint32_t pixel(int x, int y) const { return surface_pixel(*target, x, y); }
    Rgb8 rgb(int x, int y) const { return unpack_rgb(target->format, pixel(x, y)); }
    uint32_t depth_word(int x, int y) const { return surface_pixel(*depth, x, y); }
};

// A texture whose texels come from a function of (x, y) giving 0xAARRGGBB.
inline TexturePtr make_texture(const Device3D& device, int width, int height,
                               const PixelFormat& format,
                               const std::function<uint32_t(int, int)>& argb) {
    TexturePtr t;
    if (texture_create(device, width, height, format, t) != Result::ok) return nullptr;
    LockedRect lock;
    texture_lock(*t, lock);
    const int bytes = bytes_per_pixel(format);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint32_t v = pack_argb(format, argb(x, y));
            std::memcpy(lock.bits + y * lock.pitch + x * bytes, &v, bytes);
        }
    texture_unlock(*t);
    return t;
}
