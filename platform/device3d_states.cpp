// The 3D driver and device objects: creation, render target and depth, viewport, scene brackets,
// render states and texture stage states.
#include <cstring>

#include "platform/device3d_internal.h"
#include "platform/system.h"

namespace {

bool is_target_format(const PixelFormat& f) {
    return f == k_format_xrgb8888 || f == k_format_rgb565 || f == k_format_rgb555;
}

bool in_range(uint32_t v, uint32_t lo, uint32_t hi) {
    return v >= lo && v <= hi;
}

bool is_bool(uint32_t v) {
    return v <= 1;
}

// The render state's field and the values it takes.
struct StateSlot {
    bool* flag = nullptr;
    uint32_t* value = nullptr;
    uint32_t lo = 0, hi = 0xFFFFFFFF;
};

StateSlot slot(RenderStates& s, RenderState state) {
    switch (state) {
    case RenderState::z_enable:
        return {&s.z_enable};
    case RenderState::z_write_enable:
        return {&s.z_write};
    case RenderState::z_func:
        return {nullptr, &s.z_func, CMP_NEVER, CMP_ALWAYS};
    case RenderState::alpha_blend_enable:
        return {&s.blend};
    case RenderState::src_blend:
        return {nullptr, &s.src_blend, BLEND_ZERO, BLEND_INVDESTCOLOR};
    case RenderState::dest_blend:
        return {nullptr, &s.dest_blend, BLEND_ZERO, BLEND_INVDESTCOLOR};
    case RenderState::alpha_test_enable:
        return {&s.alpha_test};
    case RenderState::alpha_ref:
        return {nullptr, &s.alpha_ref, 0, 255};
    case RenderState::alpha_func:
        return {nullptr, &s.alpha_func, CMP_NEVER, CMP_ALWAYS};
    case RenderState::cull_mode:
        return {nullptr, &s.cull, CULL_NONE, CULL_CCW};
    case RenderState::shade_mode:
        return {nullptr, &s.shade, SHADE_FLAT, SHADE_GOURAUD};
    case RenderState::dither_enable:
        return {&s.dither};
    case RenderState::specular_enable:
        return {&s.specular};
    case RenderState::fog_enable:
        return {&s.fog};
    case RenderState::fog_color:
        return {nullptr, &s.fog_color, 0, 0xFFFFFFFF};
    case RenderState::stencil_enable:
        return {&s.stencil};
    case RenderState::stencil_func:
        return {nullptr, &s.stencil_func, CMP_NEVER, CMP_ALWAYS};
    case RenderState::stencil_ref:
        return {nullptr, &s.stencil_ref};
    case RenderState::stencil_mask:
        return {nullptr, &s.stencil_mask};
    case RenderState::stencil_write_mask:
        return {nullptr, &s.stencil_write_mask};
    case RenderState::stencil_fail:
        return {nullptr, &s.stencil_fail, STENCILOP_KEEP, STENCILOP_DECR};
    case RenderState::stencil_zfail:
        return {nullptr, &s.stencil_zfail, STENCILOP_KEEP, STENCILOP_DECR};
    case RenderState::stencil_pass:
        return {nullptr, &s.stencil_pass, STENCILOP_KEEP, STENCILOP_DECR};
    case RenderState::texture_perspective:
        return {&s.perspective};
    case RenderState::clipping:
        return {&s.clipping};
    case RenderState::lighting:
        return {&s.lighting};
    case RenderState::extents:
        return {&s.extents};
    }
    return {};
}

uint32_t* stage_slot(StageStates& t, StageState state) {
    switch (state) {
    case StageState::color_op:
        return &t.color_op;
    case StageState::color_arg1:
        return &t.color_arg1;
    case StageState::color_arg2:
        return &t.color_arg2;
    case StageState::alpha_op:
        return &t.alpha_op;
    case StageState::alpha_arg1:
        return &t.alpha_arg1;
    case StageState::alpha_arg2:
        return &t.alpha_arg2;
    case StageState::min_filter:
        return &t.min_filter;
    case StageState::mag_filter:
        return &t.mag_filter;
    }
    return nullptr;
}

bool valid_stage_value(StageState state, uint32_t v) {
    switch (state) {
    case StageState::color_op:
    case StageState::alpha_op:
        return in_range(v, TOP_DISABLE, TOP_MODULATE);
    case StageState::color_arg1:
    case StageState::color_arg2:
    case StageState::alpha_arg1:
    case StageState::alpha_arg2:
        return v <= TA_TEXTURE;
    case StageState::min_filter:
    case StageState::mag_filter:
        return in_range(v, TEXF_POINT, TEXF_LINEAR);
    }
    return false;
}

bool depth_fits(const Surface& depth, const Surface& target) {
    return is_depth_format(depth.format) && depth.width == target.width &&
           depth.height == target.height;
}

} // namespace

Result driver3d_create(const Display& display, Driver3DPtr& out) {
    DisplayCaps machine;
    if (!display.pool || !sys_display_caps(machine)) return Result::failed;
    auto driver = std::make_unique<Driver3D>();
    driver->renders_32_bits = machine.device_32_bits;
    driver->renders_16_bits = machine.device_16_bits;
    driver->zbuffer_formats.push_back(k_format_z16);
    if (machine.device_stencil) {
        driver->caps.stencil_caps = STENCILCAPS_KEEP | STENCILCAPS_ZERO | STENCILCAPS_REPLACE |
                                    STENCILCAPS_INCRSAT | STENCILCAPS_DECRSAT | STENCILCAPS_INVERT |
                                    STENCILCAPS_INCR | STENCILCAPS_DECR;
        driver->zbuffer_formats.push_back(k_format_z24s8);
    }
    driver->texture_formats = {k_texture_rgb565,   k_texture_xrgb1555, k_texture_argb1555,
                               k_texture_argb4444, k_texture_xrgb8888, k_texture_argb8888};
    out = std::move(driver);
    return Result::ok;
}

void Device3DDeleter::operator()(Device3D* device) const {
    delete device;
}

Result device_create(const Driver3D& driver, Surface& target, Device3DPtr& out) {
    if (!is_target_format(target.format)) return Result::wrong_format;
    const bool can =
        target.format.bit_count == 32 ? driver.renders_32_bits : driver.renders_16_bits;
    if (!can) return Result::failed;
    Device3DPtr device(new Device3D);
    device->caps = driver.caps;
    device->renders_32_bits = driver.renders_32_bits;
    device->renders_16_bits = driver.renders_16_bits;
    device->texture_formats = driver.texture_formats;
    device->target = &target;
    device->viewport = {0, 0, target.width, target.height, 0.0f, 1.0f};
    out = std::move(device);
    return Result::ok;
}

const DeviceCaps& device_caps(const Device3D& device) {
    return device.caps;
}

const std::vector<PixelFormat>& device_texture_formats(const Device3D& device) {
    return device.texture_formats;
}

Result device_attach_depth(Device3D& device, Surface& depth) {
    if (device.depth != nullptr) return Result::failed; // one depth surface at a time
    if (!depth_fits(depth, *device.target)) return Result::wrong_format;
    device.depth = &depth;
    return Result::ok;
}

void device_detach_depth(Device3D& device) {
    device.depth = nullptr;
}

Surface* device_depth(const Device3D& device) {
    return device.depth;
}

Result device_set_render_target(Device3D& device, Surface& target) {
    if (!is_target_format(target.format)) return Result::wrong_format;
    if (target.format.bit_count != device.target->format.bit_count) return Result::wrong_format;
    if (device.depth && !depth_fits(*device.depth, target)) return Result::wrong_format;
    device.target = &target;
    return Result::ok;
}

Result device_set_viewport(Device3D& device, const Viewport& vp) {
    const Surface& t = *device.target;
    if (vp.x < 0 || vp.y < 0 || vp.width <= 0 || vp.height <= 0 || vp.x + vp.width > t.width ||
        vp.y + vp.height > t.height || !(vp.min_z >= 0 && vp.min_z <= vp.max_z && vp.max_z <= 1))
        return Result::invalid_rect;
    device.viewport = vp;
    return Result::ok;
}

Result device_begin_scene(Device3D& device) {
    if (device.in_scene) return Result::failed;
    device.in_scene = true;
    return Result::ok;
}

Result device_end_scene(Device3D& device) {
    if (!device.in_scene) return Result::failed;
    device.in_scene = false;
    return Result::ok;
}

Result device_clear_stencil(Device3D& device, uint32_t value) {
    Surface* depth = device.depth;
    if (depth == nullptr) return Result::failed;
    if (depth->lost) return Result::surface_lost;
    if (depth->lock_count > 0) return Result::surface_busy;
    const uint32_t mask = depth->format.stencil_mask;
    if (mask == 0) return Result::ok;
    const uint32_t bits = value & mask;
    for (int y = 0; y < depth->height; ++y) {
        uint8_t* row = depth->row(y);
        for (int x = 0; x < depth->width; ++x) {
            uint32_t word;
            std::memcpy(&word, row + 4 * x, 4);
            word = (word & ~mask) | bits;
            std::memcpy(row + 4 * x, &word, 4);
        }
    }
    return Result::ok;
}

Result device_set_render_state(Device3D& device, RenderState state, uint32_t value) {
    const StateSlot s = slot(device.rs, state);
    if (s.flag) {
        if (!is_bool(value)) return Result::failed;
        *s.flag = value != 0;
        return Result::ok;
    }
    if (s.value == nullptr || !in_range(value, s.lo, s.hi)) return Result::failed;
    *s.value = value;
    return Result::ok;
}

uint32_t device_render_state(const Device3D& device, RenderState state) {
    RenderStates copy = device.rs;
    const StateSlot s = slot(copy, state);
    if (s.flag) return *s.flag ? 1 : 0;
    return s.value ? *s.value : 0;
}

Result device_set_texture_stage_state(Device3D& device, int stage, StageState state,
                                      uint32_t value) {
    if (stage != 0 || !valid_stage_value(state, value)) return Result::failed;
    *stage_slot(device.ts, state) = value;
    return Result::ok;
}

uint32_t device_texture_stage_state(const Device3D& device, StageState state) {
    StageStates copy = device.ts;
    return *stage_slot(copy, state);
}

Result device_set_texture(Device3D& device, int stage, TexturePtr texture) {
    if (stage != 0) return Result::failed;
    device.texture = std::move(texture);
    return Result::ok;
}
