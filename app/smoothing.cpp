#include "app/smoothing.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int k_width = 640;
constexpr int k_height = 480;

struct Rgb {
    int b = 0, g = 0, r = 0;
};

// Pixels of the work surface, expanded to 8 bits a channel and packed back. The pixel depth is
// a template argument: smoothing touches every pixel of every character, and a test per pixel
// would cost as much as the work.
template <int Bpp> struct PixelAccess {
    uint8_t* bits;
    int pitch;

    uint32_t raw(int x, int y) const {
        const uint8_t* row = bits + static_cast<size_t>(y) * static_cast<size_t>(pitch);
        if constexpr (Bpp == 32) {
            uint32_t v;
            std::memcpy(&v, row + x * 4, 4);
            return v & 0x00FFFFFFu;
        } else {
            uint16_t v;
            std::memcpy(&v, row + x * 2, 2);
            return v;
        }
    }
    Rgb get(int x, int y) const {
        const uint32_t v = raw(x, y);
        if constexpr (Bpp == 32)
            return {int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF)};
        else if constexpr (Bpp == 16)
            return {int(v & 0x1F) * 8, int((v >> 5) & 0x3F) * 4, int((v >> 11) & 0x1F) * 8};
        else
            return {int(v & 0x1F) * 8, int((v >> 5) & 0x1F) * 8, int((v >> 10) & 0x1F) * 8};
    }
    // A 32-bit pixel word as it is stored (the unused top byte 0).
    void put(int x, int y, uint32_t v) {
        std::memcpy(bits + static_cast<size_t>(y) * static_cast<size_t>(pitch) + x * 4, &v, 4);
    }
    void set(int x, int y, Rgb c) {
        c = {std::min(c.b, 255), std::min(c.g, 255), std::min(c.r, 255)};
        uint8_t* row = bits + static_cast<size_t>(y) * static_cast<size_t>(pitch);
        if constexpr (Bpp == 32) {
            const uint32_t v = uint32_t(c.b) | (uint32_t(c.g) << 8) | (uint32_t(c.r) << 16);
            std::memcpy(row + x * 4, &v, 4);
        } else {
            uint16_t v;
            if constexpr (Bpp == 16)
                v = static_cast<uint16_t>((c.b >> 3) | ((c.g >> 2) << 5) | ((c.r >> 3) << 11));
            else
                v = static_cast<uint16_t>((c.b >> 3) | ((c.g >> 3) << 5) | ((c.r >> 3) << 10));
            std::memcpy(row + x * 2, &v, 2);
        }
    }
};

template <int Bpp> uint32_t reference_pixel(const SmoothReference& ref, int x, int y) {
    const size_t i = static_cast<size_t>(y) * k_width + static_cast<size_t>(x);
    if constexpr (Bpp == 32) {
        if ((i + 1) * 4 > ref.picture32.size()) return 0xFFFFFFFFu;
        uint32_t v;
        std::memcpy(&v, ref.picture32.data() + i * 4, 4);
        return v & 0x00FFFFFFu;
    } else {
        return i < ref.picture16.size() ? ref.picture16[i] : 0xFFFFFFFFu;
    }
}

Rgb average4(Rgb a, Rgb b, Rgb c, Rgb d) {
    return {(a.b + b.b + c.b + d.b) / 4, (a.g + b.g + c.g + d.g) / 4, (a.r + b.r + c.r + d.r) / 4};
}

int channel_sum(Rgb c) {
    return c.b + c.g + c.r;
}

// The same averages on whole 32-bit pixels, red and blue in one word's lanes and green in
// another: each lane has room for the sums, so the results are those of the channel arithmetic.
uint32_t average4_32(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
    const uint32_t rb = (a & 0xFF00FF) + (b & 0xFF00FF) + (c & 0xFF00FF) + (d & 0xFF00FF);
    const uint32_t g = (a & 0xFF00) + (b & 0xFF00) + (c & 0xFF00) + (d & 0xFF00);
    return ((rb >> 2) & 0xFF00FF) | ((g >> 2) & 0xFF00);
}

uint32_t blur5_32(uint32_t here, uint32_t l, uint32_t r, uint32_t a, uint32_t b) {
    const uint32_t rb =
        4 * (here & 0xFF00FF) + (l & 0xFF00FF) + (r & 0xFF00FF) + (a & 0xFF00FF) + (b & 0xFF00FF);
    const uint32_t g =
        4 * (here & 0xFF00) + (l & 0xFF00) + (r & 0xFF00) + (a & 0xFF00) + (b & 0xFF00);
    return ((rb >> 3) & 0xFF00FF) | ((g >> 3) & 0xFF00);
}

template <int Bpp> void smooth_interior(PixelAccess<Bpp>& p, int x, int y, int32_t smoothing) {
    if (smoothing == 3) return;
    if (Bpp == 32 && smoothing == 2) {
        p.put(x, y,
              blur5_32(p.raw(x, y), p.raw(x - 1, y), p.raw(x + 1, y), p.raw(x, y - 1),
                       p.raw(x, y + 1)));
        return;
    }
    const Rgb here = p.get(x, y);
    if (Bpp == 32 && smoothing == 1) {
        const Rgb right = p.get(x + 1, y);
        if (std::abs(channel_sum(here) - channel_sum(right)) >= 128)
            p.set(x, y, average4(here, right, p.get(x + 1, y + 1), p.get(x, y + 1)));
        return;
    }
    if (smoothing == 1 || smoothing == 2) {
        const Rgb l = p.get(x - 1, y), r = p.get(x + 1, y), a = p.get(x, y - 1),
                  b = p.get(x, y + 1);
        p.set(x, y,
              {(4 * here.b + l.b + r.b + a.b + b.b) / 8, (4 * here.g + l.g + r.g + a.g + b.g) / 8,
               (4 * here.r + l.r + r.r + a.r + b.r) / 8});
    }
}

// Where a character's outline crosses a row: pixel `at` becomes the mean of the 2x2 block at
// (x - 1, y).
template <int Bpp> void edge_average(PixelAccess<Bpp>& p, int x, int y, int at) {
    if constexpr (Bpp == 32)
        p.put(at, y,
              average4_32(p.raw(x, y), p.raw(x - 1, y), p.raw(x - 1, y + 1), p.raw(x, y + 1)));
    else
        p.set(at, y, average4(p.get(x, y), p.get(x - 1, y), p.get(x - 1, y + 1), p.get(x, y + 1)));
}

template <int Bpp>
void smooth_rect(uint8_t* bits, int pitch, const SmoothReference& ref, const SmoothRect& e, int w,
                 int h, int32_t smoothing) {
    PixelAccess<Bpp> p{bits, pitch};
    for (int y = e.top + 1; y <= e.top + h; ++y) {
        bool in_run = false;
        for (int x = e.left + 1; x <= e.left + w; ++x) {
            const bool same = p.raw(x, y) == reference_pixel<Bpp>(ref, x, y);
            if (!in_run) {
                if (same) continue;
                edge_average(p, x, y, x);
                in_run = true;
            } else if (same) {
                edge_average(p, x, y, x - 1);
                in_run = false;
            } else {
                smooth_interior(p, x, y, smoothing);
            }
        }
    }
}

} // namespace

void add_smooth_rect(SmoothList& list, int32_t smoothing, int32_t right, int32_t left,
                     int32_t bottom, int32_t top) {
    for (SmoothRect& e : list) {
        if (e.mode != 0) continue;
        e.mode = smoothing;
        e.left = std::max(left - 3, 0);
        e.right = std::min(right + 3, k_width - 1);
        e.top = std::max(top - 2, 0);
        e.bottom = std::min(bottom + 2, k_height - 1);
        return;
    }
}

void smooth_outlines(SmoothList& list, int32_t smoothing, int display_bpp, Surface& back_buffer,
                     Surface& work, const SmoothReference& reference) {
    for (SmoothRect& e : list) {
        if (e.mode == 0) continue;
        e.mode = 0;
        const int w = e.right - e.left - 2, h = e.bottom - e.top - 2;
        if (w <= 0 || h <= 0) continue;
        if (e.left < 0 || e.top < 0 || e.right >= back_buffer.width ||
            e.bottom >= back_buffer.height || e.right >= work.width || e.bottom >= work.height)
            continue;
        const Rect r{e.left, e.top, e.right + 1, e.bottom + 1};
        if (surface_copy(work, e.left, e.top, back_buffer, &r, false) != Result::ok) continue;
        LockedRect lock;
        if (surface_lock(work, lock) != Result::ok) continue;
        if (display_bpp == 32)
            smooth_rect<32>(lock.bits, lock.pitch, reference, e, w, h, smoothing);
        else if (display_bpp == 16)
            smooth_rect<16>(lock.bits, lock.pitch, reference, e, w, h, smoothing);
        else
            smooth_rect<15>(lock.bits, lock.pitch, reference, e, w, h, smoothing);
        surface_unlock(work);
        surface_copy(back_buffer, e.left, e.top, work, &r, false);
    }
}
