// Golden images of the 3D device: four scenes that together use every state family the game
// draws with, each rendered into a 32-bit and a 16-bit (5-6-5) back buffer.
//
// textured_lit  Gouraud-lit, fogged, textured meshes; a perspective floor; alpha-tested and
//               flat-shaded strips; specular; point and linear filtering
// blending      every blend factor pair of the game over a striped picture
// depth_stencil a mesh hidden by a depth picture, a blob shadow, shadow volumes counted in the
//               stencil and the darkening quad, a depth-tested additive glow
// lines_points  spark trails, sparkles tested against depth, lines at every slope
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "tests/platform/device_rig.h"
#include "tests/support/golden.h"

namespace {

constexpr int k_width = 160, k_height = 120;

uint32_t argb(int a, int r, int g, int b) {
    return static_cast<uint32_t>(a) << 24 | static_cast<uint32_t>(r) << 16 |
           static_cast<uint32_t>(g) << 8 | static_cast<uint32_t>(b);
}

// A sphere of triangles around a screen point, lit from the upper left, fog thickening towards
// its bottom when `fog` is set. Front faces are counter-clockwise on the screen.
std::vector<TLVertex> sphere(float cx, float cy, float radius, float z, bool fog) {
    constexpr int stacks = 10, slices = 16;
    auto corner = [&](int st, int sl) {
        const float theta = std::numbers::pi_v<float> * st / stacks;
        const float phi = 2 * std::numbers::pi_v<float> * sl / slices;
        const float nx = std::sin(theta) * std::cos(phi), ny = std::cos(theta);
        const float nz = std::sin(theta) * std::sin(phi);
        const float light = std::clamp(-0.6f * nx + 0.6f * ny - 0.5f * nz, 0.0f, 1.0f);
        const int i = static_cast<int>(40 + 215 * light);
        const int f = fog ? static_cast<int>(255 - 200 * (1 - ny) / 2) : 255;
        return vertex(cx + radius * nx, cy - radius * ny, z + 0.05f * nz,
                      argb(255, i, i, i * 3 / 4), static_cast<float>(sl) / slices * 2,
                      static_cast<float>(st) / stacks, 1.0f, argb(f, 0, 0, 0));
    };
    std::vector<TLVertex> out;
    for (int st = 0; st < stacks; ++st)
        for (int sl = 0; sl < slices; ++sl) {
            const TLVertex a = corner(st, sl), b = corner(st, sl + 1);
            const TLVertex c = corner(st + 1, sl), d = corner(st + 1, sl + 1);
            for (const TLVertex& v : {a, c, b, b, c, d}) out.push_back(v);
        }
    return out;
}

uint32_t checker(int x, int y) {
    return ((x / 4 + y / 4) % 2) ? argb(255, 230, 200, 60) : argb(255, 60, 90, 200);
}

// White in the middle fading to black and to transparent at the edge.
uint32_t spot(int x, int y, int size) {
    const float d = std::hypot(x + 0.5f - size / 2.0f, y + 0.5f - size / 2.0f) / (size / 2.0f);
    const int v = static_cast<int>(255 * std::clamp(1 - d, 0.0f, 1.0f));
    return argb(v, v, v, v);
}

void fill_gradient(Surface& s) {
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x)
            surface_set_pixel(s, x, y, pack_rgb(s.format, 40 + x / 2, 50 + y, 90));
}

void textured_lit(DeviceRig& rig) {
    Device3D& d = rig.dev();
    fill_gradient(*rig.target);
    rig.fill_depth(0xFFFFFF00);
    rig.states({{RenderState::z_enable, 1}, {RenderState::fog_color, 0x8090A0}});
    rig.stage(StageState::min_filter, TEXF_LINEAR);
    rig.stage(StageState::mag_filter, TEXF_LINEAR);
    TexturePtr tiles = make_texture(d, 16, 16, k_texture_rgb565, checker);
    device_set_texture(d, 0, tiles);

    // A floor going away: reciprocal w falls from 1 at the bottom to 0.2 at the horizon, where
    // its width is a fifth of that at the bottom.
    std::vector<TLVertex> floor = {vertex(60, 70, 0.9f, argb(255, 255, 255, 255), 0, 0, 0.2f),
                                   vertex(-20, 120, 0.9f, argb(255, 160, 160, 160), 0, 4, 1),
                                   vertex(100, 70, 0.9f, argb(255, 255, 255, 255), 4, 0, 0.2f),
                                   vertex(180, 120, 0.9f, argb(255, 160, 160, 160), 4, 4, 1)};
    rig.draw(Primitive::triangle_strip, floor);

    rig.state(RenderState::fog_enable, 1);
    rig.draw(Primitive::triangle_list, sphere(45, 50, 28, 0.5f, true));
    rig.state(RenderState::fog_enable, 0);

    // Point filtering, flat shading: each triangle of the strip in its first vertex's colour.
    rig.stage(StageState::mag_filter, TEXF_POINT);
    rig.state(RenderState::shade_mode, SHADE_FLAT);
    std::vector<TLVertex> strip;
    for (int i = 0; i < 6; ++i) {
        const uint32_t c = argb(255, 255 - 40 * i, 120 + 20 * i, 80 + 30 * i);
        strip.push_back(vertex(90 + 10.0f * i, 10, 0.4f, c, 0.25f * i, 0));
        strip.push_back(vertex(90 + 10.0f * i, 30, 0.4f, c, 0.25f * i, 1));
    }
    rig.draw(Primitive::triangle_strip, strip);
    rig.state(RenderState::shade_mode, SHADE_GOURAUD);
    rig.stage(StageState::mag_filter, TEXF_LINEAR);

    // An alpha-tested tile (a texture with a transparent surround), blended by its alpha.
    TexturePtr tile = make_texture(d, 32, 32, k_texture_argb8888, [](int x, int y) {
        const uint32_t a = spot(x, y, 32) >> 24;
        return a > 60 ? (a << 24) | (checker(x, y) & 0xFFFFFF) : 0u;
    });
    device_set_texture(d, 0, tile);
    rig.states({{RenderState::alpha_test_enable, 1},
                {RenderState::alpha_ref, 1},
                {RenderState::alpha_func, CMP_GREATEREQUAL},
                {RenderState::alpha_blend_enable, 1},
                {RenderState::src_blend, BLEND_SRCALPHA},
                {RenderState::dest_blend, BLEND_INVSRCALPHA}});
    rig.stage(StageState::alpha_op, TOP_SELECTARG1);
    rig.stage(StageState::alpha_arg1, TA_TEXTURE);
    rig.draw(Primitive::triangle_strip, rect(95, 40, 145, 90, 0.3f));
    rig.states({{RenderState::alpha_test_enable, 0}, {RenderState::alpha_blend_enable, 0}});

    // Specular added over the diffuse colour.
    device_set_texture(d, 0, tiles);
    rig.state(RenderState::specular_enable, 1);
    rig.draw(Primitive::triangle_list,
             {vertex(10, 95, 0.2f, argb(255, 90, 30, 30), 0, 0, 1, argb(255, 0, 0, 0)),
              vertex(10, 118, 0.2f, argb(255, 90, 30, 30), 0, 1, 1, argb(255, 200, 200, 0)),
              vertex(60, 95, 0.2f, argb(255, 90, 30, 30), 1, 0, 1, argb(255, 0, 80, 200))});
}

void blending(DeviceRig& rig) {
    Device3D& d = rig.dev();
    for (int y = 0; y < k_height; ++y)
        for (int x = 0; x < k_width; ++x) {
            const int band = (x + y / 2) / 12 % 4;
            const int r[] = {230, 30, 40, 200}, g[] = {40, 200, 60, 200}, b[] = {40, 40, 220, 200};
            surface_set_pixel(*rig.target, x, y,
                              pack_rgb(rig.target->format, r[band], g[band], b[band]));
        }
    TexturePtr glow =
        make_texture(d, 32, 32, k_texture_argb8888, [](int x, int y) { return spot(x, y, 32); });
    device_set_texture(d, 0, glow);
    rig.stage(StageState::min_filter, TEXF_LINEAR);
    rig.stage(StageState::mag_filter, TEXF_LINEAR);
    rig.stage(StageState::alpha_op, TOP_SELECTARG1);
    const uint32_t pairs[9][2] = {
        {BLEND_SRCALPHA, BLEND_INVSRCALPHA},
        {BLEND_DESTCOLOR, BLEND_SRCCOLOR},
        {BLEND_ONE, BLEND_ONE},
        {BLEND_ZERO, BLEND_INVSRCCOLOR},
        {BLEND_ZERO, BLEND_ONE},
        {BLEND_ONE, BLEND_INVSRCCOLOR},
        {BLEND_INVSRCALPHA, BLEND_INVSRCCOLOR},
        {BLEND_INVDESTCOLOR, BLEND_INVSRCCOLOR},
        {BLEND_ONE, BLEND_SRCCOLOR},
    };
    rig.state(RenderState::alpha_blend_enable, 1);
    for (int i = 0; i < 9; ++i) {
        rig.states({{RenderState::src_blend, pairs[i][0]}, {RenderState::dest_blend, pairs[i][1]}});
        const float x = 8 + 51.0f * (i % 3), y = 4 + 39.0f * static_cast<float>(i / 3);
        std::vector<TLVertex> q = rect(x, y, x + 44, y + 36);
        q[0].diffuse = argb(255, 255, 255, 255);
        q[1].diffuse = argb(200, 255, 120, 0);
        q[2].diffuse = argb(160, 0, 255, 255);
        q[3].diffuse = argb(255, 255, 255, 255);
        rig.draw(Primitive::triangle_strip, q);
    }
}

void depth_stencil(DeviceRig& rig) {
    Device3D& d = rig.dev();
    fill_gradient(*rig.target);
    // The scene's depth picture: near on the left, a floor at 0.5 in the middle, far on the right.
    for (int y = 0; y < k_height; ++y)
        for (int x = 0; x < k_width; ++x) {
            const double z = x < 40 ? 0.3 : x < 120 ? 0.5 : 0.9;
            surface_set_pixel(*rig.depth, x, y, static_cast<uint32_t>(z * 16777215) << 8);
        }
    rig.state(RenderState::z_enable, 1);
    TexturePtr shade =
        make_texture(d, 32, 32, k_texture_rgb565, [](int x, int y) { return spot(x, y, 32); });
    TexturePtr tiles = make_texture(d, 16, 16, k_texture_rgb565, checker);
    rig.stage(StageState::min_filter, TEXF_LINEAR);
    rig.stage(StageState::mag_filter, TEXF_LINEAR);

    // Blob shadow: the picture times one minus the texture, without depth writes.
    device_set_texture(d, 0, shade);
    rig.states({{RenderState::z_write_enable, 0},
                {RenderState::alpha_blend_enable, 1},
                {RenderState::src_blend, BLEND_ZERO},
                {RenderState::dest_blend, BLEND_INVSRCCOLOR}});
    rig.stage(StageState::color_op, TOP_SELECTARG1);
    rig.draw(Primitive::triangle_strip, rect(20, 90, 70, 112, 0.45f, argb(64, 64, 64, 64)));
    rig.stage(StageState::color_op, TOP_MODULATE);

    // Shadow volume of a box from depth 0.35 to 0.65: front faces count up, back faces down;
    // colour left as it is.
    device_set_texture(d, 0, nullptr);
    rig.states({{RenderState::stencil_enable, 1},
                {RenderState::stencil_func, CMP_ALWAYS},
                {RenderState::stencil_ref, 1},
                {RenderState::src_blend, BLEND_ZERO},
                {RenderState::dest_blend, BLEND_ONE},
                {RenderState::shade_mode, SHADE_FLAT}});
    std::vector<TLVertex> front = rect(30, 15, 140, 60, 0.35f);
    const std::vector<TLVertex> front_cw = {front[1], front[0], front[3], front[2]};
    const std::vector<TLVertex> back = rect(30, 15, 140, 60, 0.65f);
    for (int pass = 0; pass < 2; ++pass) {
        rig.states(
            {{RenderState::cull_mode, pass == 0 ? CULL_CCW : CULL_CW},
             {RenderState::stencil_pass, pass == 0 ? STENCILOP_INCRSAT : STENCILOP_DECRSAT}});
        rig.draw(Primitive::triangle_strip, front_cw);
        rig.draw(Primitive::triangle_strip, back);
    }
    rig.states({{RenderState::shade_mode, SHADE_GOURAUD},
                {RenderState::cull_mode, CULL_CW},
                {RenderState::z_write_enable, 1},
                {RenderState::alpha_blend_enable, 0}});

    // The character: hidden by the near left part of the picture, its own pixels clear the
    // stencil so it is not darkened.
    device_set_texture(d, 0, tiles);
    rig.state(RenderState::stencil_pass, STENCILOP_ZERO);
    rig.draw(Primitive::triangle_list, sphere(60, 40, 26, 0.42f, false));
    rig.state(RenderState::stencil_enable, 0);

    // The darkening pass.
    device_set_texture(d, 0, nullptr);
    rig.states({{RenderState::z_enable, 0},
                {RenderState::alpha_blend_enable, 1},
                {RenderState::src_blend, BLEND_SRCALPHA},
                {RenderState::dest_blend, BLEND_INVSRCALPHA},
                {RenderState::stencil_enable, 1},
                {RenderState::stencil_ref, 0},
                {RenderState::stencil_func, CMP_NOTEQUAL},
                {RenderState::stencil_pass, STENCILOP_ZERO}});
    rig.draw(Primitive::triangle_strip, rect(0, 0, k_width, k_height, 0, argb(0x7F, 0, 0, 0)));
    rig.states({{RenderState::stencil_enable, 0}, {RenderState::z_enable, 1}});

    // A glow at depth 0.6: hidden pixel by pixel where the picture is nearer.
    device_set_texture(d, 0, shade);
    rig.states({{RenderState::src_blend, BLEND_ONE}, {RenderState::dest_blend, BLEND_ONE}});
    rig.draw(Primitive::triangle_strip, rect(100, 70, 150, 115, 0.6f, argb(255, 255, 160, 60)));
}

void lines_points(DeviceRig& rig) {
    rig.fill(pack_rgb(rig.target->format, 10, 12, 30));
    for (int y = 0; y < k_height; ++y)
        for (int x = 0; x < k_width; ++x)
            surface_set_pixel(*rig.depth, x, y, static_cast<uint32_t>(65535.0 * x / k_width));
    rig.states({{RenderState::cull_mode, CULL_NONE},
                {RenderState::alpha_blend_enable, 1},
                {RenderState::src_blend, BLEND_ONE},
                {RenderState::dest_blend, BLEND_ONE}});
    // Lines at every slope around a centre.
    for (int i = 0; i < 24; ++i) {
        const float a = 2 * std::numbers::pi_v<float> * i / 24;
        rig.draw(Primitive::line_strip, {vertex(40, 40, 0.5f, argb(255, 120, 60, 20)),
                                         vertex(40 + 35 * std::cos(a), 40 + 35 * std::sin(a), 0.5f,
                                                argb(255, 40, 160, 255))});
    }
    // Spark trails: five points each, fading.
    for (int t = 0; t < 6; ++t) {
        std::vector<TLVertex> trail;
        for (int k = 0; k < 5; ++k) {
            const float x = 90 + 10.0f * t + 3.0f * k, y = 20 + 8.0f * k + 0.7f * t * k;
            trail.push_back(vertex(x, y, 0.5f, argb(255, 250 - 45 * k, 200 - 40 * k, 80)));
        }
        rig.draw(Primitive::line_strip, trail);
    }
    // Sparkles against the depth ramp: those at depth 0.5 vanish where the ramp is nearer.
    rig.state(RenderState::z_enable, 1);
    std::vector<TLVertex> sparkles;
    for (int i = 0; i < 200; ++i) {
        const float x = 5 + (i * 37) % 150, y = 70 + (i * 13) % 45;
        sparkles.push_back(vertex(x, y, 0.5f, argb(255, 255, 220, 120), 0, 0, 0.5f));
    }
    rig.draw(Primitive::point_list, sparkles);
}

struct Scene {
    const char* name;
    void (*draw)(DeviceRig&);
    bool stencil; // needs the 24 + 8 depth format
};

const Scene k_scenes[] = {
    {"textured_lit", textured_lit, true},
    {"blending", blending, false},
    {"depth_stencil", depth_stencil, true},
    {"lines_points", lines_points, false},
};

TEST(Device3DGolden, ScenesAt32And16Bits) {
    for (const Scene& scene : k_scenes)
        for (const PixelFormat& format : {k_format_xrgb8888, k_format_rgb565}) {
            DeviceRig rig(format, scene.stencil ? k_format_z24s8 : k_format_z16, k_width, k_height);
            scene.draw(rig);
            const std::string name =
                std::string("device_") + scene.name + (format.bit_count == 32 ? "_32" : "_16");
            EXPECT_TRUE(matches_golden(name, surface_to_rgb(*rig.target)));
        }
}

} // namespace
