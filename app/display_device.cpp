#include "app/display_device.h"

#include <cstdio>

#include "app/game.h"
#include "platform/system.h"
#include "platform/text.h"

namespace {

constexpr uint64_t k_min_video_memory_32 = 2097152;
// Below this, 32 bits get one back buffer. The figure is the game's own (not 4 MiB).
constexpr uint64_t k_min_video_memory_triple_32 = 4097152;

Result create_flip_chain(DisplayDevice& dev, int back_buffers) {
    dev.back_buffer_count = back_buffers;
    Result r = display_create_primary(dev.display, back_buffers, true, dev.primary_surface);
    if (r == Result::ok) return r;
    dev.back_buffer_count = 1;
    r = display_create_primary(dev.display, 1, true, dev.primary_surface);
    if (r == Result::ok) return r;
    return display_create_primary(dev.display, 1, false, dev.primary_surface);
}

SurfacePtr create_offscreen(DisplayDevice& dev, int width, int height, Memory memory) {
    SurfacePtr s;
    display_create_surface(dev.display, {width, height, {}, memory}, s);
    return s;
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

int create_display(Game& game) {
    DisplayDevice& dev = game.display;
    GameConfig& config = game.config;

    if (display_create(dev.display) != Result::ok)
        return report_fatal(game, k_generic_failure, "DirectDrawCreateEx FAILED");
    if (display_set_exclusive(dev.display) != Result::ok)
        return report_fatal(game, k_generic_failure, "SetCooperativeLevel FAILED");

    dev.display_bpp = 32;
    bool have_32 = false;
    if (config.true_colour) have_32 = display_set_mode(dev.display, 640, 480, 32) == Result::ok;
    dev.video_memory_total = display_video_memory_total(dev.display);
    if (!have_32 || dev.video_memory_total < k_min_video_memory_32) {
        dev.display_bpp = 16;
        if (display_set_mode(dev.display, 640, 480, 16) != Result::ok)
            return report_fatal(game, k_generic_failure, "SetDisplayMode FAILED");
    }

    int back_buffers = config.triple_buffer ? 2 : 1;
    if (dev.video_memory_total < k_min_video_memory_triple_32 && dev.display_bpp == 32)
        back_buffers = 1;
    if (create_flip_chain(dev, back_buffers) != Result::ok)
        return report_fatal(game, k_generic_failure, "CreateSurface FAILED");
    dev.back_buffer = surface_back_buffer(*dev.primary_surface);
    if (dev.back_buffer == nullptr)
        return report_fatal(game, k_generic_failure, "GetAttachedSurface FAILED");

    // The 3D device, its depth buffers and its vertex buffers come here when hardware drawing is
    // chosen; the software path needs none of them.

    dev.background_surface = create_offscreen(dev, 640, 480, Memory::video);
    if (!dev.background_surface)
        dev.background_surface = create_offscreen(dev, 640, 480, Memory::anywhere);
    dev.background_copy = create_offscreen(dev, 640, 480, Memory::system);
    dev.screen_copy = create_offscreen(dev, 640, 480, Memory::system);
    dev.background_pristine = create_offscreen(dev, 640, 480, Memory::system);

    const PixelFormat& mode = dev.display.mode_format;
    dev.display_bpp = static_cast<int>(mode.bit_count);
    if (dev.display_bpp == 16)
        dev.display_bpp = (mode.r_mask + mode.g_mask + mode.b_mask) == 0xFFFF ? 16 : 15;

    dev.gamma_control = dev.primary_surface != nullptr;
    if (!dev.gamma_control)
        return report_fatal(game, k_generic_failure, " Gamma QueryInterface FAILED");

    dev.thumbnail_surface = create_offscreen(dev, 160, 120, Memory::anywhere);
    if (!dev.thumbnail_surface)
        return report_fatal(game, k_generic_failure, "Surface create failed");
    return 0;
}

void release_display(Game& game) {
    DisplayDevice& dev = game.display;
    font_close(game.app.ui_font);
    game.app.ui_font = nullptr;
    dev.back_buffer = nullptr;
    dev.primary_surface.reset();
    dev.thumbnail_surface.reset();
    dev.background_pristine.reset();
    dev.screen_copy.reset();
    dev.background_copy.reset();
    dev.background_surface.reset();
    dev.gamma_control = false;
    dev.display = Display{};
}
