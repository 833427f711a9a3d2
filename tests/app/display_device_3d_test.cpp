// Display set-up with hardware acceleration: the 3D device, its depth formats and stencil, the
// fall-backs to 16 bits and to the software path, and every creation failure.
#include <gtest/gtest.h>

#include "app/game.h"
#include "platform/headless/headless_platform.h"
#include "tests/app/temp_dir.h"

namespace {

struct Machine {
    bool device_32 = true, device_16 = true, stencil = true;
    uint64_t video_memory = 64ull << 20;
};

struct Settings {
    int32_t true_colour = 1, stencil_shadows = 1, hardware = 1, ati = 0;
};

void prepare(Game& game, const Machine& m, const Settings& s) {
    headless::machine() = {};
    headless::Knobs& k = headless::machine().knobs;
    k.device_32_bits = m.device_32;
    k.device_16_bits = m.device_16;
    k.device_stencil = m.stencil;
    k.video_memory = m.video_memory;
    game.config.true_colour = s.true_colour;
    game.config.stencil_shadows = s.stencil_shadows;
    game.config.hardware_acceleration = s.hardware;
    game.config.ati_compat = s.ati;
}

TEST(DisplaySetUp3D, DeviceDepthAndStencilFollowTheMachineAndTheSettings) {
    struct Case {
        const char* what;
        Machine machine;
        Settings settings;
        int bpp, hardware, stencil_shadows, depth_bits;
        uint32_t depth_mask;
        int stencil_bits;
    } cases[] = {
        {"32 bits with a stencil", {}, {}, 32, 1, 4, 32, 0xFFFFFF00, 8},
        {"16 bits: no stencil format", {}, {0, 1}, 16, 1, 1, 16, 0xFFFF, 0},
        {"16 bits, 4 stored", {}, {0, 4}, 16, 1, 1, 16, 0xFFFF, 0},
        {"no stencil offered keeps 1", {true, true, false}, {1, 1}, 32, 1, 1, 16, 0xFFFF, 0},
        {"no stencil offered, 4 stored", {true, true, false}, {1, 4}, 32, 1, 1, 16, 0xFFFF, 0},
        {"shadows off", {}, {1, 0}, 32, 1, 0, 16, 0xFFFF, 0},
        {"no 32-bit device: 16 bits", {false, true, true}, {1, 1}, 16, 1, 1, 16, 0xFFFF, 0},
        {"no device at all: 16 bits tried too", {false, false, true}, {1, 1}, 16, 0, 1, 0, 0, 0},
        {"no device at 16 bits", {false, false, true}, {0, 4}, 16, 0, 4, 0, 0, 0},
        {"software chosen", {}, {1, 1, 0}, 32, 0, 1, 0, 0, 0},
    };
    for (const Case& c : cases) {
        Game game;
        prepare(game, c.machine, c.settings);
        ASSERT_EQ(create_display(game), 0) << c.what;
        const DisplayDevice& dev = game.display;
        EXPECT_EQ(dev.display_bpp, c.bpp) << c.what;
        EXPECT_EQ(game.config.hardware_acceleration, c.hardware) << c.what;
        EXPECT_EQ(game.config.stencil_shadows, c.stencil_shadows) << c.what;
        EXPECT_EQ(dev.depth_bits, c.depth_bits) << c.what;
        EXPECT_EQ(dev.depth_mask, c.depth_mask) << c.what;
        EXPECT_EQ(dev.stencil_bits, c.stencil_bits) << c.what;
        EXPECT_EQ(dev.stencil_mask, c.stencil_bits ? 0xFFu : 0u) << c.what;
        EXPECT_EQ(dev.device != nullptr, c.hardware == 1) << c.what;
        if (dev.device) {
            EXPECT_EQ(device_depth(*dev.device), dev.depth_buffer.get()) << c.what;
            EXPECT_EQ(dev.depth_buffer->format, dev.scene_depth_surface->format) << c.what;
            EXPECT_EQ(dev.depth_buffer->format, dev.spare_depth_surface->format) << c.what;
            EXPECT_EQ(dev.spare_depth_surface->memory, Memory::system) << c.what;
        }
        release_display(game);
    }
}

TEST(DisplaySetUp3D, FixedStatesAndSharedVertexBuffers) {
    Game game;
    prepare(game, {}, {});
    ASSERT_EQ(create_display(game), 0);
    const DisplayDevice& dev = game.display;
    const Device3D& d = *dev.device;
    EXPECT_EQ(device_render_state(d, RenderState::z_enable), 1u);
    EXPECT_EQ(device_render_state(d, RenderState::cull_mode), CULL_CW);
    EXPECT_EQ(device_render_state(d, RenderState::fog_color), 0xFFFFFFu);
    EXPECT_EQ(device_render_state(d, RenderState::dither_enable), 1u);
    EXPECT_EQ(device_render_state(d, RenderState::specular_enable), 0u);
    EXPECT_EQ(device_texture_stage_state(d, StageState::color_op), TOP_MODULATE);
    EXPECT_EQ(device_texture_stage_state(d, StageState::color_arg1), TA_TEXTURE);
    EXPECT_EQ(device_texture_stage_state(d, StageState::color_arg2), TA_DIFFUSE);
    EXPECT_EQ(device_texture_stage_state(d, StageState::min_filter), TEXF_LINEAR);
    EXPECT_EQ(device_texture_stage_state(d, StageState::mag_filter), TEXF_LINEAR);

    EXPECT_EQ(dev.sprite_vertex_buffer->capacity, 8192);
    EXPECT_EQ(dev.sprite_vertex_buffer->fvf, k_fvf_textured);
    EXPECT_EQ(dev.point_vertex_buffer->capacity, 8192);
    EXPECT_EQ(dev.point_vertex_buffer->fvf, k_fvf_position);
    ASSERT_EQ(dev.quad_vertex_buffer->capacity, 2048);
    const auto* quads = reinterpret_cast<const TLVertex*>(dev.quad_vertex_buffer->data.data());
    const float uv[4][2] = {{0.005f, 0.005f}, {0.005f, 0.995f}, {0.995f, 0.005f}, {0.995f, 0.995f}};
    for (int i : {0, 1, 2, 3, 2044, 2047}) {
        EXPECT_EQ(quads[i].rhw, 0.5f);
        EXPECT_EQ(quads[i].u, uv[i % 4][0]);
        EXPECT_EQ(quads[i].v, uv[i % 4][1]);
    }
    release_display(game);
}

TEST(DisplaySetUp3D, SceneDepthGoesToSystemMemoryWhenAskedOrShort) {
    struct Case {
        uint64_t video_memory;
        int32_t ati;
        Memory scene_depth;
    } cases[] = {
        {64ull << 20, 0, Memory::video},
        {64ull << 20, 1, Memory::system},
        // 16 bits: a chain of three 614,400-byte frames and the depth buffer fit, no more.
        {2'621'440, 0, Memory::system},
    };
    for (const Case& c : cases) {
        Game game;
        prepare(game, {true, true, true, c.video_memory}, {0, 0, 1, c.ati});
        ASSERT_EQ(create_display(game), 0);
        EXPECT_EQ(game.display.depth_buffer->memory, Memory::video);
        EXPECT_EQ(game.display.scene_depth_surface->memory, c.scene_depth) << c.video_memory;
        release_display(game);
    }
}

bool all_released(const DisplayDevice& dev) {
    return !dev.primary_surface && !dev.back_buffer && !dev.device && !dev.driver3d &&
           !dev.depth_buffer && !dev.scene_depth_surface && !dev.spare_depth_surface &&
           !dev.sprite_vertex_buffer && !dev.point_vertex_buffer && !dev.quad_vertex_buffer &&
           !dev.background_surface && !dev.background_copy && !dev.screen_copy &&
           !dev.background_pristine && !dev.thumbnail_surface && !dev.display.pool;
}

TEST(DisplaySetUp3D, EveryFailingStepShowsItsMessageAndReleasesWhatExisted) {
    struct Case {
        DisplayStep step;
        const char* message; // none: start-up ends without one
    } cases[] = {
        {DisplayStep::create_display, "DirectDrawCreateEx FAILED"},
        {DisplayStep::cooperative_level, "SetCooperativeLevel FAILED"},
        {DisplayStep::display_mode, "SetDisplayMode FAILED"},
        {DisplayStep::primary_surface, "CreateSurface FAILED"},
        {DisplayStep::back_buffer, "GetAttachedSurface FAILED"},
        {DisplayStep::query_3d, "QueryInterface D3D FAILED"},
        {DisplayStep::viewport, "Viewport init FAILED"},
        {DisplayStep::depth_buffer, "Z-buffer create FAILED"},
        {DisplayStep::scene_depth, "Z-buffer offscreen FAILED"},
        {DisplayStep::attach_depth, "Z-buffer Add FAILED"},
        {DisplayStep::spare_depth, "Z-buffer offscreen FAILED"},
        {DisplayStep::vertex_buffers, nullptr},
        {DisplayStep::stencil_depth_buffer, "Z-buffer create FAILED"},
        {DisplayStep::stencil_scene_depth, "Z-buffer off create FAILED"},
        {DisplayStep::stencil_attach, nullptr},
        {DisplayStep::stencil_spare_depth, "Z-buffer offscreen FAILED"},
        {DisplayStep::gamma, " Gamma QueryInterface FAILED"},
        {DisplayStep::thumbnail, "Surface create failed"},
    };
    for (const Case& c : cases) {
        Game game;
        prepare(game, {}, {});
        sys_create_window("Vantor");
        game.display.forced_failures = display_step_bit(c.step);
        EXPECT_EQ(create_display(game), k_generic_failure) << static_cast<int>(c.step);
        const auto& boxes = headless::machine().message_boxes;
        if (c.message) {
            ASSERT_EQ(boxes.size(), 1u) << c.message;
            EXPECT_EQ(boxes[0], c.message);
        } else {
            EXPECT_TRUE(boxes.empty()) << static_cast<int>(c.step);
        }
        EXPECT_TRUE(all_released(game.display)) << static_cast<int>(c.step);
        EXPECT_FALSE(headless::machine().window_exists) << static_cast<int>(c.step);
    }
}

TEST(DisplaySetUp3D, ADeviceThatCannotBeMadeLeadsToTheSoftwarePath) {
    Game game;
    prepare(game, {}, {});
    game.display.forced_failures = display_step_bit(DisplayStep::create_device);
    ASSERT_EQ(create_display(game), 0);
    EXPECT_TRUE(headless::machine().message_boxes.empty());
    EXPECT_EQ(game.config.hardware_acceleration, 0);
    EXPECT_EQ(game.display.display_bpp, 16) << "the 32-bit attempt failed first";
    EXPECT_FALSE(game.display.device);
    EXPECT_FALSE(game.display.depth_buffer);
    EXPECT_TRUE(game.display.thumbnail_surface);
    release_display(game);
}

TEST(DisplaySetUp3D, ProgramReturnsZeroAfterAFailureAndWritesTheSoftwarePathIntoTheSettings) {
    // One step that shows its message and one that ends start-up without.
    for (DisplayStep step : {DisplayStep::depth_buffer, DisplayStep::vertex_buffers}) {
        TempWorkDir dir;
        Game game;
        prepare(game, {}, {});
        game.display.forced_failures = display_step_bit(step);
        EXPECT_EQ(app_main(game), 0);
        const auto& boxes = headless::machine().message_boxes;
        if (step == DisplayStep::depth_buffer) {
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(boxes[0], "Z-buffer create FAILED");
        } else {
            EXPECT_TRUE(boxes.empty());
        }
        EXPECT_TRUE(all_released(game.display));
    }
    {
        TempWorkDir dir;
        Game game;
        prepare(game, {false, false, true}, {});
        // The options dialog of the first start is answered with OK; then quit at once.
        headless::machine().pump = [](headless::PumpPoint point) {
            if (point == headless::PumpPoint::poll) sys_post_message({MessageKind::quit, 0});
        };
        EXPECT_EQ(app_main(game), 0);
        GameConfig stored;
        read_config(stored);
        EXPECT_EQ(stored.hardware_acceleration, 0);
        release_display(game);
    }
}

} // namespace
