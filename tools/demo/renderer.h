// The offline scene renderer: primary rays through the engine's own screen mapping, direct light
// from suns and lamps with soft shadows, sky light with ambient occlusion, and a filmic tone map.
//
// The camera is the engine's: a world point maps to the screen as x = 320 + f X / (Z - 1),
// y = 240 + f Y / (Z - 1), with (X, Y, Z) its camera-space point and f = 1200 times the
// projection's x scale. So the centre of projection is the camera-space point (0, 0, 1), and the
// ray of a screen point starts there. Screen points name pixel centres: pixel (x, y) is the
// screen point (x, y) itself, as the engine's depth tests and unprojection use it.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/demo/materials.h"
#include "tools/demo/tracer.h"

inline constexpr int k_screen_width = 640;
inline constexpr int k_screen_height = 480;

struct TraceCamera {
    // World images of the camera axes and the eye (the rows of the inverse view matrix), and the
    // third column of the view matrix with its translation, which gives a point's camera depth.
    V3d axis_x, axis_y, axis_z, eye;
    V3d depth_row;
    double depth_offset = 0;
    double focal = 1200; // 1200 times the projection's x scale

    Ray ray(double sx, double sy) const;
    double camera_depth(const V3d& p) const { return dot(p, depth_row) + depth_offset; }
};

// A camera from the engine's view matrix (rows as the engine stores them, translation in the
// fourth row) and the projection's x scale.
TraceCamera make_trace_camera(const double view[4][4], double projection_scale);

struct SunLight {
    V3d to_light;         // unit vector towards the sun
    double spread = 0.03; // angular radius in radians (soft shadow size)
    V3d colour{1, 1, 1};
};

struct LampLight {
    V3d position;
    double radius = 1; // size of the glowing sphere (soft shadow size)
    V3d colour{1, 1, 1};
    double falloff = 40; // distance at which the light has fallen to half
};

struct Environment {
    V3d sky_zenith{0.25, 0.45, 0.9}, sky_horizon{0.7, 0.8, 0.95};
    V3d ground{0.2, 0.18, 0.12}; // light coming from below (bounce)
    double sky_strength = 0.6;   // scale of the ambient sky light
    V3d background{-1, -1, -1};  // colour of rays that leave the scene; negative: the sky
    std::vector<SunLight> suns;
    std::vector<LampLight> lamps;
    double ao_distance = 14;
    double exposure = 1;
};

struct RenderOptions {
    int aa = 2;          // aa x aa samples per pixel
    int shadow_rays = 2; // per sample and light
    int ao_rays = 4;     // per sample
    bool shading = true; // false: geometry only (depth, surfaces, tags)
    int threads = 2;
    int x0 = 0, y0 = 0, x1 = k_screen_width, y1 = k_screen_height; // pixels rendered
};

// What the centre ray of a pixel found.
struct PixelInfo {
    bool hit = false;
    double depth = 0; // camera depth Z of the surface point
    V3d p, n;
    uint16_t tag = 0;
    uint8_t flags = 0;
};

struct RenderResult {
    int width = k_screen_width, height = k_screen_height;
    std::vector<float> linear; // 3 per pixel, linear light; empty without shading
    std::vector<PixelInfo> info;

    const PixelInfo& at(int x, int y) const { return info[static_cast<size_t>(y) * width + x]; }
};

RenderResult render_scene(const Tracer& tracer, const std::vector<SceneMaterial>& materials,
                          const TraceCamera& camera, const Environment& env,
                          const RenderOptions& options);

// Filmic tone map and sRGB encoding of a rectangle of the result into 8-bit RGB rows.
std::vector<uint8_t> tone_map(const RenderResult& r, double exposure, int x0, int y0, int x1,
                              int y1);
