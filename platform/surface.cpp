#include "platform/surface.h"

#include <cstring>

#include "platform/display.h"

namespace {

bool inside(const Rect& r, const Surface& s) {
    return r.left >= 0 && r.top >= 0 && r.right <= s.width && r.bottom <= s.height &&
           r.left <= r.right && r.top <= r.bottom;
}

Result usable(const Surface& s) {
    if (s.lost) return Result::surface_lost;
    if (s.lock_count > 0) return Result::surface_busy;
    return Result::ok;
}

Result check_pair(const Surface& dst, const Surface& src) {
    if (Result r = usable(dst); r != Result::ok) return r;
    if (&src != &dst)
        if (Result r = usable(src); r != Result::ok) return r;
    if (dst.format.bit_count != src.format.bit_count) return Result::wrong_format;
    return Result::ok;
}

uint32_t read_word(const uint8_t* p, int bpp) {
    switch (bpp) {
    case 4: {
        uint32_t v;
        std::memcpy(&v, p, 4);
        return v;
    }
    case 2: {
        uint16_t v;
        std::memcpy(&v, p, 2);
        return v;
    }
    default:
        return p[0];
    }
}

void write_word(uint8_t* p, int bpp, uint32_t v) {
    switch (bpp) {
    case 4:
        std::memcpy(p, &v, 4);
        break;
    case 2: {
        uint16_t w = static_cast<uint16_t>(v);
        std::memcpy(p, &w, 2);
        break;
    }
    default:
        p[0] = static_cast<uint8_t>(v);
    }
}

} // namespace

void SurfaceDeleter::operator()(Surface* s) const {
    if (s == nullptr) return;
    if (auto pool = s->pool) {
        pool->free += s->video_bytes;
        std::erase(pool->live, s);
    }
    delete s;
}

SurfacePtr make_system_surface(int width, int height, const PixelFormat& format) {
    SurfacePtr s(new Surface);
    s->width = width;
    s->height = height;
    s->format = format;
    s->pitch = width * bytes_per_pixel(format);
    s->pixels.assign(static_cast<size_t>(s->pitch) * height, 0);
    s->memory = Memory::system;
    return s;
}

Result surface_lock(Surface& s, LockedRect& out) {
    if (s.lost) return Result::surface_lost;
    if (s.lock_count > 0) return Result::surface_busy;
    ++s.lock_count;
    out.bits = s.pixels.data();
    out.pitch = s.pitch;
    return Result::ok;
}

void surface_unlock(Surface& s) {
    if (s.lock_count > 0) --s.lock_count;
}

Result surface_copy(Surface& dst, int x, int y, Surface& src, const Rect* src_rect,
                    bool src_colour_key) {
    Rect sr = src_rect ? *src_rect : src.bounds();
    Rect dr{x, y, x + sr.width(), y + sr.height()};
    return surface_copy_stretched(dst, &dr, src, &sr, src_colour_key);
}

Result surface_copy_stretched(Surface& dst, const Rect* dst_rect, Surface& src,
                              const Rect* src_rect, bool src_colour_key) {
    if (Result r = check_pair(dst, src); r != Result::ok) return r;
    Rect sr = src_rect ? *src_rect : src.bounds();
    Rect dr = dst_rect ? *dst_rect : dst.bounds();
    if (!inside(sr, src) || !inside(dr, dst)) return Result::invalid_rect;
    if (dr.width() == 0 || dr.height() == 0 || sr.width() == 0 || sr.height() == 0)
        return Result::ok;

    const int bpp = bytes_per_pixel(dst.format);
    const bool same_size = dr.width() == sr.width() && dr.height() == sr.height();
    // Overlapping copies within one surface go bottom-up so rows are read before being written.
    const bool backwards = &dst == &src && dr.top > sr.top;
    for (int i = 0; i < dr.height(); ++i) {
        int dy = backwards ? dr.height() - 1 - i : i;
        int sy = sr.top + static_cast<int>(static_cast<int64_t>(dy) * sr.height() / dr.height());
        uint8_t* drow = dst.row(dr.top + dy) + dr.left * bpp;
        const uint8_t* srow = src.row(sy);
        if (same_size && !src_colour_key) {
            std::memmove(drow, srow + sr.left * bpp, static_cast<size_t>(dr.width()) * bpp);
            continue;
        }
        for (int dx = 0; dx < dr.width(); ++dx) {
            int sx = sr.left + static_cast<int>(static_cast<int64_t>(dx) * sr.width() / dr.width());
            uint32_t v = read_word(srow + sx * bpp, bpp);
            if (src_colour_key && v == 0) continue;
            write_word(drow + dx * bpp, bpp, v);
        }
    }
    return Result::ok;
}

Result surface_fill(Surface& dst, const Rect* rect, uint32_t colour) {
    if (Result r = usable(dst); r != Result::ok) return r;
    Rect r = rect ? *rect : dst.bounds();
    if (!inside(r, dst)) return Result::invalid_rect;
    const int bpp = bytes_per_pixel(dst.format);
    for (int y = r.top; y < r.bottom; ++y) {
        uint8_t* p = dst.row(y) + r.left * bpp;
        if (bpp == 4) {
            for (int x = 0; x < r.width(); ++x) std::memcpy(p + 4 * x, &colour, 4);
        } else {
            for (int x = 0; x < r.width(); ++x) write_word(p + x * bpp, bpp, colour);
        }
    }
    return Result::ok;
}

Result surface_restore(Surface& s) {
    if (s.lost) {
        s.lost = false;
        std::fill(s.pixels.begin(), s.pixels.end(), 0);
    }
    for (auto& b : s.chain) surface_restore(*b);
    return Result::ok;
}

uint32_t surface_pixel(const Surface& s, int x, int y) {
    if (x < 0 || y < 0 || x >= s.width || y >= s.height) return 0;
    const int bpp = bytes_per_pixel(s.format);
    return read_word(s.row(y) + x * bpp, bpp);
}

void surface_set_pixel(Surface& s, int x, int y, uint32_t value) {
    if (x < 0 || y < 0 || x >= s.width || y >= s.height) return;
    const int bpp = bytes_per_pixel(s.format);
    write_word(s.row(y) + x * bpp, bpp, value);
}
