// The rasteriser of the 3D device: the pixel pipeline over a run of pixels, triangle set-up and
// edge walking, lines and points.
//
// [SECTION] The pixel pipeline
// [SECTION] Triangles
// [SECTION] Which triangle function
// [SECTION] Lines and points
//
// The pixel pipeline runs in the order of the fixed-function devices: texture stage, specular
// add, fog, alpha test, stencil and depth test (with their stencil operations), blending, write.
// When nothing can discard a pixel before the depth test, the depth test runs first so hidden
// pixels cost no texturing.
//
// Speed: the game's characters are thousands of triangles of a few pixels each, so the costs per
// triangle and per run of pixels count as much as the cost per pixel. A triangle function is a
// template over a set of feature bits; set-up, row walking and pixel pipeline are compiled
// together for the families the game draws (characters in all their variants, blob shadows, the
// full-screen quads), where every feature test is a constant, and the runs of characters and blob
// shadows go through the SSE2 pipeline (device3d_sse2.h). Anything else runs the same code with
// the features read at run time. Attributes step in fixed point from pixel to pixel and from row
// to row.
#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <utility>

#include "platform/device3d_pixel.h"
#include "platform/device3d_sse2.h"

using namespace raster;

// A triangle after culling: corners sorted top to bottom, and what holds for all its pixels.
struct Triangle {
    struct Corner {
        int64_t x, y; // 1/16 pixel
        const RasterVertex* v;
    } k[3];
    const RasterVertex* flat; // whose colours a flat-shaded triangle takes
    uint32_t features;
    bool linear;                // texture filter for its footprint
    int y_top, y_mid, y_bottom; // first row, first row below the middle corner, row after last
    bool long_left;             // the edge from top to bottom corner bounds the rows on the left
};

namespace {

// ---------------------------------------------------------------------------------------------
// [SECTION] The pixel pipeline
// ---------------------------------------------------------------------------------------------

constexpr uint32_t bit(int a) {
    return 1u << a;
}

// The fixed-point attributes a set of features reads.
constexpr uint32_t used_attrs(uint32_t f) {
    if (f & F_NOCOLOUR) return (f & F_DEPTH) ? bit(A_Z) : 0u;
    uint32_t m = bit(A_R) | bit(A_G) | bit(A_B);
    if (f & F_DEPTH) m |= bit(A_Z);
    if ((f & F_TEX) && !(f & F_PERSP)) m |= bit(A_U) | bit(A_V);
    if (f & F_ALPHA) m |= bit(A_A);
    if (f & F_SPEC) m |= bit(A_SR) | bit(A_SG) | bit(A_SB);
    if (f & F_FOG) m |= bit(A_FOG);
    return m;
}

// Those that change from pixel to pixel: colours only when they differ between the corners.
constexpr uint32_t stepped_attrs(uint32_t f) {
    constexpr uint32_t colours =
        bit(A_R) | bit(A_G) | bit(A_B) | bit(A_A) | bit(A_SR) | bit(A_SG) | bit(A_SB) | bit(A_FOG);
    return used_attrs(f) & ((f & F_GOURAUD) ? ~0u : ~colours);
}

// Call fn(a) for every attribute of the used (or only the stepped) set. For a feature set known
// at compile time the calls are unrolled with constant indices, so the attributes live in
// registers.
template <uint32_t F, bool Stepped, typename Fn>
VANTOR_ALWAYS_INLINE void for_attrs(uint32_t f, Fn&& fn) {
    if constexpr ((F & k_dynamic) != 0) {
        const uint32_t m = Stepped ? stepped_attrs(f) : used_attrs(f);
        for (int i = 0; i < A_COUNT; ++i)
            if (m & bit(i)) fn(i);
    } else {
        constexpr uint32_t m = Stepped ? stepped_attrs(F) : used_attrs(F);
        [&]<int... I>(std::integer_sequence<int, I...>) {
            ((m & bit(I) ? fn(I) : void()), ...);
        }
        (std::make_integer_sequence<int, A_COUNT>{});
    }
}

// A run of pixels all in one colour blended over a 32-bit target by its alpha (the darkening
// quad, the subtitle panel): two channels per multiply.
void blend_constant_run(uint8_t* p, int n, const Rgba& c) {
    const auto a = static_cast<uint32_t>(c.a), ia = 255 - a;
    const uint32_t src_rb =
        (static_cast<uint32_t>(c.r) * a << 16 | static_cast<uint32_t>(c.b) * a) + 0x00800080u;
    const uint32_t src_g = static_cast<uint32_t>(c.g) * a + 0x80u;
    for (int i = 0; i < n; ++i, p += 4) {
        const uint32_t d = load32(p);
        uint32_t rb = (d & 0x00FF00FFu) * ia + src_rb;
        rb = ((rb + ((rb >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
        uint32_t g = ((d >> 8) & 0xFFu) * ia + src_g;
        g = ((g + (g >> 8)) >> 8) & 0xFFu;
        store32(p, rb | g << 8);
    }
}

// Pixels x0..x1-1 of row y, attributes starting at `start` and changing by `step` per pixel.
// `lanes`: the colours fit the SSE2 pipeline's lanes, for the feature sets it handles.
template <uint32_t F>
VANTOR_ALWAYS_INLINE void shade_run(const Raster& r, uint32_t features, bool linear, bool lanes,
                                    const Interp& start, const Interp& step, int y, int x0,
                                    int x1) {
    const uint32_t f = (F & k_dynamic) ? features : F;
    const int cbytes = (f & (F_TARGET16 | F_TARGET15)) ? 2 : 4;
    const int zbytes = (f & F_DEPTH32) ? 4 : 2;
    uint8_t* cp = r.colour + static_cast<size_t>(y) * r.colour_pitch + x0 * cbytes;
    uint8_t* zp =
        (f & F_DEPTH) ? r.depth + static_cast<size_t>(y) * r.depth_pitch + x0 * zbytes : nullptr;

    if constexpr (F == (F_BLEND_ALPHA | F_ALPHA)) {
        blend_constant_run(cp, x1 - x0,
                           {channel(start.a[A_R]), channel(start.a[A_G]), channel(start.a[A_B]),
                            channel(start.a[A_A])});
        return;
    }
    if (f & F_NOCOLOUR) {
        // The target keeps its colour: only the depth and stencil tests and writes are left.
        if (!(f & F_DEPTH)) return;
        const int64_t zlimit = (f & F_DEPTH32) ? 16777215 : 65535;
        int64_t z = start.a[A_Z];
        for (int x = x0; x < x1; ++x, zp += zbytes, z += step.a[A_Z])
            depth_stencil(f, r, zp, static_cast<uint32_t>(std::clamp<int64_t>(z >> 16, 0, zlimit)));
        return;
    }
    if constexpr (sse2::handles(F)) {
        if (lanes) {
            sse2::shade_run<F>(r, linear, start, step, cp, zp, x1 - x0);
            return;
        }
    }

    int64_t a[A_COUNT];
    for_attrs<F, false>(f, [&](int i) VANTOR_INLINE_LAMBDA { a[i] = start.a[i]; });
    float p[P_COUNT];
    if ((f & F_TEX) && (f & F_PERSP))
        for (int i = 0; i < P_COUNT; ++i) p[i] = start.p[i];
    const int64_t zmax = (f & F_DEPTH32) ? 16777215 : 65535;
    const Rgba fog_colour = unpack_argb(r.fog_color);

    for (int x = x0; x < x1; ++x, cp += cbytes, zp += (f & F_DEPTH) ? zbytes : 0) {
        uint32_t zv = 0;
        if (f & F_DEPTH) zv = static_cast<uint32_t>(std::clamp<int64_t>(a[A_Z] >> 16, 0, zmax));
        int64_t tu = 0, tv = 0;
        if (f & F_TEX) {
            if (f & F_PERSP) {
                perspective_texel(p, tu, tv);
            } else {
                tu = a[A_U];
                tv = a[A_V];
            }
        }
        Rgba dif{channel(a[A_R]), channel(a[A_G]), channel(a[A_B]), 255};
        if (f & F_ALPHA) dif.a = channel(a[A_A]);
        Rgba specular{};
        if (f & F_SPEC) specular = {channel(a[A_SR]), channel(a[A_SG]), channel(a[A_SB]), 0};
        const int fog = (f & F_FOG) ? channel(a[A_FOG]) : 255;

        // Advance every interpolator now: the pixel may end early below.
        for_attrs<F, true>(f, [&](int i) VANTOR_INLINE_LAMBDA { a[i] += step.a[i]; });
        if ((f & F_TEX) && (f & F_PERSP))
            for (int i = 0; i < P_COUNT; ++i) p[i] += step.p[i];

        const bool early_depth = (f & F_DEPTH) && !(f & F_ATEST);
        if (early_depth && !depth_stencil(f, r, zp, zv)) continue;

        Rgba texel{};
        if (f & F_TEX)
            texel = unpack_argb((f & F_TEXPOW2) ? sample<true>(r, linear, tu, tv)
                                                : sample<false>(r, linear, tu, tv));
        Rgba px = (f & F_MODULATE) ? modulate(texel, dif)
                  : (f & F_SELECT_TEX)
                      ? texel
                      : stage_result(r.colour_op, r.colour_arg1, r.colour_arg2, dif, texel);
        if (f & F_ALPHA) px.a = stage_result(r.alpha_op, r.alpha_arg1, r.alpha_arg2, dif, texel).a;
        if (f & F_SPEC) {
            px.r = std::min(px.r + specular.r, 255);
            px.g = std::min(px.g + specular.g, 255);
            px.b = std::min(px.b + specular.b, 255);
        }
        if (f & F_FOG) {
            px.r = div255(px.r * fog + fog_colour.r * (255 - fog));
            px.g = div255(px.g * fog + fog_colour.g * (255 - fog));
            px.b = div255(px.b * fog + fog_colour.b * (255 - fog));
        }
        if ((f & F_ATEST) && !compare(r.alpha_func, static_cast<uint32_t>(px.a), r.alpha_ref))
            continue;
        if ((f & F_DEPTH) && !early_depth && !depth_stencil(f, r, zp, zv)) continue;

        // A black texel of a darkening or adding blend leaves the target exactly as it is.
        if ((f & (F_BLEND_DARKEN | F_BLEND_ADD)) && (px.r | px.g | px.b) == 0) continue;
        if (f & (F_BLEND | F_BLEND_ALPHA | F_BLEND_DARKEN | F_BLEND_ADD)) {
            const Rgba dst = read_target(f, cp);
            if (f & F_BLEND_ADD) {
                px.r = std::min(px.r + dst.r, 255);
                px.g = std::min(px.g + dst.g, 255);
                px.b = std::min(px.b + dst.b, 255);
            } else if (f & F_BLEND_DARKEN) {
                px.r = div255(dst.r * (255 - px.r));
                px.g = div255(dst.g * (255 - px.g));
                px.b = div255(dst.b * (255 - px.b));
            } else if (f & F_BLEND_ALPHA) {
                px.r = div255(px.r * px.a + dst.r * (255 - px.a));
                px.g = div255(px.g * px.a + dst.g * (255 - px.a));
                px.b = div255(px.b * px.a + dst.b * (255 - px.a));
            } else {
                px.r = blend_channel(r, px.r, px.a, dst.r);
                px.g = blend_channel(r, px.g, px.a, dst.g);
                px.b = blend_channel(r, px.b, px.a, dst.b);
            }
        }
        write_target(f, cp, px.r, px.g, px.b);
    }
}

// ---------------------------------------------------------------------------------------------
// [SECTION] Triangles
// ---------------------------------------------------------------------------------------------

// Vertices further out than this are not drawn: the fixed-point edge arithmetic stays exact.
constexpr double k_guard_band = 4194304.0;

int64_t floor_div(int64_t a, int64_t b) {
    int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

// Pixel row or column of the first pixel centre at or after a 1/16-pixel coordinate.
int ceil16(int64_t v) {
    return static_cast<int>((v + 15) >> 4); // an arithmetic shift: the floor
}

// A screen coordinate in 1/16 pixel, rounded to nearest.
int64_t snap(float v) {
    const double s = double(v) * 16.0 + 0.5;
    const auto t = static_cast<int64_t>(s);
    return t - (static_cast<double>(t) > s ? 1 : 0);
}

bool inside_guard(const RasterVertex& v) {
    return std::fabs(v.x) <= k_guard_band && std::fabs(v.y) <= k_guard_band;
}

// An edge walked down the rows: x is the first pixel whose centre is at or right of the edge.
// Exact integer stepping, so two triangles sharing an edge split its pixels without gap or
// overlap.
struct Edge {
    int64_t x = 0, rem = 0, x_step = 0, rem_step = 0, den = 1;

    void start(const Triangle::Corner& a, const Triangle::Corner& b, int row) {
        const int64_t dy = b.y - a.y, dx = b.x - a.x;
        den = 16 * dy;
        const int64_t n = a.x * dy + (16 * int64_t{row} - a.y) * dx + den - 1;
        x = floor_div(n, den);
        rem = n - x * den;
        x_step = floor_div(16 * dx, den);
        rem_step = 16 * dx - x_step * den;
    }
    // To the next row; true when x moved one further than x_step.
    bool step() {
        x += x_step;
        rem += rem_step;
        if (rem < den) return false;
        ++x;
        rem -= den;
        return true;
    }
};

// A vertex's attributes in their own units (before the fraction bits).
struct Values {
    double a[A_COUNT];
    float p[P_COUNT];
};

// Only what the features read: with the features known at compile time the rest is never
// computed.
VANTOR_ALWAYS_INLINE void vertex_values(const Raster& r, const RasterVertex& v,
                                        const RasterVertex& colours, uint32_t f, Values& out) {
    const uint32_t used = used_attrs(f);
    const auto w = static_cast<float>(r.tex_width), h = static_cast<float>(r.tex_height);
    if (used & bit(A_Z)) out.a[A_Z] = double(v.z) * r.z_scale;
    if (used & bit(A_U)) out.a[A_U] = double(v.u) * w;
    if (used & bit(A_V)) out.a[A_V] = double(v.v) * h;
    const Rgba d = unpack_argb(colours.diffuse), s = unpack_argb(colours.specular);
    out.a[A_R] = d.r;
    out.a[A_G] = d.g;
    out.a[A_B] = d.b;
    if (used & bit(A_A)) out.a[A_A] = d.a;
    if (used & bit(A_SR)) {
        out.a[A_SR] = s.r;
        out.a[A_SG] = s.g;
        out.a[A_SB] = s.b;
    }
    if (used & bit(A_FOG)) out.a[A_FOG] = s.a;
    if ((f & F_TEX) && (f & F_PERSP)) {
        out.p[P_U] = v.u * w * v.rhw;
        out.p[P_V] = v.v * h * v.rhw;
        out.p[P_W] = v.rhw;
    }
}

// 16 fraction bits. Values extrapolated along a sliver of a triangle can run far out; they are
// bounded here and clamped per pixel.
inline int64_t to_fixed(double v) {
    return fix64(v * 65536.0, 0x1p62);
}

// Set up and fill a triangle: attribute planes from the corners, then the rows between its
// edges. Fixed-point attributes are kept at the left edge's pixel of the current row and carried
// down by the plane's steps.
template <uint32_t F> void fill_triangle(const Raster& r, const Triangle& t) {
    const uint32_t f = (F & k_dynamic) ? t.features : F;
    const bool persp = (f & F_TEX) && (f & F_PERSP);
    const Triangle::Corner(&k)[3] = t.k;

    Values v[3];
    for (int i = 0; i < 3; ++i) vertex_values(r, *k[i].v, r.flat ? *t.flat : *k[i].v, f, v[i]);
    const double x1 = double(k[1].x - k[0].x) / 16, y1 = double(k[1].y - k[0].y) / 16;
    const double x2 = double(k[2].x - k[0].x) / 16, y2 = double(k[2].y - k[0].y) / 16;
    const double inv = 1.0 / (x1 * y2 - x2 * y1);
    const double ox = double(k[0].x) / 16, oy = double(k[0].y) / 16;

    // Plane of each stepped attribute: value = v0 + (x - ox) dx + (y - oy) dy.
    double dx[A_COUNT], dy[A_COUNT];
    Interp at, step, down;
    for_attrs<F, false>(f, [&](int a) VANTOR_INLINE_LAMBDA { at.a[a] = to_fixed(v[0].a[a]); });
    for_attrs<F, true>(f, [&](int a) VANTOR_INLINE_LAMBDA {
        const double d1 = v[1].a[a] - v[0].a[a], d2 = v[2].a[a] - v[0].a[a];
        dx[a] = (d1 * y2 - d2 * y1) * inv;
        dy[a] = (d2 * x1 - d1 * x2) * inv;
        step.a[a] = fix64(dx[a] * 65536.0, 0x1p40);
        down.a[a] = fix64(dy[a] * 65536.0, 0x1p40);
    });
    float pdx[P_COUNT], pdy[P_COUNT];
    if (persp) {
        for (int a = 0; a < P_COUNT; ++a) {
            const double d1 = v[1].p[a] - v[0].p[a], d2 = v[2].p[a] - v[0].p[a];
            step.p[a] = pdx[a] = static_cast<float>((d1 * y2 - d2 * y1) * inv);
            pdy[a] = static_cast<float>((d2 * x1 - d1 * x2) * inv);
        }
    }

    bool lanes = false;
    if constexpr (sse2::handles(F)) {
        const int64_t x_min = std::min({k[0].x, k[1].x, k[2].x});
        const int64_t x_max = std::max({k[0].x, k[1].x, k[2].x});
        lanes = sse2::colours_fit<F>(dx, dy, double(x_max - x_min) / 16 + 2,
                                     double(t.y_bottom - t.y_top) + 2);
    }

    auto rows = [&](Edge& left, Edge& right, int first, int end) {
        for_attrs<F, true>(f, [&](int a) VANTOR_INLINE_LAMBDA {
            at.a[a] =
                to_fixed(v[0].a[a] + (double(left.x) - ox) * dx[a] + (double(first) - oy) * dy[a]);
        });
        // Down one row the left edge moves x_step or x_step + 1 pixels.
        Interp down_left;
        for_attrs<F, true>(f, [&](int a) VANTOR_INLINE_LAMBDA {
            down_left.a[a] = down.a[a] + step.a[a] * left.x_step;
        });
        for (int y = first; y < end; ++y) {
            const int64_t xs = std::max<int64_t>(left.x, r.clip_x0);
            const int64_t xe = std::min<int64_t>(right.x, r.clip_x1);
            if (xs < xe) {
                Interp run;
                for_attrs<F, false>(f, [&](int a) VANTOR_INLINE_LAMBDA { run.a[a] = at.a[a]; });
                if (xs != left.x)
                    for_attrs<F, true>(f, [&](int a) VANTOR_INLINE_LAMBDA {
                        run.a[a] += step.a[a] * (xs - left.x);
                    });
                if (persp) {
                    const auto fx = static_cast<float>(double(xs) - ox);
                    const auto fy = static_cast<float>(double(y) - oy);
                    for (int a = 0; a < P_COUNT; ++a)
                        run.p[a] = v[0].p[a] + fx * pdx[a] + fy * pdy[a];
                }
                shade_run<F>(r, f, t.linear, lanes, run, step, y, static_cast<int>(xs),
                             static_cast<int>(xe));
            }
            const bool further = left.step();
            right.step();
            for_attrs<F, true>(f, [&](int a) VANTOR_INLINE_LAMBDA {
                at.a[a] += down_left.a[a];
                if (further) at.a[a] += step.a[a];
            });
        }
    };

    Edge longest, upper, lower;
    longest.start(k[0], k[2], t.y_top);
    const int upper_end = std::min(t.y_mid, t.y_bottom);
    if (t.y_top < upper_end) {
        upper.start(k[0], k[1], t.y_top);
        if (t.long_left)
            rows(longest, upper, t.y_top, upper_end);
        else
            rows(upper, longest, t.y_top, upper_end);
    }
    const int lower_start = std::max(t.y_mid, t.y_top);
    if (lower_start < t.y_bottom) {
        lower.start(k[1], k[2], lower_start);
        if (t.long_left)
            rows(longest, lower, lower_start, t.y_bottom);
        else
            rows(lower, longest, lower_start, t.y_bottom);
    }
}

bool colours_vary(const Raster& r, const Triangle::Corner (&k)[3]) {
    if (r.flat) return false;
    const uint32_t spec_mask =
        (r.features & F_SPEC ? 0x00FFFFFFu : 0) | (r.features & F_FOG ? 0xFF000000u : 0);
    for (int i = 1; i < 3; ++i) {
        if (k[i].v->diffuse != k[0].v->diffuse) return true;
        if (((k[i].v->specular ^ k[0].v->specular) & spec_mask) != 0) return true;
    }
    return false;
}

// Point or linear filtering: minification when the texture spans more texels than the
// triangle spans pixels.
bool linear_for(const Raster& r, const RasterVertex& a, const RasterVertex& b,
                const RasterVertex& c) {
    const auto w = static_cast<float>(r.tex_width), h = static_cast<float>(r.tex_height);
    const float texels = std::max({std::fabs(b.u - a.u) * w, std::fabs(c.u - a.u) * w,
                                   std::fabs(b.v - a.v) * h, std::fabs(c.v - a.v) * h});
    const float pixels = std::max(
        {std::fabs(b.x - a.x), std::fabs(c.x - a.x), std::fabs(b.y - a.y), std::fabs(c.y - a.y)});
    return texels > pixels ? r.min_linear : r.mag_linear;
}

// ---------------------------------------------------------------------------------------------
// [SECTION] Which triangle function
// ---------------------------------------------------------------------------------------------

// Feature sets with their own instantiation: each family's base with every combination of its
// options.
struct Family {
    uint32_t base, options;
};
constexpr Family k_families[] = {
    // characters: lit, textured, against the depth picture
    {F_TEX | F_TEXPOW2 | F_MODULATE | F_ZTEST | F_ZWRITE | F_DEPTH,
     F_GOURAUD | F_PERSP | F_FOG | F_DEPTH32 | F_TARGET16},
    // blob shadows
    {F_TEX | F_TEXPOW2 | F_SELECT_TEX | F_BLEND_DARKEN | F_ZTEST | F_DEPTH,
     F_PERSP | F_DEPTH32 | F_TARGET16},
    // a blended full-screen quad, and the shadow darkening pass
    {F_BLEND_ALPHA | F_ALPHA, F_TARGET16},
    {F_BLEND_ALPHA | F_ALPHA | F_STENCIL | F_DEPTH | F_DEPTH32, F_TARGET16},
    // characters clearing the stencil where they are drawn, over the shadow volumes
    {F_TEX | F_TEXPOW2 | F_MODULATE | F_ZTEST | F_ZWRITE | F_STENCIL | F_DEPTH | F_DEPTH32,
     F_GOURAUD | F_PERSP | F_FOG | F_TARGET16},
    // shadow volumes, counted into the stencil alone
    {F_NOCOLOUR | F_ZTEST | F_STENCIL | F_DEPTH | F_DEPTH32, F_TARGET16},
    // additive effects: flames against the depth picture, and glows over everything
    {F_TEX | F_TEXPOW2 | F_MODULATE | F_BLEND_ADD | F_ZTEST | F_DEPTH, F_DEPTH32 | F_TARGET16},
    {F_TEX | F_TEXPOW2 | F_MODULATE | F_BLEND_ADD, F_TARGET16},
};

constexpr size_t special_count() {
    size_t n = 0;
    for (const Family& fam : k_families) n += size_t{1} << std::popcount(fam.options);
    return n;
}

constexpr std::array<uint32_t, special_count()> special_sets() {
    std::array<uint32_t, special_count()> out{};
    size_t n = 0;
    for (const Family& fam : k_families) {
        // Every subset of the options, walked as the sub-masks of the option bits.
        uint32_t sub = 0;
        do {
            out[n++] = fam.base | sub;
            sub = (sub - fam.options) & fam.options;
        } while (sub != 0);
    }
    return out;
}

constexpr auto k_special = special_sets();

template <size_t... I>
constexpr std::array<TriangleFn, sizeof...(I)> special_table(std::index_sequence<I...>) {
    return {&fill_triangle<k_special[I]>...};
}

constexpr auto k_special_fns = special_table(std::make_index_sequence<std::size(k_special)>());

} // namespace

TriangleFn raster::triangle_function(uint32_t features) {
    for (size_t i = 0; i < std::size(k_special); ++i)
        if (k_special[i] == features) return k_special_fns[i];
    return generic_triangle_function();
}

TriangleFn raster::generic_triangle_function() {
    return &fill_triangle<k_dynamic>;
}

void raster_triangle(const Raster& r, const RasterVertex& a, const RasterVertex& b,
                     const RasterVertex& c, const RasterVertex& flat) {
    if (!inside_guard(a) || !inside_guard(b) || !inside_guard(c)) return;
    Triangle t{{{snap(a.x), snap(a.y), &a}, {snap(b.x), snap(b.y), &b}, {snap(c.x), snap(c.y), &c}},
               &flat};
    auto& k = t.k;
    const int64_t area =
        (k[1].x - k[0].x) * (k[2].y - k[0].y) - (k[2].x - k[0].x) * (k[1].y - k[0].y);
    // With y pointing down, a positive area runs clockwise on the screen.
    if (area == 0 || (r.cull == CULL_CW && area > 0) || (r.cull == CULL_CCW && area < 0)) return;

    if (k[1].y < k[0].y) std::swap(k[0], k[1]);
    if (k[2].y < k[1].y) std::swap(k[1], k[2]);
    if (k[1].y < k[0].y) std::swap(k[0], k[1]);
    t.y_top = std::max(ceil16(k[0].y), r.clip_y0);
    t.y_mid = ceil16(k[1].y);
    t.y_bottom = std::min(ceil16(k[2].y), r.clip_y1);
    if (t.y_top >= t.y_bottom) return;
    const int64_t x_min = std::min({k[0].x, k[1].x, k[2].x});
    const int64_t x_max = std::max({k[0].x, k[1].x, k[2].x});
    if (ceil16(x_max + 1) <= r.clip_x0 || ceil16(x_min) >= r.clip_x1) return;

    const bool persp = (r.features & F_TEX) && r.perspective && !(a.rhw == b.rhw && a.rhw == c.rhw);
    const bool gouraud = colours_vary(r, k);
    t.features = r.features | (persp ? F_PERSP : 0u) | (gouraud ? F_GOURAUD : 0u);
    t.linear = (r.features & F_TEX) && linear_for(r, a, b, c);
    // Which side the middle corner lies on decides which edges bound the rows on the left.
    t.long_left = (k[1].x - k[0].x) * (k[2].y - k[0].y) - (k[2].x - k[0].x) * (k[1].y - k[0].y) > 0;
    r.triangle[persp][gouraud](r, t);
}

// ---------------------------------------------------------------------------------------------
// [SECTION] Lines and points
// ---------------------------------------------------------------------------------------------

namespace {

// The pixel whose centre is nearest, ties going up and left (the top-left convention).
int pixel_of(float v) {
    return static_cast<int>(std::ceil(v - 0.5f));
}

// One pixel of a line at t between its ends (a point: a == b).
void shade_pixel(const Raster& r, const RasterVertex& a, const RasterVertex& b, float t, int x,
                 int y) {
    if (x < r.clip_x0 || x >= r.clip_x1 || y < r.clip_y0 || y >= r.clip_y1) return;
    const uint32_t used = used_attrs(r.features);
    Values va, vb;
    vertex_values(r, a, a, r.features, va);
    vertex_values(r, b, r.flat ? a : b, r.features, vb);
    Interp start{}, none{};
    for (int i = 0; i < A_COUNT; ++i)
        if (used & bit(i)) start.a[i] = to_fixed(va.a[i] + (vb.a[i] - va.a[i]) * t);
    shade_run<k_dynamic>(r, r.features, r.mag_linear, false, start, none, y, x, x + 1);
}

} // namespace

void raster_line(const Raster& r, const RasterVertex& a, const RasterVertex& b) {
    if (!inside_guard(a) || !inside_guard(b)) return;
    const float dx = b.x - a.x, dy = b.y - a.y;
    const bool x_major = std::fabs(dx) >= std::fabs(dy);
    const float along = x_major ? dx : dy;
    if (along == 0.0f) return;
    // Pixels along the major axis from the first end up to, not including, the last: a line
    // strip draws each joint once.
    const float from = x_major ? a.x : a.y;
    int first = pixel_of(from), last = pixel_of(x_major ? b.x : b.y);
    const int dir = last >= first ? 1 : -1;
    // Only the part over the clip rectangle is walked.
    const int lo = x_major ? r.clip_x0 : r.clip_y0, hi = x_major ? r.clip_x1 : r.clip_y1;
    if (dir > 0) {
        first = std::max(first, lo);
        last = std::max(std::min(last, hi), first);
    } else {
        first = std::min(first, hi - 1);
        last = std::min(std::max(last, lo - 1), first);
    }
    for (int i = first; i != last; i += dir) {
        const float t = std::clamp((static_cast<float>(i) - from) / along, 0.0f, 1.0f);
        const int minor = pixel_of(x_major ? a.y + dy * t : a.x + dx * t);
        shade_pixel(r, a, b, t, x_major ? i : minor, x_major ? minor : i);
    }
}

void raster_point(const Raster& r, const RasterVertex& v) {
    if (!inside_guard(v)) return;
    shade_pixel(r, v, v, 0.0f, pixel_of(v.x), pixel_of(v.y));
}
