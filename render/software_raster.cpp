#include "render/software_raster.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "render/transforms.h"

namespace {

constexpr int k_width = 640;
constexpr int k_height = 480;

// A triangle corner in the rasteriser's integers.
struct Corner {
    int64_t x = 0, y = 0, depth = 0;
    std::array<int32_t, 4> colour{}; // bytes: blue, green, red, alpha
    uint32_t specular = 0;
    int32_t u = 0, v = 0;
};

std::array<int32_t, 4> colour_bytes(uint32_t c) {
    return {static_cast<int32_t>(c & 0xFF), static_cast<int32_t>((c >> 8) & 0xFF),
            static_cast<int32_t>((c >> 16) & 0xFF), static_cast<int32_t>(c >> 24)};
}

Corner corner_of(const ScreenVertex& v, bool round) {
    Corner c;
    const auto whole = [round](float f) {
        return static_cast<int64_t>(software_int(round ? std::nearbyint(f) : f));
    };
    c.x = whole(v.x);
    c.y = whole(v.y);
    c.depth = whole(v.z);
    c.colour = colour_bytes(v.colour);
    c.specular = v.specular;
    c.u = static_cast<int32_t>(whole(v.u));
    c.v = static_cast<int32_t>(whole(v.v));
    return c;
}

void widen(TrackedRect& r, int64_t x0, int64_t x1, int64_t y0, int64_t y1) {
    r.min_x = static_cast<int32_t>(std::min<int64_t>(r.min_x, std::clamp<int64_t>(x0, 0, 639)));
    r.max_x = static_cast<int32_t>(std::max<int64_t>(r.max_x, std::clamp<int64_t>(x1, 0, 639)));
    r.min_y = static_cast<int32_t>(std::min<int64_t>(r.min_y, std::clamp<int64_t>(y0, 0, 479)));
    r.max_y = static_cast<int32_t>(std::max<int64_t>(r.max_y, std::clamp<int64_t>(y1, 0, 479)));
}

void scan(SoftwareRaster& r, Corner p, Corner q, std::vector<EdgeEntry>& table) {
    if (p.y > q.y) std::swap(p, q);
    if (p.y == q.y || q.y < 0 || p.y > k_height - 1) return;
    const int64_t rows = q.y - p.y;
    std::array<int64_t, 4> cstep{};
    for (size_t c = 0; c < 4; ++c)
        cstep[c] = rows < 65536 ? colour_step(r.division, q.colour[c] - p.colour[c],
                                              static_cast<int32_t>(rows))
                                : 0;
    // Depths outside 0..65535 (the shadow strips are not range-tested) are held at its ends, so
    // the unsigned 16.16 entry never wraps.
    const int64_t p_depth = std::clamp<int64_t>(p.depth, 0, 65535) * 65536;
    const int64_t q_depth = std::clamp<int64_t>(q.depth, 0, 65535) * 65536;
    const int64_t dstep = (q_depth - p_depth) / rows;
    const int64_t ustep = (q.u - p.u) / rows, vstep = (q.v - p.v) / rows;
    const int64_t y0 = std::max<int64_t>(p.y, 0), y1 = std::min<int64_t>(q.y, k_height - 1);
    int64_t min_x = INT64_MAX, max_x = INT64_MIN;
    for (int64_t y = y0; y <= y1; ++y) {
        const int64_t k = y - p.y;
        EdgeEntry& e = table[static_cast<size_t>(y)];
        const int64_t x = p.x + (q.x - p.x) * k / rows;
        e.x = static_cast<int32_t>(std::clamp<int64_t>(x, -1000000, 1000000));
        for (size_t c = 0; c < 4; ++c)
            e.colour[c] = static_cast<int32_t>(p.colour[c] * 256 + cstep[c] * k);
        e.depth = static_cast<uint32_t>(p_depth + dstep * k);
        e.u = static_cast<int32_t>(p.u + ustep * k);
        e.v = static_cast<int32_t>(p.v + vstep * k);
        min_x = std::min(min_x, x);
        max_x = std::max(max_x, x);
    }
    widen(r.triangle, min_x, max_x, y0, y1);
}

// The texel of the current texture at a texture position, as 1.15 fractions.
const uint16_t* texel(const PaletteTexture* texture, int64_t u, int64_t v) {
    static const uint16_t white[4] = {32767, 32767, 32767, 32767};
    if (texture == nullptr) return white;
    const size_t i = static_cast<size_t>(((v >> 8) & 255) * 256 + ((u >> 8) & 255));
    return texture->palette[texture->indices[i]];
}

int32_t modulate(int64_t colour, uint16_t p) {
    const int64_t c = std::clamp<int64_t>(colour >> 7, 0, 511);
    return static_cast<int32_t>(std::min<int64_t>(255, (c * p) >> 16));
}

enum class SpanMode {
    lit,
    shadow,
    textured
};

struct Span {
    int64_t depth;
    std::array<int64_t, 4> colour;
    int64_t u, v;
};

void store_pixel(const SoftwareTargets& t, int64_t x, int64_t y, uint32_t pixel) {
    uint8_t* row = t.frame + y * t.pitch;
    if (t.bpp == 32) {
        std::memcpy(row + x * 4, &pixel, 4);
    } else {
        const uint16_t p16 = static_cast<uint16_t>(pixel);
        std::memcpy(row + x * 2, &p16, 2);
    }
}

inline uint32_t pack(int bpp, uint32_t b, uint32_t g, uint32_t red) {
    if (bpp == 16) return (b >> 3) | ((g >> 2) << 5) | ((red >> 3) << 11);
    if (bpp == 15) return (b >> 3) | ((g >> 3) << 5) | ((red >> 3) << 10);
    return b | (g << 8) | (red << 16);
}

struct FogTerms {
    bool on = false;
    int32_t factor = 255;
    std::array<int32_t, 3> term{};
};

FogTerms fog_terms(const SoftwareRaster& r, uint32_t specular) {
    FogTerms f;
    if (!r.fog_used) return f;
    f.on = true;
    f.factor = static_cast<int32_t>(specular >> 24);
    const auto fc = colour_bytes(r.fog_colour);
    for (size_t c = 0; c < 3; ++c) f.term[c] = ((255 - f.factor) * fc[c]) >> 8;
    return f;
}

// The mode is a template argument: it decides several steps of every pixel.
template <SpanMode mode>
void fill_rows(SoftwareRaster& r, const SoftwareTargets& t, const FogTerms& fog) {
    if (r.triangle.empty()) return;
    // Held apart: the pixel stores could alias the rasteriser's fields and force a reload.
    const PaletteTexture* texture = r.texture;
    for (int64_t y = r.triangle.min_y; y <= r.triangle.max_y; ++y) {
        const EdgeEntry* left = &r.table_a[static_cast<size_t>(y)];
        const EdgeEntry* right = &r.table_b[static_cast<size_t>(y)];
        if (left->x > right->x) std::swap(left, right);
        int64_t xl = left->x;
        const int64_t xr = right->x;
        if (xr < 0 || xl >= k_width) continue;
        const int64_t length = xr - xl + 1;
        std::array<int64_t, 4> cstep{};
        for (size_t c = 0; c < 4; ++c)
            cstep[c] = colour_step(r.division, (right->colour[c] - left->colour[c]) >> 8,
                                   static_cast<int32_t>(std::min<int64_t>(length, 65535)));
        const int64_t dstep =
            (static_cast<int64_t>(right->depth) - static_cast<int64_t>(left->depth)) / length;
        const int64_t ustep = (right->u - left->u) / length, vstep = (right->v - left->v) / length;
        Span s{static_cast<int64_t>(left->depth),
               {left->colour[0], left->colour[1], left->colour[2], left->colour[3]},
               left->u,
               left->v};
        if (xl < 0) {
            const int64_t k = -xl;
            s.depth += dstep * k;
            for (size_t c = 0; c < 4; ++c) s.colour[c] += cstep[c] * k;
            s.u += ustep * k;
            s.v += vstep * k;
            xl = 0;
        }
        const int64_t n = std::min<int64_t>(xr, k_width - 1) - xl;
        const size_t row = static_cast<size_t>(y) * k_width;
        for (int64_t i = 0; i < n; ++i) {
            const int64_t x = xl + i;
            s.depth += dstep;
            for (size_t c = 0; c < 4; ++c) s.colour[c] += cstep[c];
            s.u += ustep;
            s.v += vstep;
            const int64_t d = s.depth >> 16;
            const size_t at = row + static_cast<size_t>(x);
            const uint16_t* p = nullptr;
            if constexpr (mode != SpanMode::textured) {
                if (!(d < t.depth16[at])) continue;
                if (mode == SpanMode::lit) t.depth16[at] = static_cast<uint16_t>(d);
            }
            p = texel(texture, s.u, s.v);
            int32_t out[3];
            for (size_t c = 0; c < 3; ++c) out[c] = modulate(s.colour[c], p[c]);
            if constexpr (mode == SpanMode::shadow) {
                uint8_t* px = t.picture_rgb32.data() + at * 4;
                for (size_t c = 0; c < 3; ++c)
                    px[c] = static_cast<uint8_t>(std::max(0, px[c] - out[c]));
                continue;
            }
            if (fog.on)
                for (size_t c = 0; c < 3; ++c)
                    out[c] = std::min(255, std::min(255, (out[c] * fog.factor) >> 8) + fog.term[c]);
            if (mode == SpanMode::textured && (out[0] | out[1] | out[2]) == 0) continue;
            store_pixel(t, x, y,
                        pack(t.bpp, static_cast<uint32_t>(out[0]), static_cast<uint32_t>(out[1]),
                             static_cast<uint32_t>(out[2])));
        }
        if (n > 0) widen(r.triangle, xl, xl + n - 1, y, y);
    }
}

// The edge with the greatest height goes to table B, the others to table A (ties: the earlier).
void set_up_triangle(SoftwareRaster& r, const Corner& c0, const Corner& c1, const Corner& c2) {
    r.triangle.reset();
    const Corner* edges[3][2] = {{&c0, &c1}, {&c1, &c2}, {&c2, &c0}};
    int longest = 0;
    int64_t best = -1;
    for (int e = 0; e < 3; ++e) {
        const int64_t h = std::llabs(edges[e][1]->y - edges[e][0]->y);
        if (h > best) {
            best = h;
            longest = e;
        }
    }
    for (int e = 0; e < 3; ++e)
        scan(r, *edges[e][0], *edges[e][1], e == longest ? r.table_b : r.table_a);
}

bool on_screen(const Corner& c) {
    return c.x >= 0 && c.x <= k_width - 1 && c.y >= 0 && c.y <= k_height - 1;
}

bool quickly_visible(const SoftwareTargets& t, const Corner* c[3]) {
    for (int i = 0; i < 3; ++i)
        if (!on_screen(*c[i])) return true;
    for (int i = 0; i < 3; ++i) {
        const size_t at = static_cast<size_t>(c[i]->y) * k_width + static_cast<size_t>(c[i]->x);
        if (static_cast<uint16_t>(c[i]->depth - 160) < t.depth16[at]) return true;
    }
    return false;
}

bool targets_valid(const SoftwareTargets& t) {
    return t.depth16.size() >= static_cast<size_t>(k_width * k_height);
}

} // namespace

void TrackedRect::include(const TrackedRect& r) {
    max_x = std::max(max_x, r.max_x);
    max_y = std::max(max_y, r.max_y);
    min_x = std::min(min_x, r.min_x);
    min_y = std::min(min_y, r.min_y);
}

uint32_t pack_pixel(int bpp, uint32_t b, uint32_t g, uint32_t red) {
    return pack(bpp, b, g, red);
}

void scan_edge(SoftwareRaster& r, const ScreenVertex& p, const ScreenVertex& q,
               std::vector<EdgeEntry>& table) {
    if (table.size() < static_cast<size_t>(k_height)) return;
    scan(r, corner_of(p, false), corner_of(q, false), table);
}

void draw_part_software(SoftwareRaster& r, const SoftwareTargets& t, const ModelPart& part) {
    if (!targets_valid(t) || t.frame == nullptr) return;
    const size_t triangles = part.vertex_indices.size() / 3;
    for (size_t i = 0; i < triangles; ++i) {
        Corner c[3];
        for (size_t k = 0; k < 3; ++k) {
            const uint16_t vi = part.vertex_indices[3 * i + k];
            if (vi >= part.screen_vertices.size()) return;
            c[k] = corner_of(part.screen_vertices[vi], false);
            const size_t ti = 3 * i + k < part.uv_indices.size() ? part.uv_indices[3 * i + k] : 0;
            if (ti < part.uvs_fixed.size()) {
                c[k].u = part.uvs_fixed[ti][0];
                c[k].v = part.uvs_fixed[ti][1];
            }
        }
        if (r.cull != 0 &&
            !((c[2].x - c[1].x) * (c[0].y - c[1].y) - (c[0].x - c[1].x) * (c[2].y - c[1].y) < 0))
            continue;
        // Corners behind the eye (negative depth) are dropped with the triangle as well.
        bool in_range = true;
        for (const Corner& k : c) in_range = in_range && k.depth >= 0 && k.depth < 65536;
        if (!in_range) continue;
        const Corner* pc[3] = {&c[0], &c[1], &c[2]};
        if (!quickly_visible(t, pc)) continue;
        set_up_triangle(r, c[0], c[1], c[2]);
        fill_rows<SpanMode::lit>(r, t, fog_terms(r, c[0].specular));
        r.actor.include(r.triangle);
    }
}

void draw_strip_software(SoftwareRaster& r, const SoftwareTargets& t,
                         std::span<const ScreenVertex> q) {
    if (!targets_valid(t) || t.picture_rgb32.size() < static_cast<size_t>(k_width * k_height * 4))
        return;
    for (size_t i = 0; i + 2 < q.size(); ++i) {
        const Corner a = corner_of(q[i], false), b = corner_of(q[i + 1], false),
                     c = corner_of(q[i + 2], false);
        set_up_triangle(r, a, b, c);
        fill_rows<SpanMode::shadow>(r, t, FogTerms{});
        r.actor.include(r.triangle);
    }
}

void draw_textured_strip_software(SoftwareRaster& r, const SoftwareTargets& t,
                                  std::span<const ScreenVertex> q) {
    if (t.frame == nullptr) return;
    for (size_t i = 0; i + 2 < q.size(); ++i) {
        const Corner a = corner_of(q[i], true), b = corner_of(q[i + 1], true),
                     c = corner_of(q[i + 2], true);
        set_up_triangle(r, a, b, c);
        fill_rows<SpanMode::textured>(r, t, FogTerms{});
        r.actor.include(r.triangle);
    }
}

namespace {

// Clip the segment to the screen; false when nothing of it is left.
bool clip_segment(double& x0, double& y0, double& x1, double& y1, double& t0, double& t1) {
    t0 = 0;
    t1 = 1;
    const double dx = x1 - x0, dy = y1 - y0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double qv[4] = {x0, 639 - x0, y0, 479 - y0};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (qv[i] < 0) return false;
            continue;
        }
        const double tt = qv[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, tt);
        else
            t1 = std::min(t1, tt);
    }
    return t0 <= t1;
}

} // namespace

void draw_lines_software(SoftwareRaster&, const SoftwareTargets& t,
                         std::span<const ScreenVertex> p) {
    if (!targets_valid(t) || t.frame == nullptr) return;
    for (size_t i = 0; i + 1 < p.size(); ++i) {
        Corner a = corner_of(p[i], false), b = corner_of(p[i + 1], false);
        if (a.y > b.y) std::swap(a, b);
        if ((a.y > 479 && b.y > 479) || (a.y < 0 && b.y < 0)) continue;
        if ((a.x < 0 && b.x < 0) || (a.x > 639 && b.x > 639)) continue;
        double x0 = double(a.x), y0 = double(a.y), x1 = double(b.x), y1 = double(b.y), t0, t1;
        if (!clip_segment(x0, y0, x1, y1, t0, t1)) continue;
        const double cx0 = x0 + (x1 - x0) * t0, cy0 = y0 + (y1 - y0) * t0;
        const double cx1 = x0 + (x1 - x0) * t1, cy1 = y0 + (y1 - y0) * t1;
        const double d0 = double(a.depth) + double(b.depth - a.depth) * t0;
        const double d1 = double(a.depth) + double(b.depth - a.depth) * t1;
        const auto ca = a.colour, cb = b.colour;
        const int64_t steps =
            static_cast<int64_t>(std::max(std::fabs(cx1 - cx0), std::fabs(cy1 - cy0)));
        for (int64_t s = 0; s <= steps; ++s) {
            const double f = steps == 0 ? 0 : double(s) / double(steps);
            const int64_t x = std::clamp<int64_t>(std::llround(cx0 + (cx1 - cx0) * f), 0, 639);
            const int64_t y = std::clamp<int64_t>(std::llround(cy0 + (cy1 - cy0) * f), 0, 479);
            const double d = d0 + (d1 - d0) * f;
            const size_t at = static_cast<size_t>(y) * k_width + static_cast<size_t>(x);
            if (!(d < t.depth16[at])) continue;
            const double g = t0 + (t1 - t0) * f;
            uint32_t ch[3];
            for (size_t c = 0; c < 3; ++c)
                ch[c] = static_cast<uint32_t>(std::lround(ca[c] + (cb[c] - ca[c]) * g));
            store_pixel(t, x, y, pack_pixel(t.bpp, ch[0], ch[1], ch[2]));
        }
    }
}
