// The 3D device drawing what a busy frame of the game asks of it: thirteen characters of about
// 2,000 textured, Gouraud-lit, fogged triangles each, depth-tested against a depth picture and
// covering about a quarter of a 640x480 32-bit back buffer; and one full-screen blended quad (the
// shadow darkening pass, the subtitle panel).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

#include "platform/device3d.h"
#include "platform/display.h"

namespace {

constexpr int k_characters = 13;
constexpr int k_stacks = 26, k_slices = 40; // 2 * 40 * 25 = 2000 triangles

struct Scene {
    Display display;
    Driver3DPtr driver;
    SurfacePtr target, depth;
    std::vector<uint8_t> depth_picture;
    Device3DPtr device;
    TexturePtr texture;
    std::vector<std::vector<TLVertex>> characters;
};

// A 128x128 5-6-5 texture, as the game's character textures are made.
void make_texture(Scene& s) {
    texture_create(*s.device, 128, 128, k_texture_rgb565, s.texture);
    LockedRect lock;
    texture_lock(*s.texture, lock);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) {
            const uint32_t argb = 0xFF000000u | static_cast<uint32_t>(x * 2) << 16 |
                                  static_cast<uint32_t>(y * 2) << 8 |
                                  (((x / 8 + y / 8) % 2) ? 0xC0u : 0x40u);
            const auto texel = static_cast<uint16_t>(pack_argb(k_texture_rgb565, argb));
            std::memcpy(lock.bits + y * lock.pitch + 2 * x, &texel, 2);
        }
    texture_unlock(*s.texture);
}

// An upright ellipsoid around a screen point, lit from the upper left, with fog thickening
// towards its bottom: one triangle list, front faces counter-clockwise on screen.
std::vector<TLVertex> make_character(float cx, float cy, float z) {
    constexpr float rx = 27, ry = 70, rz = 0.02f;
    auto corner = [&](int stack, int slice) {
        const float theta = std::numbers::pi_v<float> * stack / (k_stacks - 1);
        const float phi = 2 * std::numbers::pi_v<float> * slice / k_slices;
        const float nx = std::sin(theta) * std::cos(phi), ny = std::cos(theta);
        const float nz = std::sin(theta) * std::sin(phi); // negative: towards the viewer
        TLVertex v;
        v.x = cx + rx * nx;
        v.y = cy - ry * ny;
        v.z = z + rz * nz;
        v.rhw = 1;
        const float light = std::max(0.0f, -0.5f * nx + 0.5f * ny - 0.7f * nz);
        const auto i = static_cast<uint32_t>(60 + 195 * std::min(light, 1.0f));
        v.diffuse = 0xFF000000u | i << 16 | i << 8 | (i * 3 / 4);
        const auto fog = static_cast<uint32_t>(255 - 80 * (1 - ny) / 2);
        v.specular = fog << 24;
        v.u = static_cast<float>(slice) / k_slices;
        v.v = static_cast<float>(stack) / (k_stacks - 1);
        return v;
    };
    std::vector<TLVertex> out;
    for (int st = 0; st + 1 < k_stacks; ++st)
        for (int sl = 0; sl < k_slices; ++sl) {
            const TLVertex a = corner(st, sl), b = corner(st, sl + 1);
            const TLVertex c = corner(st + 1, sl), d = corner(st + 1, sl + 1);
            for (const TLVertex& v : {a, c, b, b, c, d}) out.push_back(v);
        }
    return out;
}

Scene make_scene() {
    Scene s;
    display_create(s.display);
    driver3d_create(s.display, s.driver);
    s.target = make_system_surface(640, 480, k_format_xrgb8888);
    s.depth = make_system_surface(640, 480, k_format_z16);
    device_create(*s.driver, *s.target, s.device);
    device_attach_depth(*s.device, *s.depth);
    // A depth picture whose far wall recedes to the right: the characters on the left half
    // stand partly behind it.
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            const auto d =
                static_cast<uint16_t>(65535.0 * (0.2 + 0.25 * x / 640.0 + 0.1 * y / 480.0));
            std::memcpy(s.depth->row(y) + 2 * x, &d, 2);
        }
    s.depth_picture = s.depth->pixels;
    make_texture(s);
    for (int i = 0; i < k_characters; ++i) {
        const int row = i < 7 ? 0 : 1, col = i < 7 ? i : i - 7;
        const float x = 50 + col * 88.0f + row * 44, y = 120 + row * 230.0f;
        s.characters.push_back(make_character(x, y, 0.35f + 0.002f * i));
    }
    Device3D& d = *s.device;
    device_set_render_state(d, RenderState::z_enable, 1);
    device_set_render_state(d, RenderState::cull_mode, CULL_CW);
    device_set_render_state(d, RenderState::fog_enable, 1);
    device_set_render_state(d, RenderState::fog_color, 0x8090A0);
    device_set_texture_stage_state(d, 0, StageState::min_filter, TEXF_LINEAR);
    device_set_texture_stage_state(d, 0, StageState::mag_filter, TEXF_LINEAR);
    device_set_texture(d, 0, s.texture);
    return s;
}

void draw_characters(Scene& s) {
    device_begin_scene(*s.device);
    for (const auto& c : s.characters)
        device_draw_primitive(*s.device, Primitive::triangle_list, k_fvf_textured, c.data(),
                              static_cast<int>(c.size()));
    device_end_scene(*s.device);
}

void BM_ThirteenCharacters(benchmark::State& state) {
    Scene s = make_scene();
    for (auto _ : state) {
        state.PauseTiming();
        s.depth->pixels = s.depth_picture; // the frame starts from the scene's depth picture
        state.ResumeTiming();
        draw_characters(s);
        benchmark::DoNotOptimize(s.target->pixels.data());
    }
    // How much of the screen the characters cover, drawn without the depth picture.
    std::fill(s.target->pixels.begin(), s.target->pixels.end(), 0);
    std::fill(s.depth->pixels.begin(), s.depth->pixels.end(), 0xFF);
    draw_characters(s);
    int covered = 0;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) covered += surface_pixel(*s.target, x, y) != 0;
    state.counters["screen_covered"] = covered / (640.0 * 480.0);
    state.counters["triangles"] = static_cast<double>(k_characters * s.characters[0].size() / 3);
}
BENCHMARK(BM_ThirteenCharacters)->Unit(benchmark::kMillisecond);

void BM_FullScreenBlendedQuad(benchmark::State& state) {
    Scene s = make_scene();
    Device3D& d = *s.device;
    device_set_texture(d, 0, nullptr);
    device_set_render_state(d, RenderState::z_enable, 0);
    device_set_render_state(d, RenderState::fog_enable, 0);
    device_set_render_state(d, RenderState::alpha_blend_enable, 1);
    device_set_render_state(d, RenderState::src_blend, BLEND_SRCALPHA);
    device_set_render_state(d, RenderState::dest_blend, BLEND_INVSRCALPHA);
    TLVertex quad[4];
    const float corners[4][2] = {{0, 0}, {0, 480}, {640, 0}, {640, 480}};
    for (int i = 0; i < 4; ++i) {
        quad[i].x = corners[i][0];
        quad[i].y = corners[i][1];
        quad[i].rhw = 0.5f;
        quad[i].diffuse = 0x7F000000;
    }
    std::fill(s.target->pixels.begin(), s.target->pixels.end(), 0xC0);
    for (auto _ : state) {
        device_begin_scene(d);
        device_draw_primitive(d, Primitive::triangle_strip, k_fvf_textured, quad, 4);
        device_end_scene(d);
        benchmark::DoNotOptimize(s.target->pixels.data());
    }
}
BENCHMARK(BM_FullScreenBlendedQuad)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
