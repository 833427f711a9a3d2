// The pixel runs of the game's characters and blob shadows in SSE2: the four channels of a pixel
// side by side in 16-bit lanes. Every step gives what its scalar form in device3d_pixel.h gives
// (no intermediate value reaches 65536, so 16-bit lanes hold them exactly), and the test of the
// specialised fills compares the two. Depth, texture addressing and perspective stay scalar.
//
// Without SSE2 `handles` is false for every feature set and the scalar pipeline draws all.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "platform/device3d_pixel.h"

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>

namespace raster::sse2 {

// Textured by the texture alone or times the diffuse colour, depth-tested (and stencilled, which
// the scalar depth stage does), maybe fogged, written, darkening or added to the target: no
// specular, alpha or other blending.
constexpr bool handles(uint32_t f) {
    constexpr uint32_t allowed = F_TEX | F_TEXPOW2 | F_MODULATE | F_SELECT_TEX | F_PERSP |
                                 F_GOURAUD | F_FOG | F_ZTEST | F_ZWRITE | F_STENCIL | F_DEPTH |
                                 F_DEPTH32 | F_TARGET16 | F_TARGET15 | F_BLEND_DARKEN | F_BLEND_ADD;
    // Without a depth test only the additive blend (glows over everything) is drawn here.
    return (f & ~allowed) == 0 && (f & F_TEX) && (f & F_TEXPOW2) &&
           ((f & F_DEPTH) || (f & F_BLEND_ADD)) && (f & (F_MODULATE | F_SELECT_TEX));
}

// Four 16-bit channels b, g, r, a in the low half of a register.
using Lanes = __m128i;

inline Lanes splat(int v) {
    return _mm_set1_epi16(static_cast<short>(v));
}
inline Lanes widen(uint32_t argb) {
    return _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(argb)), _mm_setzero_si128());
}
inline uint32_t narrow(Lanes v) {
    return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(v, v)));
}

// div255 in every lane.
inline Lanes div255(Lanes v) {
    v = _mm_add_epi16(v, splat(128));
    return _mm_srli_epi16(_mm_add_epi16(v, _mm_srli_epi16(v, 8)), 8);
}

// (a * (256 - f) + b * f) >> 8 in every lane, as lerp_argb mixes.
inline Lanes lerp(Lanes a, Lanes b, Lanes f) {
    const Lanes g = _mm_sub_epi16(splat(256), f);
    return _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(a, g), _mm_mullo_epi16(b, f)), 8);
}

// Both rows mixed at once, the upper in the low half and the lower in the high half, then the
// rows.
inline Lanes bilinear(const Taps& t) {
    const __m128i zero = _mm_setzero_si128();
    const Lanes left =
        _mm_unpacklo_epi8(_mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(t.t00)),
                                             _mm_cvtsi32_si128(static_cast<int>(t.t10))),
                          zero);
    const Lanes right =
        _mm_unpacklo_epi8(_mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(t.t01)),
                                             _mm_cvtsi32_si128(static_cast<int>(t.t11))),
                          zero);
    const Lanes rows = lerp(left, right, splat(static_cast<int>(t.fx)));
    return lerp(rows, _mm_unpackhi_epi64(rows, rows), splat(static_cast<int>(t.fy)));
}

// The diffuse colour and fog of a pixel from their 16.16 interpolators in 32-bit lanes (b, g, r,
// fog), clamped to 0..255 as `channel` clamps.
inline Lanes channels(__m128i at) {
    const __m128i whole = _mm_srai_epi32(at, 16);
    const __m128i narrowed = _mm_packs_epi32(whole, whole);
    return _mm_min_epi16(_mm_max_epi16(narrowed, _mm_setzero_si128()), splat(255));
}

// The colour interpolators go in 32-bit lanes. Their values at the pixels of a triangle lie
// between the corners' (0..255) plus the rounding of the fixed-point steps carried from pixel to
// pixel (a few units); the values the row set-up starts from, at the left edge's pixel of a
// row, lie within the triangle's bounding box. So a triangle whose colour planes stay within
// 2^14 over its bounding box keeps every value within the lanes; one that does not (a sliver of
// steep colours) is drawn by the scalar pipeline. `dx` and `dy` are the planes' steps per pixel
// and per row, `width` and `height` the box's in pixels.
template <uint32_t F>
bool colours_fit(const double (&dx)[A_COUNT], const double (&dy)[A_COUNT], double width,
                 double height) {
    if constexpr ((F & F_GOURAUD) == 0) {
        return true;
    } else {
        double reach = 0;
        for (int a : {A_R, A_G, A_B, A_FOG})
            if (a != A_FOG || (F & F_FOG))
                reach = std::max(reach, std::fabs(dx[a]) * width + std::fabs(dy[a]) * height);
        return reach < 0x1p13; // NaN fails too
    }
}

// A value of a constant colour held within the lanes: `channel` gives the same for it.
inline int lane_value(int64_t v) {
    return static_cast<int>(std::clamp<int64_t>(v, -65536, 256 << 16));
}

template <uint32_t F> __m128i colour_start(const Interp& start) {
    auto lane = [](int64_t v) { return (F & F_GOURAUD) ? static_cast<int>(v) : lane_value(v); };
    return _mm_setr_epi32(lane(start.a[A_B]), lane(start.a[A_G]), lane(start.a[A_R]),
                          (F & F_FOG) ? lane(start.a[A_FOG]) : 255 << 16);
}

template <uint32_t F> __m128i colour_step(const Interp& step) {
    if constexpr ((F & F_GOURAUD) == 0) {
        return _mm_setzero_si128();
    } else {
        const int fog = (F & F_FOG) ? static_cast<int>(step.a[A_FOG]) : 0;
        return _mm_setr_epi32(static_cast<int>(step.a[A_B]), static_cast<int>(step.a[A_G]),
                              static_cast<int>(step.a[A_R]), fog);
    }
}

template <uint32_t F> Lanes read(const uint8_t* cp) {
    if constexpr ((F & (F_TARGET16 | F_TARGET15)) != 0) {
        const Rgba d = read_target(F, cp);
        return _mm_setr_epi16(static_cast<short>(d.b), static_cast<short>(d.g),
                              static_cast<short>(d.r), 0, 0, 0, 0, 0);
    } else {
        return widen(load32(cp));
    }
}

template <uint32_t F> void write(uint8_t* cp, Lanes px) {
    const uint32_t v = narrow(px);
    if constexpr ((F & (F_TARGET16 | F_TARGET15)) != 0)
        write_target(F, cp, static_cast<int>((v >> 16) & 0xFF), static_cast<int>((v >> 8) & 0xFF),
                     static_cast<int>(v & 0xFF));
    else
        store32(cp, v & 0x00FFFFFFu); // the target has no alpha
}

// `n` pixels from `cp` and `zp`: the scalar pipeline's order, with the depth test first.
template <uint32_t F>
VANTOR_ALWAYS_INLINE void shade_run(const Raster& r, bool linear, const Interp& start,
                                    const Interp& step, uint8_t* cp, uint8_t* zp, int n) {
    constexpr bool persp = (F & F_PERSP) != 0;
    constexpr int cbytes = (F & (F_TARGET16 | F_TARGET15)) ? 2 : 4;
    constexpr int zbytes = (F & F_DEPTH32) ? 4 : 2;
    constexpr int64_t zmax = (F & F_DEPTH32) ? 16777215 : 65535;
    constexpr bool depth = (F & F_DEPTH) != 0;
    // Without a depth surface the depth attribute is not set up: it is not read at all.
    int64_t z = depth ? start.a[A_Z] : 0, u = persp ? 0 : start.a[A_U],
            v = persp ? 0 : start.a[A_V];
    float p[P_COUNT] = {};
    if (persp)
        for (int i = 0; i < P_COUNT; ++i) p[i] = start.p[i];
    __m128i colour = colour_start<F>(start);
    const __m128i colour_delta = colour_step<F>(step);
    const Lanes fog_colour = widen(r.fog_color);

    for (int i = 0; i < n; ++i, cp += cbytes, zp += depth ? zbytes : 0) {
        const auto zv = static_cast<uint32_t>(std::clamp<int64_t>(z >> 16, 0, zmax));
        int64_t tu = u, tv = v;
        if (persp) perspective_texel(p, tu, tv);
        const Lanes dif = channels(colour);
        if (depth) z += step.a[A_Z];
        if (persp) {
            for (int k = 0; k < P_COUNT; ++k) p[k] += step.p[k];
        } else {
            u += step.a[A_U];
            v += step.a[A_V];
        }
        if (F & F_GOURAUD) colour = _mm_add_epi32(colour, colour_delta);
        if (depth && !depth_stencil(F, r, zp, zv)) continue;

        const Lanes texel =
            linear ? bilinear(linear_taps<true>(r, tu, tv)) : widen(point_sample<true>(r, tu, tv));
        Lanes px = (F & F_MODULATE) ? div255(_mm_mullo_epi16(texel, dif)) : texel;
        if (F & F_FOG) {
            const Lanes fog = _mm_shufflelo_epi16(dif, _MM_SHUFFLE(3, 3, 3, 3));
            px = div255(_mm_add_epi16(_mm_mullo_epi16(px, fog),
                                      _mm_mullo_epi16(fog_colour, _mm_sub_epi16(splat(255), fog))));
        }
        if (F & F_BLEND_DARKEN)
            px = div255(_mm_mullo_epi16(read<F>(cp), _mm_sub_epi16(splat(255), px)));
        if (F & F_BLEND_ADD) {
            // Black adds nothing: the target stays exactly as it is.
            if ((narrow(px) & 0x00FFFFFFu) == 0) continue;
            px = _mm_min_epi16(_mm_add_epi16(read<F>(cp), px), splat(255));
        }
        write<F>(cp, px);
    }
}

} // namespace raster::sse2

#else

namespace raster::sse2 {

constexpr bool handles(uint32_t) {
    return false;
}
template <uint32_t F>
bool colours_fit(const double (&)[A_COUNT], const double (&)[A_COUNT], double, double) {
    return false;
}
template <uint32_t F>
void shade_run(const Raster&, bool, const Interp&, const Interp&, uint8_t*, uint8_t*, int) {}

} // namespace raster::sse2

#endif
