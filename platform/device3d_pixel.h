// The pixel arithmetic of the 3D device's rasteriser: feature bits, interpolated attributes,
// and the per-pixel operations (texture sampling, colour stage, tests, blending, pixel formats).
// Shared by the rasteriser's translation units only.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "platform/device3d_internal.h"

#if defined(__GNUC__)
#define VANTOR_ALWAYS_INLINE [[gnu::always_inline]] inline
#define VANTOR_INLINE_LAMBDA __attribute__((always_inline))
#else
#define VANTOR_ALWAYS_INLINE inline
#define VANTOR_INLINE_LAMBDA
#endif

namespace raster {

// Feature bits of a triangle function.
constexpr uint32_t F_TEX = 1u << 0;           // sample the texture
constexpr uint32_t F_PERSP = 1u << 1;         // texture coordinates divided by the reciprocal w
constexpr uint32_t F_GOURAUD = 1u << 2;       // colours vary over the triangle
constexpr uint32_t F_SPEC = 1u << 3;          // add the specular colour
constexpr uint32_t F_FOG = 1u << 4;           // blend towards the fog colour by the specular alpha
constexpr uint32_t F_ZTEST = 1u << 5;         // compare with the depth surface
constexpr uint32_t F_ZWRITE = 1u << 6;        // write the depth surface
constexpr uint32_t F_ATEST = 1u << 7;         // alpha test
constexpr uint32_t F_STENCIL = 1u << 8;       // stencil test and operations
constexpr uint32_t F_BLEND = 1u << 9;         // alpha blending with any factors
constexpr uint32_t F_BLEND_ALPHA = 1u << 10;  // alpha blending, source alpha / inverse
constexpr uint32_t F_TARGET16 = 1u << 11;     // the target is 5-6-5
constexpr uint32_t F_TARGET15 = 1u << 12;     // the target is 5-5-5
constexpr uint32_t F_DEPTH32 = 1u << 13;      // 24 depth + 8 stencil bits (else 16 depth bits)
constexpr uint32_t F_DEPTH = 1u << 14;        // depth surface in use (test, write or stencil)
constexpr uint32_t F_ALPHA = 1u << 15;        // the alpha is used (alpha test or a blend factor)
constexpr uint32_t F_TEXPOW2 = 1u << 16;      // texture sides are powers of two: wrap by masking
constexpr uint32_t F_MODULATE = 1u << 17;     // the colour stage is texture times diffuse
constexpr uint32_t F_SELECT_TEX = 1u << 18;   // the colour stage is the texture alone
constexpr uint32_t F_BLEND_DARKEN = 1u << 19; // blending (zero, inverse source colour)
constexpr uint32_t F_NOCOLOUR = 1u << 20;     // blending leaves the target as it is (zero, one)
constexpr uint32_t F_BLEND_ADD = 1u << 21;    // blending (one, one): the colours added, saturating
constexpr uint32_t k_dynamic = 1u << 31;      // the features are read at run time

// Interpolated attributes, stepped in fixed point with 16 fraction bits.
enum Attr {
    A_Z, // depth in the depth format's units
    A_U, // texels (when not perspective-correct)
    A_V,
    A_R, // diffuse, 0..255
    A_G,
    A_B,
    A_A,
    A_SR, // specular, 0..255
    A_SG,
    A_SB,
    A_FOG, // fog factor, 0..255 (255 = no fog)
    A_COUNT
};

// Perspective-correct texture coordinates, stepped in floating point: texels times the
// reciprocal w, and the reciprocal w.
enum PerspAttr {
    P_U,
    P_V,
    P_W,
    P_COUNT
};

struct Rgba {
    int r, g, b, a;
};

// Attributes at a pixel: fixed point with 16 fraction bits, and the perspective-correct texture
// coordinates in floating point.
struct Interp {
    int64_t a[A_COUNT];
    float p[P_COUNT];
};

// round(v / 255) for v in 0..65535 + 255 * 255.
inline int div255(int v) {
    v += 128;
    return (v + (v >> 8)) >> 8;
}

inline Rgba unpack_argb(uint32_t c) {
    return {static_cast<int>((c >> 16) & 0xFF), static_cast<int>((c >> 8) & 0xFF),
            static_cast<int>(c & 0xFF), static_cast<int>(c >> 24)};
}

inline Rgba modulate(const Rgba& x, const Rgba& y) {
    return {div255(x.r * y.r), div255(x.g * y.g), div255(x.b * y.b), div255(x.a * y.a)};
}

// Mix two 0xAARRGGBB values, f in 0..256 being the weight of b. Two channels per multiply.
inline uint32_t lerp_argb(uint32_t a, uint32_t b, uint32_t f) {
    const uint32_t g = 256 - f;
    const uint32_t rb = (((a & 0x00FF00FFu) * g + (b & 0x00FF00FFu) * f) >> 8) & 0x00FF00FFu;
    const uint32_t ag = (((a >> 8) & 0x00FF00FFu) * g + ((b >> 8) & 0x00FF00FFu) * f) & 0xFF00FF00u;
    return rb | ag;
}

inline bool compare(uint32_t func, uint32_t a, uint32_t b) {
    // The game's depth test, asked for every pixel: a predictable branch beats the table jump.
    if (func == CMP_LESSEQUAL) return a <= b;
    switch (func) {
    case CMP_NEVER:
        return false;
    case CMP_LESS:
        return a < b;
    case CMP_EQUAL:
        return a == b;
    case CMP_LESSEQUAL:
        return a <= b;
    case CMP_GREATER:
        return a > b;
    case CMP_NOTEQUAL:
        return a != b;
    case CMP_GREATEREQUAL:
        return a >= b;
    default:
        return true;
    }
}

inline uint32_t stencil_apply(uint32_t op, uint32_t s, uint32_t ref) {
    switch (op) {
    case STENCILOP_ZERO:
        return 0;
    case STENCILOP_REPLACE:
        return ref & 0xFF;
    case STENCILOP_INCRSAT:
        return s < 255 ? s + 1 : 255;
    case STENCILOP_DECRSAT:
        return s > 0 ? s - 1 : 0;
    case STENCILOP_INVERT:
        return ~s & 0xFF;
    case STENCILOP_INCR:
        return (s + 1) & 0xFF;
    case STENCILOP_DECR:
        return (s - 1) & 0xFF;
    default:
        return s;
    }
}

inline int blend_factor(uint32_t factor, int src, int src_alpha, int dst) {
    switch (factor) {
    case BLEND_ZERO:
        return 0;
    case BLEND_SRCCOLOR:
        return src;
    case BLEND_INVSRCCOLOR:
        return 255 - src;
    case BLEND_SRCALPHA:
        return src_alpha;
    case BLEND_INVSRCALPHA:
        return 255 - src_alpha;
    case BLEND_DESTALPHA:
        return 255;
    case BLEND_INVDESTALPHA:
        return 0;
    case BLEND_DESTCOLOR:
        return dst;
    case BLEND_INVDESTCOLOR:
        return 255 - dst;
    default:
        return 255; // BLEND_ONE
    }
}

inline int blend_channel(const Raster& r, int src, int src_alpha, int dst) {
    const int v = src * blend_factor(r.src_blend, src, src_alpha, dst) +
                  dst * blend_factor(r.dest_blend, src, src_alpha, dst);
    return std::min(div255(v), 255);
}

inline uint16_t load16(const uint8_t* p) {
    uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
}
inline uint32_t load32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}
inline void store16(uint8_t* p, uint32_t v) {
    const auto w = static_cast<uint16_t>(v);
    std::memcpy(p, &w, 2);
}
inline void store32(uint8_t* p, uint32_t v) {
    std::memcpy(p, &v, 4);
}

inline int expand5(uint32_t v) {
    return static_cast<int>((v << 3) | (v >> 2));
}
inline int expand6(uint32_t v) {
    return static_cast<int>((v << 2) | (v >> 4));
}

inline Rgba read_target(uint32_t f, const uint8_t* p) {
    if (f & F_TARGET16) {
        const uint32_t v = load16(p);
        return {expand5(v >> 11), expand6((v >> 5) & 63), expand5(v & 31), 255};
    }
    if (f & F_TARGET15) {
        const uint32_t v = load16(p);
        return {expand5((v >> 10) & 31), expand5((v >> 5) & 31), expand5(v & 31), 255};
    }
    const Rgba c = unpack_argb(load32(p));
    return {c.r, c.g, c.b, 255};
}

inline void write_target(uint32_t f, uint8_t* p, int r, int g, int b) {
    const auto ur = static_cast<uint32_t>(r), ug = static_cast<uint32_t>(g),
               ub = static_cast<uint32_t>(b);
    if (f & F_TARGET16)
        store16(p, (ur & 0xF8) << 8 | (ug & 0xFC) << 3 | ub >> 3);
    else if (f & F_TARGET15)
        store16(p, (ur & 0xF8) << 7 | (ug & 0xF8) << 2 | ub >> 3);
    else
        store32(p, ur << 16 | ug << 8 | ub);
}

template <bool Pow2> VANTOR_ALWAYS_INLINE int wrap(int64_t i, int size, int mask) {
    if (Pow2) return static_cast<int>(i & mask);
    const int64_t m = i % size;
    return static_cast<int>(m < 0 ? m + size : m);
}

// The four texels around texture coordinates in 16.16 fixed-point texels (wrapping addressing)
// and the weights of the right column and the lower row, 0..255.
struct Taps {
    uint32_t t00, t01, t10, t11;
    uint32_t fx, fy;
};

template <bool Pow2> VANTOR_ALWAYS_INLINE Taps linear_taps(const Raster& r, int64_t u, int64_t v) {
    const int w = r.tex_width, h = r.tex_height;
    // Texel centres lie half a texel in.
    u -= 0x8000;
    v -= 0x8000;
    const int x0 = wrap<Pow2>(u >> 16, w, r.tex_wmask);
    const int x1 = wrap<Pow2>((u >> 16) + 1, w, r.tex_wmask);
    const int y0 = wrap<Pow2>(v >> 16, h, r.tex_hmask);
    const int y1 = wrap<Pow2>((v >> 16) + 1, h, r.tex_hmask);
    const uint32_t* row0 = r.texels + static_cast<size_t>(y0) * w;
    const uint32_t* row1 = r.texels + static_cast<size_t>(y1) * w;
    return {row0[x0],
            row0[x1],
            row1[x0],
            row1[x1],
            static_cast<uint32_t>((u >> 8) & 0xFF),
            static_cast<uint32_t>((v >> 8) & 0xFF)};
}

template <bool Pow2>
VANTOR_ALWAYS_INLINE uint32_t point_sample(const Raster& r, int64_t u, int64_t v) {
    const int w = r.tex_width, h = r.tex_height;
    return r.texels[wrap<Pow2>(v >> 16, h, r.tex_hmask) * w + wrap<Pow2>(u >> 16, w, r.tex_wmask)];
}

// A texel at texture coordinates in 16.16 fixed-point texels; wrapping addressing.
template <bool Pow2>
VANTOR_ALWAYS_INLINE uint32_t sample(const Raster& r, bool linear, int64_t u, int64_t v) {
    if (!linear) return point_sample<Pow2>(r, u, v);
    const Taps t = linear_taps<Pow2>(r, u, v);
    return lerp_argb(lerp_argb(t.t00, t.t01, t.fx), lerp_argb(t.t10, t.t11, t.fx), t.fy);
}

// Doubles to fixed point without overflow: values extrapolated along a sliver of a triangle
// can run far out.
inline int64_t fix64(double v, double limit) {
    if (std::isnan(v)) return 0;
    return static_cast<int64_t>(std::clamp(v, -limit, limit));
}

// A channel from its 16.16 interpolator.
inline int channel(int64_t v) {
    return static_cast<int>(std::clamp<int64_t>(v >> 16, 0, 255));
}

// Perspective-correct texture coordinates, 16.16 texels, from their values times the
// reciprocal w.
VANTOR_ALWAYS_INLINE void perspective_texel(const float (&p)[P_COUNT], int64_t& tu, int64_t& tv) {
    const float w = p[P_W] != 0.0f ? 1.0f / p[P_W] : 0.0f;
    tu = fix64(double(p[P_U] * w) * 65536.0, 0x1p60);
    tv = fix64(double(p[P_V] * w) * 65536.0, 0x1p60);
}

// The stencil and depth stage of one pixel; applies the stencil operations and the depth write,
// and tells whether the pixel goes on.
VANTOR_ALWAYS_INLINE bool depth_stencil(uint32_t f, const Raster& r, uint8_t* zp, uint32_t z) {
    uint32_t word = (f & F_DEPTH32) ? load32(zp) : load16(zp);
    const uint32_t stored = (f & F_DEPTH32) ? word >> 8 : word;
    if (f & F_STENCIL) {
        const uint32_t s = (f & F_DEPTH32) ? word & 0xFF : 0;
        const bool stencil_pass =
            compare(r.stencil_func, r.stencil_ref & r.stencil_mask, s & r.stencil_mask);
        const bool z_pass = !(f & F_ZTEST) || compare(r.z_func, z, stored);
        if (f & F_DEPTH32) {
            const uint32_t op = !stencil_pass ? r.stencil_fail
                                : !z_pass     ? r.stencil_zfail
                                              : r.stencil_pass;
            const uint32_t wm = r.stencil_write_mask & 0xFF;
            const uint32_t ns = (s & ~wm) | (stencil_apply(op, s, r.stencil_ref) & wm);
            word = (word & 0xFFFFFF00u) | ns;
        }
        if (!stencil_pass || !z_pass) {
            if (f & F_DEPTH32) store32(zp, word);
            return false;
        }
    } else if ((f & F_ZTEST) && !compare(r.z_func, z, stored)) {
        return false;
    }
    if (f & F_ZWRITE) word = (f & F_DEPTH32) ? (z << 8) | (word & 0xFF) : z;
    if (f & (F_ZWRITE | F_STENCIL)) {
        if (f & F_DEPTH32)
            store32(zp, word);
        else
            store16(zp, word);
    }
    return true;
}

inline Rgba stage_argument(uint8_t arg, const Rgba& diffuse, const Rgba& texel) {
    return arg == TA_TEXTURE ? texel : diffuse;
}

VANTOR_ALWAYS_INLINE Rgba stage_result(uint8_t op, uint8_t arg1, uint8_t arg2, const Rgba& diffuse,
                                       const Rgba& texel) {
    switch (op) {
    case TOP_SELECTARG1:
        return stage_argument(arg1, diffuse, texel);
    case TOP_SELECTARG2:
        return stage_argument(arg2, diffuse, texel);
    case TOP_MODULATE:
        return modulate(stage_argument(arg1, diffuse, texel), stage_argument(arg2, diffuse, texel));
    default:
        return diffuse;
    }
}

// The triangle function specialised for a set of features, or the general one.
TriangleFn triangle_function(uint32_t features);
// The one that reads the features at run time: the reference the specialised ones must match.
TriangleFn generic_triangle_function();

} // namespace raster
