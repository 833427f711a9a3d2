// The display objects created once at start-up and released at exit: the display mode, the flip
// chain, the 3D device with its depth surfaces and shared vertex buffers, the offscreen surfaces
// the game composes with, and the facts the renderer reads.
#pragma once

#include <cstdint>

#include "platform/device3d.h"
#include "platform/display.h"

struct Game;

// The creation steps, for the fault-injection hook of DisplayDevice.
enum class DisplayStep : uint32_t {
    create_display,
    cooperative_level,
    display_mode, // every mode change fails
    primary_surface,
    back_buffer,
    query_3d,
    create_device, // at every colour depth
    viewport,
    depth_buffer,
    scene_depth, // in video and in system memory
    attach_depth,
    spare_depth,
    vertex_buffers,
    stencil_depth_buffer,
    stencil_scene_depth,
    stencil_attach,
    stencil_spare_depth,
    gamma,
    thumbnail,
};

struct DisplayDevice {
    Display display; // the display object itself
    SurfacePtr primary_surface;
    Surface* back_buffer = nullptr; // owned by primary_surface
    SurfacePtr background_surface;
    SurfacePtr background_copy, screen_copy, background_pristine;
    SurfacePtr thumbnail_surface;
    bool gamma_control = false;

    // Hardware acceleration only: the 3D driver, and the device rendering into back_buffer.
    Driver3DPtr driver3d;
    Device3DPtr device;
    DeviceCaps device_caps;
    SurfacePtr depth_buffer;              // attached to the back buffer
    SurfacePtr scene_depth_surface;       // the scene's depth picture, in the depth buffer's format
    SurfacePtr spare_depth_surface;       // its copy in system memory, to restore it from
    VertexBufferPtr sprite_vertex_buffer; // 8192 full vertices
    VertexBufferPtr point_vertex_buffer;  // 8192 positions
    VertexBufferPtr quad_vertex_buffer;   // 2048 full vertices: 512 quads

    int display_bpp = 0; // 32, 16 (5-6-5) or 15 (5-5-5)
    int back_buffer_count = 0;
    uint64_t video_memory_total = 0;
    int depth_bits = 0;      // the depth buffer's whole word: 16 or 32
    uint32_t depth_mask = 0; // where its depth value lies
    int stencil_bits = 0;    // 0 or 8
    uint32_t stencil_mask = 0;

    // Test hook: the steps whose bit (1 << DisplayStep) is set fail as if the machine refused
    // them, so every failure path of create_display can be run.
    uint32_t forced_failures = 0;
};

// The failure code a Windows program of the era returned for a generic failure.
inline constexpr int k_generic_failure = static_cast<int>(0x80004005u);

inline constexpr uint32_t display_step_bit(DisplayStep step) {
    return 1u << static_cast<uint32_t>(step);
}

inline constexpr int k_sprite_vertices = 8192;
inline constexpr int k_point_vertices = 8192;
inline constexpr int k_quad_vertices = 2048; // 512 quads of four

// 0 on success; otherwise the failure has been shown and everything made so far released.
// With hardware acceleration a 3D device that cannot be made at 32 bits is tried at 16 bits, and
// failing there too the game goes on without it (hardware_acceleration becomes 0).
int create_display(Game& game);

// The render and texture-stage states every frame starts from (set again after a device loss).
void set_fixed_render_states(DisplayDevice& dev);

// Make the three shared vertex buffers again, the quads' texture coordinates filled in.
bool create_vertex_buffers(DisplayDevice& dev);

// Release in the fixed order of shutdown; objects that do not exist are skipped.
void release_display(Game& game);

// Release the display, show `message` in a message box titled "Vantor", destroy the window;
// returns `code`.
int report_fatal(Game& game, int code, const char* message);
