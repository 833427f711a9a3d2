#include "app/smoothing.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

namespace {

constexpr int k_width = 640;
constexpr int k_height = 480;

struct Rgb {
    int b = 0, g = 0, r = 0;
};

// Pixels of the work surface at `Bpp` bits, expanded to 8 bits a channel and packed back. The
// depth is a template argument: the loops below run once per pixel of every character's
// rectangle.
template <int Bpp> struct PixelAccess {
    uint8_t* bits;
    int pitch;

    uint8_t* row(int y) const { return bits + static_cast<size_t>(y) * static_cast<size_t>(pitch); }
    uint32_t raw(int x, int y) const {
        if constexpr (Bpp == 32) {
            uint32_t v;
            std::memcpy(&v, row(y) + x * 4, 4);
            return v & 0x00FFFFFFu;
        } else {
            uint16_t v;
            std::memcpy(&v, row(y) + x * 2, 2);
            return v;
        }
    }
    Rgb get(int x, int y) const { return unpack(raw(x, y)); }
    static Rgb unpack(uint32_t v) {
        if constexpr (Bpp == 32)
            return {int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF)};
        else if constexpr (Bpp == 16)
            return {int(v & 0x1F) * 8, int((v >> 5) & 0x3F) * 4, int((v >> 11) & 0x1F) * 8};
        else
            return {int(v & 0x1F) * 8, int((v >> 5) & 0x1F) * 8, int((v >> 10) & 0x1F) * 8};
    }
    // Store a colour; answers what reading the pixel back gives.
    Rgb set(int x, int y, Rgb c) {
        c = {std::min(c.b, 255), std::min(c.g, 255), std::min(c.r, 255)};
        if constexpr (Bpp == 32) {
            const uint32_t v = uint32_t(c.b) | (uint32_t(c.g) << 8) | (uint32_t(c.r) << 16);
            std::memcpy(row(y) + x * 4, &v, 4);
            return c;
        } else {
            const auto v =
                Bpp == 16
                    ? static_cast<uint16_t>((c.b >> 3) | ((c.g >> 2) << 5) | ((c.r >> 3) << 11))
                    : static_cast<uint16_t>((c.b >> 3) | ((c.g >> 3) << 5) | ((c.r >> 3) << 10));
            std::memcpy(row(y) + x * 2, &v, 2);
            return unpack(v);
        }
    }
};

// One row of the reference picture. Where the row reaches past the end of the reference, what
// lies beyond is never the same as the drawn pixel.
template <int Bpp> struct ReferenceRow {
    const SmoothReference& ref;
    size_t first; // index of the row's pixel 0
    bool whole;   // the reference holds every pixel the row asks for

    ReferenceRow(const SmoothReference& r, int y, int x_end) : ref(r) {
        first = static_cast<size_t>(y) * k_width;
        const size_t end = first + static_cast<size_t>(x_end);
        whole = Bpp == 32 ? end * 4 <= ref.picture32.size() : end <= ref.picture16.size();
    }
    uint32_t at(int x) const {
        const size_t i = first + static_cast<size_t>(x);
        if (Bpp == 32) {
            if (!whole && (i + 1) * 4 > ref.picture32.size()) return 0xFFFFFFFFu;
            uint32_t v;
            std::memcpy(&v, ref.picture32.data() + i * 4, 4);
            return v & 0x00FFFFFFu;
        }
        if (!whole && i >= ref.picture16.size()) return 0xFFFFFFFFu;
        return ref.picture16[i];
    }
};

// Channel sums are never negative, so the divisions are shifts.
Rgb average4(Rgb a, Rgb b, Rgb c, Rgb d) {
    return {(a.b + b.b + c.b + d.b) >> 2, (a.g + b.g + c.g + d.g) >> 2,
            (a.r + b.r + c.r + d.r) >> 2};
}

int channel_sum(Rgb c) {
    return c.b + c.g + c.r;
}

// An interior pixel of a run, given the new value of its left neighbour; answers its own new
// value. The left neighbour is carried in registers from pixel to pixel, so a run is not held
// up by reading back the pixel just written.
template <int Bpp>
Rgb smooth_interior(PixelAccess<Bpp>& p, int x, int y, int32_t smoothing, Rgb left) {
    const Rgb here = p.get(x, y);
    if (smoothing == 3) return here;
    if (Bpp == 32 && smoothing == 1) {
        const Rgb right = p.get(x + 1, y);
        if (std::abs(channel_sum(here) - channel_sum(right)) >= 128)
            return p.set(x, y, average4(here, right, p.get(x + 1, y + 1), p.get(x, y + 1)));
        return here;
    }
    if (smoothing == 1 || smoothing == 2) {
        const Rgb r = p.get(x + 1, y), a = p.get(x, y - 1), b = p.get(x, y + 1);
        return p.set(x, y,
                     {(4 * here.b + left.b + r.b + a.b + b.b) >> 3,
                      (4 * here.g + left.g + r.g + a.g + b.g) >> 3,
                      (4 * here.r + left.r + r.r + a.r + b.r) >> 3});
    }
    return here;
}

#if defined(__SSE2__) || defined(_M_X64)

inline __m128i lanes_of(uint32_t v) {
    return _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(v)), _mm_setzero_si128());
}

// smooth_interior's full smoothing at 32 bits over a run, the channels side by side in 16-bit
// lanes (sums up to 8 x 255 fit): the same pixels, without unpacking each neighbour.
int blur_interior(PixelAccess<32>& p, const ReferenceRow<32>& reference, int y, int x, int x_end,
                  Rgb& left) {
    __m128i l = _mm_setr_epi16(static_cast<short>(left.b), static_cast<short>(left.g),
                               static_cast<short>(left.r), 0, 0, 0, 0, 0);
    uint8_t* row = p.row(y);
    for (; x < x_end; ++x) {
        const uint32_t here = p.raw(x, y);
        if (here == reference.at(x)) break;
        const __m128i sides =
            _mm_add_epi16(_mm_add_epi16(lanes_of(p.raw(x + 1, y)), lanes_of(p.raw(x, y - 1))),
                          lanes_of(p.raw(x, y + 1)));
        l = _mm_srli_epi16(
            _mm_add_epi16(_mm_add_epi16(_mm_slli_epi16(lanes_of(here), 2), sides), l), 3);
        const auto v = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(l, l)));
        std::memcpy(row + x * 4, &v, 4);
    }
    left = {_mm_extract_epi16(l, 0), _mm_extract_epi16(l, 1), _mm_extract_epi16(l, 2)};
    return x;
}

#endif

// The interior of a run from x to its end (the first pixel the same as the reference, or
// x_end), which it answers; `left` comes in and goes out as the new value of the pixel left of
// the next.
template <int Bpp>
int smooth_run_interior(PixelAccess<Bpp>& p, const ReferenceRow<Bpp>& reference, int y, int x,
                        int x_end, int32_t smoothing, Rgb& left) {
#if defined(__SSE2__) || defined(_M_X64)
    if constexpr (Bpp == 32)
        if (smoothing == 2) return blur_interior(p, reference, y, x, x_end, left);
#endif
    for (; x < x_end && p.raw(x, y) != reference.at(x); ++x)
        left = smooth_interior(p, x, y, smoothing, left);
    return x;
}

// The pixels of a row that differ from the reference come in runs. The first pixel of a run is
// mixed with its left, lower-left and lower neighbours; the interior by the smoothing mode;
// and once the run has ended, its last pixel with the first background pixel after it, that
// pixel's lower neighbour and its own. A pixel's difference is judged before anything in its
// row reaches it, as the rows are worked left to right.
template <int Bpp>
void smooth_row(PixelAccess<Bpp>& p, const ReferenceRow<Bpp>& reference, int y, int x, int x_end,
                int32_t smoothing) {
    auto same = [&](int at) { return p.raw(at, y) == reference.at(at); };
    while (true) {
        while (x < x_end && same(x)) ++x;
        if (x == x_end) return;
        Rgb left = p.set(
            x, y, average4(p.get(x, y), p.get(x - 1, y), p.get(x - 1, y + 1), p.get(x, y + 1)));
        x = smooth_run_interior(p, reference, y, x + 1, x_end, smoothing, left);
        if (x == x_end) return;
        p.set(x - 1, y, average4(p.get(x, y), left, p.get(x - 1, y + 1), p.get(x, y + 1)));
        ++x;
    }
}

template <int Bpp>
void smooth_rect(PixelAccess<Bpp> p, const SmoothReference& ref, const SmoothRect& e, int w, int h,
                 int32_t smoothing) {
    const int x_end = e.left + w + 1;
    for (int y = e.top + 1; y <= e.top + h; ++y)
        smooth_row(p, ReferenceRow<Bpp>(ref, y, x_end), y, e.left + 1, x_end, smoothing);
}

void smooth_rect(uint8_t* bits, int pitch, int bpp, const SmoothReference& ref, const SmoothRect& e,
                 int w, int h, int32_t smoothing) {
    if (bpp == 32)
        smooth_rect(PixelAccess<32>{bits, pitch}, ref, e, w, h, smoothing);
    else if (bpp == 16)
        smooth_rect(PixelAccess<16>{bits, pitch}, ref, e, w, h, smoothing);
    else
        smooth_rect(PixelAccess<15>{bits, pitch}, ref, e, w, h, smoothing);
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
        smooth_rect(lock.bits, lock.pitch, display_bpp, reference, e, w, h, smoothing);
        surface_unlock(work);
        surface_copy(back_buffer, e.left, e.top, work, &r, false);
    }
}
