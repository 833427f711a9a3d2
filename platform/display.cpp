#include "platform/display.h"

#include <algorithm>

#include "platform/system.h"

namespace {

size_t surface_bytes(const Surface& s) {
    return static_cast<size_t>(s.pitch) * s.height;
}

SurfacePtr new_surface(Display& d, int width, int height, const PixelFormat& format,
                       Memory memory) {
    SurfacePtr s(new Surface);
    s->width = width;
    s->height = height;
    s->format = format;
    s->pitch = width * bytes_per_pixel(format);
    s->pixels.assign(surface_bytes(*s), 0);
    s->memory = memory;
    s->pool = d.pool;
    d.pool->live.push_back(s.get());
    return s;
}

// Place a surface of `bytes` into video memory if it fits.
bool charge_video_memory(Display& d, size_t bytes) {
    if (d.pool->free < bytes) return false;
    d.pool->free -= bytes;
    return true;
}

} // namespace

GammaRamp identity_gamma_ramp() {
    GammaRamp g;
    for (int i = 0; i < 256; ++i) {
        auto v = static_cast<uint16_t>(i * 257);
        g.red[i] = g.green[i] = g.blue[i] = v;
    }
    return g;
}

Result display_create(Display& d) {
    DisplayCaps caps;
    if (!sys_display_caps(caps)) return Result::failed;
    d.pool = std::make_shared<VideoMemoryPool>();
    d.pool->total = d.pool->free = caps.video_memory_total;
    return Result::ok;
}

Result display_set_exclusive(Display& d) {
    if (!d.pool) return Result::failed;
    d.exclusive = true;
    return Result::ok;
}

Result display_set_mode(Display& d, int width, int height, int bpp) {
    if (!d.pool || !d.exclusive || width != 640 || height != 480) return Result::failed;
    DisplayCaps caps;
    if (!sys_display_caps(caps)) return Result::failed;
    PixelFormat format;
    if (bpp == 32 && caps.supports_32_bits) {
        format = k_format_xrgb8888;
    } else if (bpp == 16) {
        format = caps.sixteen_bit_is_555 ? k_format_rgb555 : k_format_rgb565;
    } else {
        return Result::failed;
    }
    if (!sys_display_set_mode(width, height, static_cast<int>(format.bit_count)))
        return Result::failed;
    d.mode_bpp = bpp;
    d.mode_format = format;
    return Result::ok;
}

uint64_t display_video_memory_total(const Display& d) {
    return d.pool ? d.pool->total : 0;
}
uint64_t display_video_memory_free(const Display& d) {
    return d.pool ? d.pool->free : 0;
}

Result display_create_surface(Display& d, const SurfaceDesc& desc, SurfacePtr& out) {
    if (!d.pool) return Result::failed;
    if (desc.width <= 0 || desc.height <= 0 || desc.width > 4096 || desc.height > 4096)
        return Result::failed;
    PixelFormat format = desc.format.bit_count ? desc.format : d.mode_format;
    if (format.bit_count == 0) return Result::wrong_format;
    SurfacePtr s = new_surface(d, desc.width, desc.height, format, Memory::system);
    if (desc.memory != Memory::system) {
        if (charge_video_memory(d, surface_bytes(*s))) {
            s->memory = Memory::video;
            s->video_bytes = surface_bytes(*s);
        } else if (desc.memory == Memory::video) {
            return Result::out_of_video_memory;
        }
    }
    out = std::move(s);
    return Result::ok;
}

namespace {

void lose_chain(Surface& s) {
    s.lost = true;
    for (const SurfacePtr& b : s.chain) lose_chain(*b);
}

} // namespace

Result display_create_primary(Display& d, int back_buffers, bool in_video_memory, SurfacePtr& out) {
    if (!d.pool || d.mode_bpp == 0 || back_buffers < 1 || back_buffers > 2) return Result::failed;
    const size_t frame = static_cast<size_t>(640) * 480 * bytes_per_pixel(d.mode_format);
    const size_t chain_bytes = frame * (1 + back_buffers);
    if (in_video_memory && !charge_video_memory(d, chain_bytes)) return Result::out_of_video_memory;

    const Memory memory = in_video_memory ? Memory::video : Memory::system;
    SurfacePtr primary = new_surface(d, 640, 480, d.mode_format, memory);
    primary->video_bytes = in_video_memory ? frame : 0;
    for (int i = 0; i < back_buffers; ++i) {
        SurfacePtr back = new_surface(d, 640, 480, d.mode_format, memory);
        back->video_bytes = in_video_memory ? frame : 0;
        primary->chain.push_back(std::move(back));
    }
    d.primary = primary.get();
    out = std::move(primary);
    return Result::ok;
}

Surface* surface_back_buffer(Surface& primary) {
    return primary.chain.empty() ? nullptr : primary.chain.front().get();
}

Result display_flip(Display& d) {
    Surface* front = d.primary;
    if (front == nullptr || front->chain.empty()) return Result::failed;
    if (front->lost) return Result::surface_lost;
    for (auto& b : front->chain) {
        if (b->lost) return Result::surface_lost;
        if (b->lock_count > 0) return Result::surface_busy;
    }
    // Rotate the pixel storage, not the surfaces: the game keeps drawing into the same back
    // buffer object, as it does on the hardware.
    std::swap(front->pixels, front->chain.front()->pixels);
    for (size_t i = 1; i < front->chain.size(); ++i)
        std::swap(front->chain[i - 1]->pixels, front->chain[i]->pixels);
    sys_present(*front, d.gamma);
    return Result::ok;
}

void display_set_gamma(Display& d, const GammaRamp& ramp) {
    d.gamma = ramp;
}

void display_lose_all_surfaces(Display& d) {
    if (!d.pool) return;
    // What a display loses is video memory and the screen itself; a surface in system memory
    // keeps its contents (the game keeps its pristine copies there for that reason).
    for (Surface* s : d.pool->live)
        if (s->memory == Memory::video || !s->chain.empty()) lose_chain(*s);
}

void display_restore_all_surfaces(Display& d) {
    if (!d.pool) return;
    for (Surface* s : d.pool->live)
        if (s->lost) surface_restore(*s);
}
