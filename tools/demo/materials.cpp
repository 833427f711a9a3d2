#include "tools/demo/materials.h"

#include <cmath>

#include "tools/demo/noise.h"
#include "tools/demo/random.h"

namespace {

double srgb_to_linear(double c) {
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

// Perturb n by the gradient of a height function h over the tangent plane.
template <class F> V3d bumped(const V3d& n, const V3d& p, double strength, double eps, F&& h) {
    if (strength == 0) return n;
    V3d t, b;
    orthonormal_basis(n, t, b);
    const double h0 = h(p);
    const double dt = (h(p + t * eps) - h0) / eps;
    const double db = (h(p + b * eps) - h0) / eps;
    return normalized(n - (t * dt + b * db) * strength);
}

SurfacePoint grass(const SceneMaterial& m, const Hit& hit) {
    const V3d p = hit.p / m.scale;
    const double patches = fbm3(p * 0.08, 3, m.seed);
    const double tufts = fbm3(p * 1.7, 3, m.seed + 7);
    const double blades = noise3(p.x * 9, p.y * 2, p.z * 9, m.seed + 13);
    const double dry = smoothstep(0.05, 0.45, patches + 0.25 * tufts);
    SurfacePoint s;
    s.albedo = lerp(m.colour, m.colour2, dry) * (0.72 + 0.28 * tufts + 0.18 * blades);
    s.normal = bumped(hit.n, p, m.bump, 0.05, [&](const V3d& q) {
        return 0.6 * fbm3(q * 1.7, 2, m.seed + 7) +
               0.25 * noise3(q.x * 9, q.y * 2, q.z * 9, m.seed + 13);
    });
    return s;
}

SurfacePoint dirt(const SceneMaterial& m, const Hit& hit) {
    const V3d p = hit.p / m.scale;
    const double base = fbm3(p * 0.3, 4, m.seed);
    const CellularResult pebbles = cellular3(p * 2.2, m.seed + 3);
    const double pebble =
        smoothstep(0.32, 0.18, pebbles.f1) * (unit_from_hash(pebbles.id) < 0.35 ? 1.0 : 0.0);
    SurfacePoint s;
    s.albedo = lerp(m.colour * (0.8 + 0.35 * base),
                    m.colour2 * (0.8 + 0.4 * unit_from_hash(pebbles.id)), pebble);
    s.normal = bumped(hit.n, p, m.bump, 0.03, [&](const V3d& q) {
        const CellularResult c = cellular3(q * 2.2, m.seed + 3);
        const double peb = smoothstep(0.32, 0.18, c.f1) * (unit_from_hash(c.id) < 0.35 ? 1.0 : 0.0);
        return 0.4 * fbm3(q * 1.5, 2, m.seed + 9) + 0.5 * peb;
    });
    return s;
}

SurfacePoint stone(const SceneMaterial& m, const Hit& hit) {
    // Blocks in the box's local frame: rows along y, staggered joints along x and z.
    const V3d p = hit.local / m.scale;
    const double row = std::floor(p.y / 1.0);
    const double offset = std::fmod(row, 2.0) == 0 ? 0 : 0.5;
    const double bx = p.x / 1.6 + offset, bz = p.z / 1.6 + offset;
    const double fx = bx - std::floor(bx), fz = bz - std::floor(bz), fy = p.y - row;
    const double edge_x = std::min(fx, 1 - fx) * 1.6, edge_z = std::min(fz, 1 - fz) * 1.6;
    const double edge_y = std::min(fy, 1 - fy);
    // Which horizontal joint family counts depends on the face: use the one across the face.
    const double horiz = std::fabs(hit.n.x) > std::fabs(hit.n.z) ? edge_z : edge_x;
    const double joint = std::min(horiz, edge_y);
    const double mortar = smoothstep(0.09, 0.04, joint);
    const uint32_t block =
        hash3(static_cast<uint32_t>(static_cast<int>(std::floor(bx)) + 1000),
              static_cast<uint32_t>(static_cast<int>(row) + 1000),
              static_cast<uint32_t>(static_cast<int>(std::floor(bz)) + 1000) ^ m.seed);
    const double tone = 0.8 + 0.35 * unit_from_hash(block);
    const double grain = fbm3(hit.p * (1.3 / m.scale), 4, m.seed + 5);
    SurfacePoint s;
    s.albedo = lerp(m.colour * tone * (0.85 + 0.25 * grain), m.colour2, mortar);
    s.normal = bumped(hit.n, hit.p / m.scale, m.bump, 0.02,
                      [&](const V3d& q) { return 0.3 * fbm3(q * 1.3, 3, m.seed + 5); });
    return s;
}

SurfacePoint rock(const SceneMaterial& m, const Hit& hit) {
    const V3d p = hit.p / m.scale;
    const double big = fbm3(p * 0.5, 4, m.seed);
    const double cracks = cellular3(p * 0.9, m.seed + 4).f2 - cellular3(p * 0.9, m.seed + 4).f1;
    const double moss = smoothstep(0.15, 0.55, -hit.n.y * 0.6 + 0.5 * fbm3(p * 0.7, 3, m.seed + 2));
    SurfacePoint s;
    V3d base = m.colour * (0.75 + 0.4 * big);
    base = base * (0.55 + 0.45 * smoothstep(0.0, 0.12, cracks));
    s.albedo = lerp(base, m.colour2, moss * 0.8);
    s.normal = bumped(hit.n, p, m.bump, 0.03, [&](const V3d& q) {
        return 0.5 * fbm3(q * 0.5, 4, m.seed) +
               0.2 * smoothstep(0.0, 0.12,
                                cellular3(q * 0.9, m.seed + 4).f2 -
                                    cellular3(q * 0.9, m.seed + 4).f1);
    });
    return s;
}

SurfacePoint planks(const SceneMaterial& m, const Hit& hit) {
    // Boards run along local x, each `scale` wide across local z (or y on vertical faces).
    const V3d p = hit.local;
    const bool vertical = std::fabs(hit.ng.y) < 0.5;
    const double across = (vertical ? p.y : p.z) / m.scale;
    const double board = std::floor(across);
    const double f = across - board;
    const uint32_t h = hash_u32(static_cast<uint32_t>(static_cast<int>(board) + 5000) ^ m.seed);
    const double along = p.x + unit_from_hash(h) * 40;
    const double seam_end = std::fmod(along / (m.scale * 9) + 10000, 1.0);
    const double gap = std::max(smoothstep(0.06, 0.0, std::min(f, 1 - f)),
                                smoothstep(0.012, 0.0, std::min(seam_end, 1 - seam_end)));
    const double grain =
        noise3(along * 0.6, across * 7, 0.5, m.seed + 1) * 0.5 +
        0.5 * std::sin((across * 14 + 2 * fbm3(V3d{along * 0.15, across, 0}, 3, m.seed)) * 3);
    SurfacePoint s;
    const double tone = 0.8 + 0.35 * unit_from_hash(h);
    s.albedo = lerp(lerp(m.colour, m.colour2, 0.35 + 0.3 * grain) * tone, m.colour2 * 0.3, gap);
    s.specular = m.specular;
    s.shininess = m.shininess;
    s.normal = hit.n;
    if (gap > 0.5)
        s.normal = bumped(hit.n, hit.p, m.bump, 0.01, [&](const V3d& q) {
            return 0.2 * noise3(q.x * 3, q.y * 3, q.z * 3, m.seed + 3);
        });
    return s;
}

SurfacePoint log_or_bark(const SceneMaterial& m, const Hit& hit, bool rings) {
    // Cone-local: y runs along the axis, x and z are radial.
    const V3d p = hit.local;
    const double r = std::hypot(p.x, p.z);
    const double angle = std::atan2(p.z, p.x);
    SurfacePoint s;
    if (rings && hit.face != 0) {
        // End grain on the caps: growth rings around the axis.
        const double ring =
            0.5 + 0.5 * std::sin(r / m.scale * 30 + 2 * noise3(p.x, p.z, 0.3, m.seed));
        s.albedo = lerp(m.colour, m.colour * 0.65, ring) *
                   (0.9 + 0.15 * noise3(p.x * 4, p.z * 4, 1.5, m.seed + 2));
        s.normal = hit.n;
        return s;
    }
    auto ridge_height = [&](double a, double y) {
        return 0.5 + 0.5 * std::sin(a * 23 + 3 * fbm3(V3d{a * 3, y * 0.6, 0}, 3, m.seed));
    };
    const double ridges = ridge_height(angle, p.y / m.scale);
    s.albedo = m.colour2 * (0.55 + 0.55 * ridges) * (0.8 + 0.3 * fbm3(hit.p * 0.4, 3, m.seed + 8));
    s.normal = bumped(hit.n, V3d{angle, p.y / m.scale, 0}, m.bump, 0.004,
                      [&](const V3d& q) { return 0.08 * ridge_height(q.x, q.y); });
    return s;
}

SurfacePoint leaves(const SceneMaterial& m, const Hit& hit) {
    const V3d p = hit.p / m.scale;
    const CellularResult c = cellular3(p * 1.5, m.seed);
    const double clump = fbm3(p * 0.4, 3, m.seed + 1);
    SurfacePoint s;
    const double light = 0.6 + 0.6 * unit_from_hash(c.id);
    s.albedo = lerp(m.colour, m.colour2, smoothstep(-0.2, 0.5, clump)) * light *
               (0.6 + 0.4 * smoothstep(0.0, 0.4, c.f2 - c.f1));
    s.normal = bumped(hit.n, p, m.bump, 0.03, [&](const V3d& q) {
        const CellularResult cc = cellular3(q * 1.5, m.seed);
        return 0.7 * (cc.f2 - cc.f1);
    });
    return s;
}

SurfacePoint plaster(const SceneMaterial& m, const Hit& hit) {
    const V3d p = hit.p / m.scale;
    const double stains = fbm3(p * 0.15, 4, m.seed);
    const double fine = noise3(p.x * 6, p.y * 6, p.z * 6, m.seed + 2);
    SurfacePoint s;
    s.albedo = lerp(m.colour, m.colour2, smoothstep(0.1, 0.6, stains)) * (0.93 + 0.07 * fine);
    s.normal = bumped(hit.n, p, m.bump, 0.02,
                      [&](const V3d& q) { return 0.15 * fbm3(q * 2, 2, m.seed + 4); });
    return s;
}

SurfacePoint cloth(const SceneMaterial& m, const Hit& hit) {
    const V3d p = hit.p / m.scale;
    V3d t, b;
    orthonormal_basis(hit.ng, t, b);
    const double u = dot(p, t) * 20, v = dot(p, b) * 20;
    const double weave =
        0.5 + 0.25 * (std::sin(u) * std::sin(v * 0.5) + std::sin(v) * std::sin(u * 0.5));
    const double folds = fbm3(p * 0.5, 3, m.seed);
    SurfacePoint s;
    s.albedo = lerp(m.colour, m.colour2, 0.3 * weave) * (0.8 + 0.3 * folds);
    s.normal = bumped(hit.n, p, m.bump, 0.05,
                      [&](const V3d& q) { return 0.5 * fbm3(q * 0.5, 3, m.seed); });
    return s;
}

SurfacePoint metal(const SceneMaterial& m, const Hit& hit) {
    const V3d p = hit.p / m.scale;
    const double wear = fbm3(p * 0.8, 4, m.seed);
    const double scratches = std::fabs(noise3(p.x * 30, p.y * 2, p.z * 30, m.seed + 1));
    SurfacePoint s;
    s.albedo = lerp(m.colour, m.colour2, smoothstep(0.0, 0.5, wear)) * (0.9 + 0.2 * scratches);
    s.specular = m.specular > 0 ? m.specular : 0.5;
    s.shininess = m.shininess;
    s.normal = hit.n;
    return s;
}

SurfacePoint water(const SceneMaterial& m, const Hit& hit) {
    SurfacePoint s;
    s.albedo = m.colour;
    s.specular = 0.8;
    s.shininess = 60;
    s.normal = bumped(hit.n, hit.p / m.scale, m.bump, 0.02,
                      [&](const V3d& q) { return 0.1 * fbm3(q * 2, 3, m.seed); });
    return s;
}

} // namespace

V3d srgb(int r, int g, int b) {
    return {srgb_to_linear(r / 255.0), srgb_to_linear(g / 255.0), srgb_to_linear(b / 255.0)};
}

SurfacePoint eval_material(const SceneMaterial& m, const Hit& hit) {
    SurfacePoint s;
    switch (m.kind) {
    case MaterialKind::flat:
        s.albedo = m.colour;
        s.normal = hit.n;
        s.specular = m.specular;
        s.shininess = m.shininess;
        break;
    case MaterialKind::grass:
        s = grass(m, hit);
        break;
    case MaterialKind::dirt:
        s = dirt(m, hit);
        break;
    case MaterialKind::stone:
        s = stone(m, hit);
        break;
    case MaterialKind::rock:
        s = rock(m, hit);
        break;
    case MaterialKind::planks:
        s = planks(m, hit);
        break;
    case MaterialKind::log:
        s = log_or_bark(m, hit, true);
        break;
    case MaterialKind::bark:
        s = log_or_bark(m, hit, false);
        break;
    case MaterialKind::leaves:
        s = leaves(m, hit);
        break;
    case MaterialKind::plaster:
        s = plaster(m, hit);
        break;
    case MaterialKind::cloth:
        s = cloth(m, hit);
        break;
    case MaterialKind::metal:
        s = metal(m, hit);
        break;
    case MaterialKind::water:
        s = water(m, hit);
        break;
    case MaterialKind::picture: {
        s.normal = hit.n;
        s.albedo = m.colour;
        if (m.picture && m.picture->width > 0) {
            // Nearest texel, wrapping.
            const auto wrap = [](double t, int n) {
                const int i = static_cast<int>(std::floor(t * n)) % n;
                return i < 0 ? i + n : i;
            };
            const int x = wrap(hit.tu, m.picture->width), y = wrap(hit.tv, m.picture->height);
            s.albedo = m.picture->pixels[static_cast<size_t>(y) * m.picture->width + x];
        }
        break;
    }
    }
    if (m.kind != MaterialKind::planks && m.kind != MaterialKind::metal &&
        m.kind != MaterialKind::water && m.kind != MaterialKind::flat &&
        m.kind != MaterialKind::picture) {
        s.specular = m.specular;
        s.shininess = m.shininess;
    }
    s.emission = m.emission;
    return s;
}
