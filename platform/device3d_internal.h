// Inside the 3D device: its state, and the interface between the draw calls and the rasteriser.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/device3d.h"

struct RenderStates {
    bool z_enable = false;
    bool z_write = true;
    uint32_t z_func = CMP_LESSEQUAL;
    bool blend = false;
    uint32_t src_blend = BLEND_ONE;
    uint32_t dest_blend = BLEND_ZERO;
    bool alpha_test = false;
    uint32_t alpha_ref = 0;
    uint32_t alpha_func = CMP_ALWAYS;
    uint32_t cull = CULL_CCW;
    uint32_t shade = SHADE_GOURAUD;
    bool dither = false;
    bool specular = false;
    bool fog = false;
    uint32_t fog_color = 0;
    bool stencil = false;
    uint32_t stencil_func = CMP_ALWAYS;
    uint32_t stencil_ref = 0;
    uint32_t stencil_mask = 0xFFFFFFFF;
    uint32_t stencil_write_mask = 0xFFFFFFFF;
    uint32_t stencil_fail = STENCILOP_KEEP;
    uint32_t stencil_zfail = STENCILOP_KEEP;
    uint32_t stencil_pass = STENCILOP_KEEP;
    bool perspective = true;
    bool clipping = true;
    bool lighting = true;
    bool extents = false;
};

struct StageStates {
    uint32_t color_op = TOP_MODULATE;
    uint32_t color_arg1 = TA_TEXTURE;
    uint32_t color_arg2 = TA_CURRENT;
    uint32_t alpha_op = TOP_SELECTARG1;
    uint32_t alpha_arg1 = TA_TEXTURE;
    uint32_t alpha_arg2 = TA_CURRENT;
    uint32_t min_filter = TEXF_POINT;
    uint32_t mag_filter = TEXF_POINT;
};

// A vertex as the rasteriser takes it, whatever layout it came in.
struct RasterVertex {
    float x, y, z, rhw;
    uint32_t diffuse, specular;
    float u, v;
};

struct Raster;
struct Triangle;
// Sets up and fills one triangle (the rasteriser has one for each set of features).
using TriangleFn = void (*)(const Raster& r, const Triangle& t);

// Everything a draw call needs to know, derived once from the device's states.
struct Raster {
    uint32_t features = 0; // Feature bits (device3d_raster.cpp) that hold for the whole call

    // Clip rectangle: viewport within target, [x0, x1) x [y0, y1).
    int clip_x0 = 0, clip_y0 = 0, clip_x1 = 0, clip_y1 = 0;

    uint8_t* colour = nullptr;
    int colour_pitch = 0;
    uint8_t* depth = nullptr;
    int depth_pitch = 0;

    // Texture stage 0, resolved: where colour and alpha come from.
    uint8_t colour_op = 0, colour_arg1 = 0, colour_arg2 = 0;
    uint8_t alpha_op = 0, alpha_arg1 = 0, alpha_arg2 = 0;
    const uint32_t* texels = nullptr;
    int tex_width = 0, tex_height = 0;
    int tex_wmask = -1, tex_hmask = -1; // size - 1 for powers of two, else -1
    bool min_linear = false, mag_linear = false;

    double z_scale = 65535; // largest value of the depth format
    uint32_t z_func = CMP_LESSEQUAL;
    uint32_t alpha_func = CMP_ALWAYS, alpha_ref = 0;
    uint32_t src_blend = BLEND_ONE, dest_blend = BLEND_ZERO;
    uint32_t fog_color = 0;
    uint32_t stencil_func = CMP_ALWAYS, stencil_ref = 0, stencil_mask = 0, stencil_write_mask = 0;
    uint32_t stencil_fail = STENCILOP_KEEP, stencil_zfail = STENCILOP_KEEP,
             stencil_pass = STENCILOP_KEEP;

    uint32_t cull = CULL_NONE;
    bool flat = false;
    bool perspective = true;

    // The triangle functions for this call, by [perspective][colours vary over the triangle].
    TriangleFn triangle[2][2] = {};
};

struct Device3D {
    DeviceCaps caps;
    bool renders_32_bits = true, renders_16_bits = true;
    std::vector<PixelFormat> texture_formats;

    Surface* target = nullptr;
    Surface* depth = nullptr;
    Viewport viewport;
    bool in_scene = false;

    RenderStates rs;
    StageStates ts;
    TexturePtr texture;
};

// Fill `r` from the device's states for one draw call. Fails when the target or depth surface
// cannot be drawn into now (lost, locked).
Result raster_prepare(Device3D& device, Raster& r);

// `flat` is the vertex whose colours a flat-shaded triangle takes.
void raster_triangle(const Raster& r, const RasterVertex& a, const RasterVertex& b,
                     const RasterVertex& c, const RasterVertex& flat);
void raster_line(const Raster& r, const RasterVertex& a, const RasterVertex& b);
void raster_point(const Raster& r, const RasterVertex& v);

// Decode a texture's texels into its argb copy when they changed.
void texture_refresh(Texture& texture);
