#include "tools/demo/painter.h"

#include <algorithm>
#include <cmath>

#include "tools/demo/noise.h"
#include "tools/demo/random.h"

V3d rgb8(int r, int g, int b) {
    return {r / 255.0, g / 255.0, b / 255.0};
}

Canvas::Canvas(int w, int h, const V3d& colour)
    : w_(w), h_(h), px_(static_cast<size_t>(w) * h, colour) {}

void Canvas::fill(int x0, int y0, int x1, int y1, const V3d& colour, double grain, double mottle,
                  uint32_t seed) {
    for (int y = std::max(0, y0); y < std::min(h_, y1); ++y)
        for (int x = std::max(0, x0); x < std::min(w_, x1); ++x) {
            double k = 1;
            if (grain > 0)
                k += grain *
                     (unit_from_hash(
                          hash3(static_cast<uint32_t>(x), static_cast<uint32_t>(y), seed)) -
                      0.5) *
                     2;
            if (mottle > 0) k += mottle * fbm2(x / 14.0, y / 14.0, 3, seed + 5);
            at(x, y) = colour * k;
        }
}

void Canvas::ellipse(double cx, double cy, double rx, double ry, const V3d& colour, double soft,
                     double alpha) {
    const int x0 = static_cast<int>(std::floor(cx - rx - soft)),
              x1 = static_cast<int>(std::ceil(cx + rx + soft));
    const int y0 = static_cast<int>(std::floor(cy - ry - soft)),
              y1 = static_cast<int>(std::ceil(cy + ry + soft));
    for (int y = std::max(0, y0); y <= std::min(h_ - 1, y1); ++y)
        for (int x = std::max(0, x0); x <= std::min(w_ - 1, x1); ++x) {
            const double dx = (x + 0.5 - cx) / rx, dy = (y + 0.5 - cy) / ry;
            const double d = (std::sqrt(dx * dx + dy * dy) - 1) * std::min(rx, ry);
            const double a = alpha * clamp01(0.5 - d / std::max(soft, 1e-3));
            if (a > 0) at(x, y) = lerp(at(x, y), colour, a);
        }
}

void Canvas::line(double x0, double y0, double x1, double y1, double width, const V3d& colour,
                  double alpha) {
    const double r = width / 2;
    const int bx0 = static_cast<int>(std::floor(std::min(x0, x1) - r - 1)),
              bx1 = static_cast<int>(std::ceil(std::max(x0, x1) + r + 1));
    const int by0 = static_cast<int>(std::floor(std::min(y0, y1) - r - 1)),
              by1 = static_cast<int>(std::ceil(std::max(y0, y1) + r + 1));
    const double dx = x1 - x0, dy = y1 - y0, len2 = std::max(dx * dx + dy * dy, 1e-9);
    for (int y = std::max(0, by0); y <= std::min(h_ - 1, by1); ++y)
        for (int x = std::max(0, bx0); x <= std::min(w_ - 1, bx1); ++x) {
            const double px = x + 0.5, py = y + 0.5;
            const double t = clamp01(((px - x0) * dx + (py - y0) * dy) / len2);
            const double d = std::hypot(px - (x0 + t * dx), py - (y0 + t * dy)) - r;
            const double a = alpha * clamp01(0.5 - d);
            if (a > 0) at(x, y) = lerp(at(x, y), colour, a);
        }
}

void Canvas::shade(int x0, int y0, int x1, int y1, double top, double bottom) {
    for (int y = std::max(0, y0); y < std::min(h_, y1); ++y) {
        const double k = mix(top, bottom, (y - y0 + 0.5) / std::max(1, y1 - y0));
        for (int x = std::max(0, x0); x < std::min(w_, x1); ++x) at(x, y) = at(x, y) * k;
    }
}

void Canvas::weave(int x0, int y0, int x1, int y1, int pitch, double amount) {
    for (int y = std::max(0, y0); y < std::min(h_, y1); ++y)
        for (int x = std::max(0, x0); x < std::min(w_, x1); ++x)
            if (((x / pitch) + (y / pitch)) % 2) at(x, y) = at(x, y) * (1 - amount);
}

RgbPicture Canvas::picture() const {
    RgbPicture p;
    p.width = w_;
    p.height = h_;
    p.rgb.reserve(px_.size() * 3);
    for (const V3d& c : px_)
        for (int k = 0; k < 3; ++k)
            p.rgb.push_back(static_cast<uint8_t>(std::lround(clamp01(c[k]) * 255)));
    return p;
}

RgbPicture Canvas::downsampled(int factor) const {
    RgbPicture p;
    p.width = w_ / factor;
    p.height = h_ / factor;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            V3d sum{0, 0, 0};
            for (int j = 0; j < factor; ++j)
                for (int i = 0; i < factor; ++i) sum += at(x * factor + i, y * factor + j);
            sum = sum / (factor * factor);
            for (int k = 0; k < 3; ++k)
                p.rgb.push_back(static_cast<uint8_t>(std::lround(clamp01(sum[k]) * 255)));
        }
    return p;
}

Bmp8Picture quantize(const RgbPicture& picture) {
    struct Box {
        std::vector<int> pixels;
    };
    const size_t n = static_cast<size_t>(picture.width) * picture.height;
    std::vector<std::array<int, 3>> colour(n);
    for (size_t i = 0; i < n; ++i)
        for (int k = 0; k < 3; ++k)
            colour[i][static_cast<size_t>(k)] = picture.rgb[i * 3 + static_cast<size_t>(k)];
    std::vector<Box> boxes(1);
    for (size_t i = 0; i < n; ++i) boxes[0].pixels.push_back(static_cast<int>(i));
    // Median cut: split the box with the widest channel range at its median until 256 boxes.
    while (boxes.size() < 256) {
        int best = -1, best_axis = 0, best_range = 0;
        for (size_t b = 0; b < boxes.size(); ++b) {
            if (boxes[b].pixels.size() < 2) continue;
            for (int axis = 0; axis < 3; ++axis) {
                int lo = 255, hi = 0;
                for (int p : boxes[b].pixels) {
                    lo = std::min(lo, colour[static_cast<size_t>(p)][static_cast<size_t>(axis)]);
                    hi = std::max(hi, colour[static_cast<size_t>(p)][static_cast<size_t>(axis)]);
                }
                if (hi - lo > best_range)
                    best_range = hi - lo, best = static_cast<int>(b), best_axis = axis;
            }
        }
        if (best < 0) break;
        std::vector<int>& px = boxes[static_cast<size_t>(best)].pixels;
        std::stable_sort(px.begin(), px.end(), [&](int a, int b) {
            return colour[static_cast<size_t>(a)][static_cast<size_t>(best_axis)] <
                   colour[static_cast<size_t>(b)][static_cast<size_t>(best_axis)];
        });
        Box upper;
        upper.pixels.assign(px.begin() + static_cast<long>(px.size() / 2), px.end());
        px.resize(px.size() / 2);
        boxes.push_back(std::move(upper));
    }
    Bmp8Picture out;
    std::vector<std::array<int, 3>> palette;
    for (const Box& b : boxes) {
        long sum[3] = {0, 0, 0};
        for (int p : b.pixels)
            for (int k = 0; k < 3; ++k)
                sum[k] += colour[static_cast<size_t>(p)][static_cast<size_t>(k)];
        const long count = std::max<long>(1, static_cast<long>(b.pixels.size()));
        palette.push_back({static_cast<int>(sum[0] / count), static_cast<int>(sum[1] / count),
                           static_cast<int>(sum[2] / count)});
    }
    for (size_t i = 0; i < palette.size(); ++i)
        for (int k = 0; k < 3; ++k)
            out.palette[i][k] = static_cast<uint8_t>(palette[i][static_cast<size_t>(k)]);
    for (size_t i = 0; i < n && i < out.indices.size(); ++i) {
        int best = 0;
        long best_d = 1L << 40;
        for (size_t p = 0; p < palette.size(); ++p) {
            long d = 0;
            for (int k = 0; k < 3; ++k) {
                const long e =
                    colour[i][static_cast<size_t>(k)] - palette[p][static_cast<size_t>(k)];
                d += e * e;
            }
            if (d < best_d) best_d = d, best = static_cast<int>(p);
        }
        out.indices[i] = static_cast<uint8_t>(best);
    }
    return out;
}
