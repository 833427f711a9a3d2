#include "render_harness.h"

#include <cmath>
#include <cstring>

#include "app/dirty_rects.h"
#include "app/smoothing.h"
#include "platform/headless/headless_platform.h"
#include "render/shadows.h"
#include "resources/scene_background.h"
#include "test_hero.h"

namespace {

constexpr float k_floor_y = 0.0f;

PixelFormat target_format(int bpp) {
    return bpp == 32 ? k_format_xrgb8888 : bpp == 16 ? k_format_rgb565 : k_format_rgb555;
}

// The scene camera through the description writer and reader.
void describe_scene(SceneCamera& camera, Lighting& lighting, Random& random) {
    SceneDescriptionSource s;
    s.eye = {0, -1000, 400}; // file coordinates: x, depth, up
    s.target = {0, 0, 0};
    s.angle = 30;
    s.factor = 1;
    s.scale = 0.1f;
    s.ambient = {70, 70, 70};
    s.point_lights.push_back({{-300, -200, 300}, 0.002f, 255, 230, 200});
    s.spot_lights.push_back({1, {300, -300, 500}, {0, 0, 0}, 25, 60, 60, 120});
    const std::string text = encode_scene_description(s);
    FireTable fires{};
    apply_scene_description(text, {camera, lighting, fires, random});
}

uint32_t floor_colour(int x, int y) {
    const bool check = ((x / 32) + (y / 24)) % 2 == 0;
    const uint32_t g = check ? 150 : 120;
    return (g << 16) | ((g - 20) << 8) | (g - 50);
}

} // namespace

RenderHarness::RenderHarness(const HarnessOptions& o) : options(o) {
    headless::machine() = {};
    display_create(display);
    driver3d_create(display, driver);
    back_buffer = make_system_surface(640, 480, target_format(o.bpp));
    work = make_system_surface(640, 480, target_format(o.bpp));
    if (o.path == DrawPath::device) {
        depth = make_system_surface(640, 480, o.stencil ? k_format_z24s8 : k_format_z16);
        device_create(*driver, *back_buffer, device);
        device_attach_depth(*device, *depth);
        // The fixed states every game frame starts from.
        Device3D& d = *device;
        device_set_render_state(d, RenderState::z_enable, 1);
        device_set_render_state(d, RenderState::dither_enable, 1);
        device_set_render_state(d, RenderState::cull_mode, CULL_CW);
        device_set_render_state(d, RenderState::fog_color, 0xFFFFFF);
        device_set_texture_stage_state(d, 0, StageState::color_arg1, TA_TEXTURE);
        device_set_texture_stage_state(d, 0, StageState::color_arg2, TA_DIFFUSE);
        device_set_texture_stage_state(d, 0, StageState::color_op, TOP_MODULATE);
        device_set_texture_stage_state(d, 0, StageState::min_filter, TEXF_LINEAR);
        device_set_texture_stage_state(d, 0, StageState::mag_filter, TEXF_LINEAR);
    }
    describe_scene(camera, lighting, random);
    // Depth pictures and walk map of the floor and the pillar; the picture above the horizon is
    // sky without floor.
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) {
            const size_t i = size_t(y) * 640 + size_t(x);
            const Vec3 p0 =
                unproject(camera.view_matrix, camera.projection_matrix, float(x), float(y), 0);
            const Vec3 p1 =
                unproject(camera.view_matrix, camera.projection_matrix, float(x), float(y), 1);
            const float d = (k_floor_y - k_unproject_lift - p0.y) / (p1.y - p0.y);
            scene.scene_depth_float[i] = d;
            const float z = project_point(camera.view_projection, floor_point(x, y)).z;
            scene.scene_depth16[i] = uint16_t(std::clamp(z * 65535.0f, 0.0f, 65535.0f));
            uint32_t colour = floor_colour(x, y);
            if (x >= k_pillar_left && x <= k_pillar_right && y >= k_pillar_top &&
                y <= k_pillar_bottom) {
                // The pillar stands at the depth of its foot.
                const float foot =
                    project_point(camera.view_projection, floor_point(x, k_pillar_bottom)).z;
                scene.scene_depth16[i] = uint16_t(std::clamp(foot * 65535.0f, 0.0f, 65535.0f));
                colour = 0x00805030 + uint32_t((x - k_pillar_left) * 2);
            }
            std::memcpy(scene.scene_picture_work.data() + i * 4, &colour, 4);
        }
    }
    for (int cy = 0; cy < 240; ++cy)
        for (int cx = 0; cx < 320; ++cx) {
            const bool pillar_foot = cx * 2 >= k_pillar_left && cx * 2 <= k_pillar_right &&
                                     cy * 2 >= k_pillar_bottom - 20 && cy * 2 <= k_pillar_bottom;
            scene.scene_walk_map[size_t(cy) * 320 + size_t(cx)] = pillar_foot ? 255 : 0;
        }
    scene.scene_picture_rgb32 = scene.scene_picture_work;
    draw->scene_depth16_copy = scene.scene_depth16;
    convert_scene_picture(scene.scene_picture_work, o.bpp, nullptr, scene.scene_picture_16);
    // Materials: one textured material for the hero, and the blob texture.
    setup_hero_materials(*materials, device.get(), textures);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            const float r = std::hypot(float(x - 128), float(y - 128)) / 128.0f;
            blob_soft->indices[size_t(y) * 256 + size_t(x)] =
                uint8_t(std::clamp(255.0f * (1 - r), 0.0f, 255.0f));
        }
    for (int i = 0; i < 256; ++i)
        for (int c = 0; c < 3; ++c) blob_soft->palette[i][c] = uint16_t(i * 257 / 2);
    draw->shadows.blob_soft_texture = blob_soft.get();
    if (device != nullptr) {
        texture_create(*device, 256, 256, k_texture_xrgb8888, blob_texture);
        LockedRect lock;
        texture_lock(*blob_texture, lock);
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x) {
                const uint32_t v = blob_soft->indices[size_t(y) * 256 + size_t(x)];
                const uint32_t px = (v << 16) | (v << 8) | v;
                std::memcpy(lock.bits + y * lock.pitch + x * 4, &px, 4);
            }
        texture_unlock(*blob_texture);
        draw->shadows.blob_texture = blob_texture;
    }
    draw->shadows.shadow_lights[0] = {-30, -60, 20};
    draw->shadows.shadow_light_count = 1;
}

RenderHarness::~RenderHarness() {
    if (device != nullptr) device_set_texture(*device, 0, nullptr);
}

Vec3 RenderHarness::floor_point(int x, int y) const {
    return unproject_pixel(camera.view_matrix, camera.projection_matrix, scene.scene_depth_float, x,
                           y);
}

Actor& RenderHarness::place_hero(int slot, int x, int y, float heading) {
    Actor& a = actors->actors[size_t(slot)];
    setup_hero(a, 0, options.path == DrawPath::software);
    a.position = floor_point(x, y);
    a.heading = heading;
    return a;
}

void RenderHarness::frame() {
    const int passes = options.path == DrawPath::software ? 2 : 1;
    for (int pass = 0; pass < passes; ++pass) {
        begin_pass();
        draw_pass(pass + 1 == passes);
    }
}

void RenderHarness::begin_pass() {
    // The picture in the display format, and the scene depth for the device.
    LockedRect lock;
    surface_lock(*back_buffer, lock);
    // Row by row, as the game's picture copy does.
    for (int y = 0; y < 480; ++y) {
        const size_t i = size_t(y) * 640;
        if (options.bpp == 32)
            std::memcpy(lock.bits + y * lock.pitch, scene.scene_picture_work.data() + i * 4,
                        640 * 4);
        else
            std::memcpy(lock.bits + y * lock.pitch, &scene.scene_picture_16[i], 640 * 2);
    }
    surface_unlock(*back_buffer);
    if (device != nullptr)
        write_depth_surface(*depth, scene.scene_depth16, options.stencil ? 32 : 16,
                            options.stencil ? 0xFFFFFF00u : 0xFFFFu);
}

void RenderHarness::draw_pass(bool smooth) {
    RenderContext ctx{options.settings, camera, lighting, *materials, *draw};
    LockedRect lock;
    if (device != nullptr) {
        ctx.device = device.get();
        ctx.textures = &textures;
        ctx.stencil_bits = options.stencil ? 8 : 0;
        device_begin_scene(*device);
    } else {
        surface_lock(*back_buffer, lock);
        const DirtyBuffers buffers{scene.scene_picture_rgb32, scene.scene_picture_work,
                                   scene.scene_depth16, draw->scene_depth16_copy};
        present_dirty_rects(draw->dirty_rects, buffers, lock.bits, lock.pitch, options.bpp);
        restore_dirty_rects(draw->dirty_rects, buffers);
        ctx.soft = {lock.bits, lock.pitch, options.bpp, scene.scene_depth16,
                    scene.scene_picture_rgb32};
    }
    for (Actor& a : actors->actors) actor_draw(ctx, a);
    if (device != nullptr && options.stencil && options.settings.stencil_shadows == 4)
        draw_shadow_darkening(*device);
    if (effects) effects(ctx);
    if (device != nullptr) {
        device_end_scene(*device);
    } else {
        surface_unlock(*back_buffer);
    }
    const SmoothReference ref{scene.scene_picture_work, scene.scene_picture_16};
    if (smooth)
        smooth_outlines(draw->smooth_rects, options.settings.smoothing, options.bpp, *back_buffer,
                        *work, ref);
    else
        draw->smooth_rects = {};
}
