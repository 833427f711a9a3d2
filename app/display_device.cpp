#include "app/display_device.h"

#include <cstdio>

#include "app/game.h"
#include "platform/system.h"
#include "platform/text.h"
#include "render/quad_batch.h"

namespace {

constexpr uint64_t k_min_video_memory_32 = 2097152;
// Below this, 32 bits get one back buffer. The figure is the game's own (not 4 MiB).
constexpr uint64_t k_min_video_memory_triple_32 = 4097152;
constexpr int k_width = 640, k_height = 480;

bool forced(const DisplayDevice& dev, DisplayStep step) {
    return (dev.forced_failures & display_step_bit(step)) != 0;
}

Result set_mode(DisplayDevice& dev, int bpp) {
    if (forced(dev, DisplayStep::display_mode)) return Result::failed;
    return display_set_mode(dev.display, k_width, k_height, bpp);
}

Result create_flip_chain(DisplayDevice& dev, int back_buffers) {
    auto create = [&](int count, bool video) {
        dev.back_buffer_count = count;
        if (forced(dev, DisplayStep::primary_surface)) return Result::failed;
        return display_create_primary(dev.display, count, video, dev.primary_surface);
    };
    Result r = create(back_buffers, true);
    if (r == Result::ok) return r;
    r = create(1, true);
    if (r == Result::ok) return r;
    return create(1, false);
}

SurfacePtr create_offscreen(DisplayDevice& dev, int width, int height, Memory memory) {
    SurfacePtr s;
    display_create_surface(dev.display, {width, height, {}, memory}, s);
    return s;
}

// A 640x480 depth surface; none when the step is forced to fail, the driver had no such format
// or the memory is not there.
SurfacePtr create_depth(DisplayDevice& dev, const PixelFormat& format, Memory memory,
                        DisplayStep step) {
    SurfacePtr s;
    if (!forced(dev, step) && is_depth_format(format))
        display_create_surface(dev.display, {k_width, k_height, format, memory}, s);
    return s;
}

// A failure that the game never reported: start-up ends without a message, leaving nothing
// behind.
int end_silently(Game& game) {
    release_display(game);
    sys_destroy_window();
    return k_generic_failure;
}

// The display mode: 32 bits when the true-colour option asks for them and the machine has them
// and enough video memory; else 16 bits.
int switch_to_16_bits(Game& game) {
    DisplayDevice& dev = game.display;
    dev.display_bpp = 16;
    if (set_mode(dev, 16) != Result::ok)
        return report_fatal(game, k_generic_failure, "SetDisplayMode FAILED");
    return 0;
}

int choose_mode(Game& game) {
    DisplayDevice& dev = game.display;
    dev.display_bpp = 32;
    bool have_32 = false;
    if (game.config.true_colour) have_32 = set_mode(dev, 32) == Result::ok;
    dev.video_memory_total = display_video_memory_total(dev.display);
    if (!have_32 || dev.video_memory_total < k_min_video_memory_32) return switch_to_16_bits(game);
    return 0;
}

// The flip chain and its back buffer.
int create_chain(Game& game) {
    DisplayDevice& dev = game.display;
    int back_buffers = game.config.triple_buffer ? 2 : 1;
    if (dev.video_memory_total < k_min_video_memory_triple_32 && dev.display_bpp == 32)
        back_buffers = 1;
    if (create_flip_chain(dev, back_buffers) != Result::ok)
        return report_fatal(game, k_generic_failure, "CreateSurface FAILED");
    if (!forced(dev, DisplayStep::back_buffer))
        dev.back_buffer = surface_back_buffer(*dev.primary_surface);
    if (dev.back_buffer == nullptr)
        return report_fatal(game, k_generic_failure, "GetAttachedSurface FAILED");
    return 0;
}

const PixelFormat* first_zbuffer_format(const Driver3D& driver, bool stencil, int display_bpp) {
    for (const PixelFormat& f : driver.zbuffer_formats) {
        if (!stencil && f.flags == PF_ZBUFFER) return &f;
        // A stencil format only on a 32-bit display, whole words of 32 bits with 8 stencil bits.
        if (stencil &&
            (f.flags & (PF_ZBUFFER | PF_STENCIL_BUFFER)) == (PF_ZBUFFER | PF_STENCIL_BUFFER) &&
            f.stencil_bits == 8 && display_bpp == 32 && f.bit_count >= 32)
            return &f;
    }
    return nullptr;
}

// The depth buffer and the scene's depth surface in `format`: the one in video memory, the
// other there too unless the "Ati Radeon compatibility" option asks for system memory, and in
// system memory when video memory is short.
int create_depth_pair(Game& game, const PixelFormat& format, DisplayStep buffer_step,
                      DisplayStep scene_step, const char* scene_message) {
    DisplayDevice& dev = game.display;
    dev.depth_buffer = create_depth(dev, format, Memory::video, buffer_step);
    if (!dev.depth_buffer) return report_fatal(game, k_generic_failure, "Z-buffer create FAILED");
    const Memory memory = game.config.ati_compat ? Memory::system : Memory::video;
    dev.scene_depth_surface = create_depth(dev, format, memory, scene_step);
    if (!dev.scene_depth_surface)
        dev.scene_depth_surface = create_depth(dev, format, Memory::system, scene_step);
    if (!dev.scene_depth_surface) return report_fatal(game, k_generic_failure, scene_message);
    return 0;
}

int attach_depth(Game& game, DisplayStep step) {
    DisplayDevice& dev = game.display;
    if (forced(dev, step) || device_attach_depth(*dev.device, *dev.depth_buffer) != Result::ok)
        return step == DisplayStep::stencil_attach
                   ? end_silently(game)
                   : report_fatal(game, k_generic_failure, "Z-buffer Add FAILED");
    return 0;
}

int create_spare_depth(Game& game, const PixelFormat& format, DisplayStep step) {
    DisplayDevice& dev = game.display;
    dev.spare_depth_surface = create_depth(dev, format, Memory::system, step);
    if (!dev.spare_depth_surface)
        return report_fatal(game, k_generic_failure, "Z-buffer offscreen FAILED");
    return 0;
}

// The depth buffer without stencil, the scene's depth surfaces, the render target.
int create_depth_buffers(Game& game) {
    DisplayDevice& dev = game.display;
    const PixelFormat* format = first_zbuffer_format(*dev.driver3d, false, dev.display_bpp);
    const PixelFormat f = format ? *format : PixelFormat{};
    if (int code = create_depth_pair(game, f, DisplayStep::depth_buffer, DisplayStep::scene_depth,
                                     "Z-buffer offscreen FAILED"))
        return code;
    if (int code = attach_depth(game, DisplayStep::attach_depth)) return code;
    if (int code = create_spare_depth(game, f, DisplayStep::spare_depth)) return code;
    device_set_render_target(*dev.device, *dev.back_buffer);
    return 0;
}

// A depth buffer with a stencil when the device has one and shadows are wanted.
int create_stencil_buffer(Game& game) {
    DisplayDevice& dev = game.display;
    if (dev.device_caps.stencil_caps == 0 || game.config.stencil_shadows == 0) return 0;
    device_detach_depth(*dev.device);
    PixelFormat format = dev.depth_buffer->format;
    if (const PixelFormat* f = first_zbuffer_format(*dev.driver3d, true, dev.display_bpp))
        format = *f;
    dev.depth_buffer.reset();
    dev.scene_depth_surface.reset();
    if (int code =
            create_depth_pair(game, format, DisplayStep::stencil_depth_buffer,
                              DisplayStep::stencil_scene_depth, "Z-buffer off create FAILED"))
        return code;
    if (int code = attach_depth(game, DisplayStep::stencil_attach)) return code;
    dev.spare_depth_surface.reset();
    if (int code = create_spare_depth(game, format, DisplayStep::stencil_spare_depth)) return code;
    device_set_render_target(*dev.device, *dev.back_buffer);
    game.config.stencil_shadows = 4;
    return 0;
}

void read_depth_format(DisplayDevice& dev, const PixelFormat& f) {
    dev.depth_bits = static_cast<int>(f.bit_count);
    dev.depth_mask = f.z_mask;
    dev.stencil_mask = f.stencil_mask;
    dev.stencil_bits = static_cast<int>(f.stencil_bits);
}

// A 16-bit depth buffer cannot hold a stencil; it is made again as at first and
// the option records that shadows are wanted without one.
int settle_stencil(Game& game) {
    DisplayDevice& dev = game.display;
    read_depth_format(dev, dev.depth_buffer->format);
    if (dev.depth_bits <= 16 && game.config.stencil_shadows == 4) {
        dev.scene_depth_surface.reset();
        device_detach_depth(*dev.device);
        dev.depth_buffer.reset();
        const PixelFormat* format = first_zbuffer_format(*dev.driver3d, false, dev.display_bpp);
        const PixelFormat f = format ? *format : PixelFormat{};
        if (int code = create_depth_pair(game, f, DisplayStep::depth_buffer,
                                         DisplayStep::scene_depth, "Z-buffer offscreen FAILED"))
            return code;
        if (int code = attach_depth(game, DisplayStep::attach_depth)) return code;
        read_depth_format(dev, dev.scene_depth_surface->format);
        device_set_render_target(*dev.device, *dev.back_buffer);
    }
    if (game.config.stencil_shadows == 4 && dev.stencil_bits == 0) game.config.stencil_shadows = 1;
    return 0;
}

// Everything the device needs once it exists: viewport, depth, states, vertex buffers, stencil.
int set_up_device(Game& game) {
    DisplayDevice& dev = game.display;
    Device3D& device = *dev.device;
    if (forced(dev, DisplayStep::viewport) ||
        device_set_viewport(device, {0, 0, k_width, k_height, 0.0f, 1.0f}) != Result::ok)
        return report_fatal(game, k_generic_failure, "Viewport init FAILED");
    dev.device_caps = device_caps(device);
    if (int code = create_depth_buffers(game)) return code;
    set_fixed_render_states(dev);
    if (forced(dev, DisplayStep::vertex_buffers) || !create_vertex_buffers(dev))
        return end_silently(game);
    if (int code = create_stencil_buffer(game)) return code;
    return settle_stencil(game);
}

// The 3D device on the back buffer. A device that cannot render at 32 bits sends the
// display to 16 bits and round again; at 16 bits the game goes on without hardware drawing.
enum class DeviceOutcome {
    ready,
    retry_at_16_bits,
    without_device,
};

DeviceOutcome create_device(DisplayDevice& dev) {
    if (!forced(dev, DisplayStep::create_device) &&
        device_create(*dev.driver3d, *dev.back_buffer, dev.device) == Result::ok)
        return DeviceOutcome::ready;
    return dev.display_bpp == 32 ? DeviceOutcome::retry_at_16_bits : DeviceOutcome::without_device;
}

// The offscreen surfaces, the mode's facts, gamma and the thumbnail.
int create_offscreen_surfaces(Game& game) {
    DisplayDevice& dev = game.display;
    dev.background_surface = create_offscreen(dev, k_width, k_height, Memory::video);
    if (!dev.background_surface)
        dev.background_surface = create_offscreen(dev, k_width, k_height, Memory::anywhere);
    dev.background_copy = create_offscreen(dev, k_width, k_height, Memory::system);
    dev.screen_copy = create_offscreen(dev, k_width, k_height, Memory::system);
    dev.background_pristine = create_offscreen(dev, k_width, k_height, Memory::system);

    const PixelFormat& mode = dev.display.mode_format;
    dev.display_bpp = static_cast<int>(mode.bit_count);
    if (dev.display_bpp == 16)
        dev.display_bpp = (mode.r_mask + mode.g_mask + mode.b_mask) == 0xFFFF ? 16 : 15;

    dev.gamma_control = dev.primary_surface != nullptr && !forced(dev, DisplayStep::gamma);
    if (!dev.gamma_control)
        return report_fatal(game, k_generic_failure, " Gamma QueryInterface FAILED");

    if (!forced(dev, DisplayStep::thumbnail))
        dev.thumbnail_surface = create_offscreen(dev, 160, 120, Memory::anywhere);
    if (!dev.thumbnail_surface)
        return report_fatal(game, k_generic_failure, "Surface create failed");
    return 0;
}

} // namespace

int report_fatal(Game& game, int code, const char* message) {
    char text[128];
    std::snprintf(text, sizeof text, "%s", message);
    release_display(game);
    sys_message_box(text, "Vantor", MessageBoxIcon::none);
    sys_destroy_window();
    return code;
}

void set_fixed_render_states(DisplayDevice& dev) {
    Device3D& d = *dev.device;
    device_set_render_state(d, RenderState::z_enable, 1);
    device_set_render_state(d, RenderState::dither_enable, 1);
    device_set_render_state(d, RenderState::specular_enable, 0);
    device_set_render_state(d, RenderState::texture_perspective, 1);
    device_set_render_state(d, RenderState::cull_mode, CULL_CW);
    device_set_render_state(d, RenderState::clipping, 0);
    device_set_render_state(d, RenderState::lighting, 0);
    device_set_render_state(d, RenderState::extents, 0);
    device_set_render_state(d, RenderState::fog_color, 0xFFFFFF);
    device_set_texture_stage_state(d, 0, StageState::color_arg1, TA_TEXTURE);
    device_set_texture_stage_state(d, 0, StageState::color_arg2, TA_DIFFUSE);
    device_set_texture_stage_state(d, 0, StageState::color_op, TOP_MODULATE);
    device_set_texture_stage_state(d, 0, StageState::min_filter, TEXF_LINEAR);
    device_set_texture_stage_state(d, 0, StageState::mag_filter, TEXF_LINEAR);
}

bool create_vertex_buffers(DisplayDevice& dev) {
    dev.sprite_vertex_buffer.reset();
    dev.point_vertex_buffer.reset();
    dev.quad_vertex_buffer.reset();
    if (vertex_buffer_create(k_fvf_textured, k_sprite_vertices, dev.sprite_vertex_buffer) !=
            Result::ok ||
        vertex_buffer_create(k_fvf_position, k_point_vertices, dev.point_vertex_buffer) !=
            Result::ok ||
        vertex_buffer_create(k_fvf_textured, k_quad_vertices, dev.quad_vertex_buffer) != Result::ok)
        return false;
    // The quads' corners keep their texture coordinates; positions and colours are written by
    // whoever draws them.
    return prepare_quad_buffer(*dev.quad_vertex_buffer);
}

int create_display(Game& game) {
    DisplayDevice& dev = game.display;
    GameConfig& config = game.config;

    if (forced(dev, DisplayStep::create_display) || display_create(dev.display) != Result::ok)
        return report_fatal(game, k_generic_failure, "DirectDrawCreateEx FAILED");
    if (forced(dev, DisplayStep::cooperative_level) ||
        display_set_exclusive(dev.display) != Result::ok)
        return report_fatal(game, k_generic_failure, "SetCooperativeLevel FAILED");
    if (int code = choose_mode(game)) return code;

    for (;;) {
        if (int code = create_chain(game)) return code;
        if (!config.hardware_acceleration) break;
        if (!dev.driver3d && (forced(dev, DisplayStep::query_3d) ||
                              driver3d_create(dev.display, dev.driver3d) != Result::ok))
            return report_fatal(game, k_generic_failure, "QueryInterface D3D FAILED");
        const DeviceOutcome outcome = create_device(dev);
        if (outcome == DeviceOutcome::ready) {
            if (int code = set_up_device(game)) return code;
            break;
        }
        if (outcome == DeviceOutcome::retry_at_16_bits) {
            dev.back_buffer = nullptr;
            dev.primary_surface.reset();
            if (int code = switch_to_16_bits(game)) return code;
            continue;
        }
        config.hardware_acceleration = 0;
        dev.driver3d.reset();
        break;
    }
    return create_offscreen_surfaces(game);
}

void release_display(Game& game) {
    DisplayDevice& dev = game.display;
    font_close(game.app.ui_font);
    game.app.ui_font = nullptr;
    dev.driver3d.reset();
    dev.back_buffer = nullptr;
    dev.primary_surface.reset();
    dev.device.reset();
    // A film still playing goes before the surfaces and the sound device it uses.
    game.video.handle.reset();
    game.video.video_surface.reset();
    stop_music(game.music);
    dev.sprite_vertex_buffer.reset();
    dev.point_vertex_buffer.reset();
    dev.quad_vertex_buffer.reset();
    dev.depth_buffer.reset();
    dev.scene_depth_surface.reset();
    dev.spare_depth_surface.reset();
    dev.thumbnail_surface.reset();
    dev.background_pristine.reset();
    dev.screen_copy.reset();
    dev.background_copy.reset();
    dev.background_surface.reset();
    dev.gamma_control = false;
    dev.display = Display{};
    stop_sound_device(game.sound);
}
