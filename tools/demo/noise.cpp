#include "tools/demo/noise.h"

#include <cmath>

#include "tools/demo/random.h"

namespace {

double fade(double t) {
    return t * t * t * (t * (t * 6 - 15) + 10);
}

// One of twelve edge directions of a cube, picked by the lattice point's hash.
double grad3(uint32_t h, double x, double y, double z) {
    switch (h % 12) {
    case 0:
        return x + y;
    case 1:
        return -x + y;
    case 2:
        return x - y;
    case 3:
        return -x - y;
    case 4:
        return x + z;
    case 5:
        return -x + z;
    case 6:
        return x - z;
    case 7:
        return -x - z;
    case 8:
        return y + z;
    case 9:
        return -y + z;
    case 10:
        return y - z;
    default:
        return -y - z;
    }
}

double grad2(uint32_t h, double x, double y) {
    static const double gx[8] = {1, -1, 1, -1, 1.4142, -1.4142, 0, 0};
    static const double gy[8] = {1, 1, -1, -1, 0, 0, 1.4142, -1.4142};
    return gx[h & 7] * x + gy[h & 7] * y;
}

uint32_t lattice(int64_t x, int64_t y, int64_t z, uint32_t seed) {
    return hash3(static_cast<uint32_t>(x) ^ seed, static_cast<uint32_t>(y) + seed * 31u,
                 static_cast<uint32_t>(z) ^ (seed * 0x27d4eb2dU));
}

} // namespace

double noise3(double x, double y, double z, uint32_t seed) {
    const double fx = std::floor(x), fy = std::floor(y), fz = std::floor(z);
    const int64_t ix = static_cast<int64_t>(fx), iy = static_cast<int64_t>(fy),
                  iz = static_cast<int64_t>(fz);
    const double dx = x - fx, dy = y - fy, dz = z - fz;
    const double u = fade(dx), v = fade(dy), w = fade(dz);
    double c[2][2][2];
    for (int a = 0; a < 2; ++a)
        for (int b = 0; b < 2; ++b)
            for (int d = 0; d < 2; ++d)
                c[a][b][d] = grad3(lattice(ix + a, iy + b, iz + d, seed), dx - a, dy - b, dz - d);
    const double x00 = mix(c[0][0][0], c[1][0][0], u), x10 = mix(c[0][1][0], c[1][1][0], u);
    const double x01 = mix(c[0][0][1], c[1][0][1], u), x11 = mix(c[0][1][1], c[1][1][1], u);
    return mix(mix(x00, x10, v), mix(x01, x11, v), w);
}

double noise2(double x, double y, uint32_t seed) {
    const double fx = std::floor(x), fy = std::floor(y);
    const int64_t ix = static_cast<int64_t>(fx), iy = static_cast<int64_t>(fy);
    const double dx = x - fx, dy = y - fy;
    const double u = fade(dx), v = fade(dy);
    const double a = grad2(lattice(ix, iy, 0, seed), dx, dy);
    const double b = grad2(lattice(ix + 1, iy, 0, seed), dx - 1, dy);
    const double c = grad2(lattice(ix, iy + 1, 0, seed), dx, dy - 1);
    const double d = grad2(lattice(ix + 1, iy + 1, 0, seed), dx - 1, dy - 1);
    return mix(mix(a, b, u), mix(c, d, u), v) * 0.7071;
}

double fbm3(const V3d& p, int octaves, uint32_t seed, double gain) {
    double sum = 0, amp = 1, norm = 0, f = 1;
    for (int i = 0; i < octaves; ++i) {
        sum += amp * noise3(p.x * f, p.y * f, p.z * f, seed + static_cast<uint32_t>(i) * 101u);
        norm += amp;
        amp *= gain;
        f *= 2.03;
    }
    return sum / norm;
}

double fbm2(double x, double y, int octaves, uint32_t seed, double gain) {
    double sum = 0, amp = 1, norm = 0, f = 1;
    for (int i = 0; i < octaves; ++i) {
        sum += amp * noise2(x * f, y * f, seed + static_cast<uint32_t>(i) * 101u);
        norm += amp;
        amp *= gain;
        f *= 2.03;
    }
    return sum / norm;
}

CellularResult cellular3(const V3d& p, uint32_t seed) {
    const double fx = std::floor(p.x), fy = std::floor(p.y), fz = std::floor(p.z);
    CellularResult r{1e9, 1e9, 0};
    for (int a = -1; a <= 1; ++a)
        for (int b = -1; b <= 1; ++b)
            for (int c = -1; c <= 1; ++c) {
                const int64_t cx = static_cast<int64_t>(fx) + a, cy = static_cast<int64_t>(fy) + b,
                              cz = static_cast<int64_t>(fz) + c;
                const uint32_t h = lattice(cx, cy, cz, seed);
                const V3d fp{cx + unit_from_hash(h), cy + unit_from_hash(hash_u32(h + 1)),
                             cz + unit_from_hash(hash_u32(h + 2))};
                const double d = length(fp - p);
                if (d < r.f1) {
                    r.f2 = r.f1;
                    r.f1 = d;
                    r.id = h;
                } else if (d < r.f2) {
                    r.f2 = d;
                }
            }
    return r;
}

CellularResult cellular2(double x, double y, uint32_t seed) {
    const double fx = std::floor(x), fy = std::floor(y);
    CellularResult r{1e9, 1e9, 0};
    for (int a = -1; a <= 1; ++a)
        for (int b = -1; b <= 1; ++b) {
            const int64_t cx = static_cast<int64_t>(fx) + a, cy = static_cast<int64_t>(fy) + b;
            const uint32_t h = lattice(cx, cy, 7, seed);
            const double px = cx + unit_from_hash(h), py = cy + unit_from_hash(hash_u32(h + 1));
            const double d = std::hypot(px - x, py - y);
            if (d < r.f1) {
                r.f2 = r.f1;
                r.f1 = d;
                r.id = h;
            } else if (d < r.f2) {
                r.f2 = d;
            }
        }
    return r;
}
