#include "tools/demo/scene_builder.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>

#include "tools/demo/noise.h"

namespace {

struct Mesh {
    std::vector<V3d> v;
    std::vector<std::array<int, 3>> f;
};

Mesh icosphere(int detail) {
    const double t = (1 + std::sqrt(5.0)) / 2;
    Mesh m;
    m.v = {{-1, t, 0},  {1, t, 0},  {-1, -t, 0}, {1, -t, 0}, {0, -1, t},  {0, 1, t},
           {0, -1, -t}, {0, 1, -t}, {t, 0, -1},  {t, 0, 1},  {-t, 0, -1}, {-t, 0, 1}};
    for (V3d& p : m.v) p = normalized(p);
    m.f = {{0, 11, 5},  {0, 5, 1},  {0, 1, 7},  {0, 7, 10}, {0, 10, 11}, {1, 5, 9}, {5, 11, 4},
           {11, 10, 2}, {10, 7, 6}, {7, 1, 8},  {3, 9, 4},  {3, 4, 2},   {3, 2, 6}, {3, 6, 8},
           {3, 8, 9},   {4, 9, 5},  {2, 4, 11}, {6, 2, 10}, {8, 6, 7},   {9, 8, 1}};
    for (int d = 0; d < detail; ++d) {
        std::map<std::pair<int, int>, int> mid;
        auto midpoint = [&](int a, int b) {
            const auto key = std::minmax(a, b);
            const auto it = mid.find(key);
            if (it != mid.end()) return it->second;
            m.v.push_back(normalized(m.v[static_cast<size_t>(a)] + m.v[static_cast<size_t>(b)]));
            const int i = static_cast<int>(m.v.size()) - 1;
            mid[key] = i;
            return i;
        };
        std::vector<std::array<int, 3>> faces;
        for (const auto& f : m.f) {
            const int a = midpoint(f[0], f[1]), b = midpoint(f[1], f[2]), c = midpoint(f[2], f[0]);
            faces.push_back({f[0], a, c});
            faces.push_back({f[1], b, a});
            faces.push_back({f[2], c, b});
            faces.push_back({a, b, c});
        }
        m.f = std::move(faces);
    }
    return m;
}

} // namespace

uint16_t SceneBuilder::material(const SceneMaterial& m) {
    materials.push_back(m);
    return static_cast<uint16_t>(materials.size() - 1);
}

uint16_t SceneBuilder::picture_material(int width, int height,
                                        const std::vector<V3d>& srgb_pixels) {
    auto picture = std::make_unique<MaterialPicture>();
    picture->width = width;
    picture->height = height;
    for (const V3d& c : srgb_pixels)
        picture->pixels.push_back(srgb(static_cast<int>(std::lround(c.x * 255)),
                                       static_cast<int>(std::lround(c.y * 255)),
                                       static_cast<int>(std::lround(c.z * 255))));
    SceneMaterial m;
    m.kind = MaterialKind::picture;
    m.picture = picture.get();
    pictures.push_back(std::move(picture));
    return material(m);
}

void SceneBuilder::box(const V3d& centre, const V3d& half, double yaw, uint16_t mat,
                       uint8_t flags) {
    Shape s;
    s.kind = ShapeKind::box;
    s.a = centre;
    s.b = half;
    s.c = {std::cos(yaw), std::sin(yaw), 0};
    s.material = mat;
    s.tag = tag;
    s.flags = flags;
    tracer.add(s);
}

void SceneBuilder::cylinder(const V3d& a, const V3d& b, double r, uint16_t mat, uint8_t flags) {
    cone(a, b, r, r, mat, flags);
}

void SceneBuilder::cone(const V3d& a, const V3d& b, double r0, double r1, uint16_t mat,
                        uint8_t flags) {
    Shape s;
    s.kind = ShapeKind::cone;
    s.a = a;
    s.b = b;
    s.r0 = r0;
    s.r1 = r1;
    s.material = mat;
    s.tag = tag;
    s.flags = flags;
    tracer.add(s);
}

void SceneBuilder::sphere(const V3d& centre, double r, uint16_t mat, uint8_t flags) {
    Shape s;
    s.kind = ShapeKind::sphere;
    s.a = centre;
    s.r0 = r;
    s.material = mat;
    s.tag = tag;
    s.flags = flags;
    tracer.add(s);
}

void SceneBuilder::triangle(const V3d& a, const V3d& b, const V3d& c, uint16_t mat, uint8_t flags) {
    tracer.add_triangle(a, b, c, mat, tag, flags);
}

void SceneBuilder::quad(const V3d& a, const V3d& b, const V3d& c, const V3d& d, uint16_t mat,
                        uint8_t flags, const std::array<float, 4>* uv) {
    Shape s;
    s.kind = ShapeKind::triangle;
    s.material = mat;
    s.tag = tag;
    s.flags = flags;
    const float u0 = uv ? (*uv)[0] : 0, v0 = uv ? (*uv)[1] : 0, u1 = uv ? (*uv)[2] : 0,
                v1 = uv ? (*uv)[3] : 0;
    s.a = a, s.b = b, s.c = c;
    const float first[6] = {u0, v0, u1, v0, u1, v1};
    std::copy(first, first + 6, s.uv);
    tracer.add(s);
    s.a = a, s.b = c, s.c = d;
    const float second[6] = {u0, v0, u1, v1, u0, v1};
    std::copy(second, second + 6, s.uv);
    tracer.add(s);
}

void SceneBuilder::blob(const V3d& centre, const V3d& radii, double roughness, uint32_t seed,
                        int detail, uint16_t mat, uint8_t flags) {
    Mesh m = icosphere(detail);
    std::vector<V3d> pos(m.v.size());
    for (size_t i = 0; i < m.v.size(); ++i) {
        const V3d& d = m.v[i];
        const double n =
            fbm3(d * 1.6, 4, seed) * 0.8 + noise3(d.x * 5, d.y * 5, d.z * 5, seed + 3) * 0.2;
        const double r = 1 + roughness * n;
        pos[i] = centre + V3d{d.x * radii.x, d.y * radii.y, d.z * radii.z} * r;
    }
    std::vector<V3d> normal(m.v.size(), {0, 0, 0});
    for (const auto& f : m.f) {
        const V3d n = cross(pos[static_cast<size_t>(f[1])] - pos[static_cast<size_t>(f[0])],
                            pos[static_cast<size_t>(f[2])] - pos[static_cast<size_t>(f[0])]);
        for (int k = 0; k < 3; ++k) normal[static_cast<size_t>(f[k])] += n;
    }
    for (const auto& f : m.f) {
        Shape s;
        s.kind = ShapeKind::triangle;
        s.a = pos[static_cast<size_t>(f[0])];
        s.b = pos[static_cast<size_t>(f[1])];
        s.c = pos[static_cast<size_t>(f[2])];
        s.na = normalized(normal[static_cast<size_t>(f[0])]);
        s.nb = normalized(normal[static_cast<size_t>(f[1])]);
        s.nc = normalized(normal[static_cast<size_t>(f[2])]);
        s.material = mat;
        s.tag = tag;
        s.flags = flags;
        tracer.add(s);
    }
    if (flags & shape_obstacle) {
        Shape foot;
        foot.kind = ShapeKind::cone;
        foot.a = centre + V3d{0, radii.y, 0};
        foot.b = centre - V3d{0, radii.y, 0};
        foot.r0 = foot.r1 = std::max(radii.x, radii.z) * (1 + 0.5 * roughness);
        foot.tag = tag;
        walk_obstacles.push_back(foot);
    }
}

void SceneBuilder::terrain(double x0, double z0, double x1, double z1, double step,
                           const std::function<double(double, double)>& height, uint16_t mat,
                           uint8_t flags, const std::function<bool(double, double)>& keep,
                           const std::function<uint16_t(double, double)>& tag_at) {
    const int nx = static_cast<int>(std::ceil((x1 - x0) / step));
    const int nz = static_cast<int>(std::ceil((z1 - z0) / step));
    auto point = [&](int i, int j) {
        const double x = x0 + i * step, z = z0 + j * step;
        return V3d{x, height(x, z), z};
    };
    auto normal_at = [&](int i, int j) {
        const V3d dx = point(i + 1, j) - point(i - 1, j);
        const V3d dz = point(i, j + 1) - point(i, j - 1);
        V3d n = normalized(cross(dz, dx));
        if (n.y > 0) n = -n; // up is -y
        return n;
    };
    std::vector<V3d> p(static_cast<size_t>((nx + 1) * (nz + 1)));
    std::vector<V3d> n(p.size());
    for (int j = 0; j <= nz; ++j)
        for (int i = 0; i <= nx; ++i) {
            p[static_cast<size_t>(j * (nx + 1) + i)] = point(i, j);
            n[static_cast<size_t>(j * (nx + 1) + i)] = normal_at(i, j);
        }
    for (int j = 0; j < nz; ++j)
        for (int i = 0; i < nx; ++i) {
            const double cx = x0 + (i + 0.5) * step, cz = z0 + (j + 0.5) * step;
            if (keep && !keep(cx, cz)) continue;
            const size_t a = static_cast<size_t>(j * (nx + 1) + i), b = a + 1,
                         c = a + static_cast<size_t>(nx + 1), d = c + 1;
            Shape s;
            s.kind = ShapeKind::triangle;
            s.material = mat;
            s.tag = tag_at ? tag_at(cx, cz) : tag;
            s.flags = flags;
            s.a = p[a], s.b = p[b], s.c = p[c];
            s.na = n[a], s.nb = n[b], s.nc = n[c];
            tracer.add(s);
            s.a = p[b], s.b = p[d], s.c = p[c];
            s.na = n[b], s.nb = n[d], s.nc = n[c];
            tracer.add(s);
        }
}

void SceneBuilder::lathe(const V3d& base, const std::vector<std::pair<double, double>>& profile,
                         int segments, uint16_t mat, uint8_t flags) {
    auto at = [&](size_t k, int s) {
        const double a = 2 * k_pi * s / segments;
        return base + V3d{profile[k].first * std::cos(a), -profile[k].second,
                          profile[k].first * std::sin(a)};
    };
    // Smooth normals from the profile's slope.
    auto normal = [&](size_t k, int s) {
        const size_t k0 = k > 0 ? k - 1 : k, k1 = k + 1 < profile.size() ? k + 1 : k;
        const double dr = profile[k1].first - profile[k0].first;
        const double dh = profile[k1].second - profile[k0].second;
        const double a = 2 * k_pi * s / segments;
        const V3d radial{std::cos(a), 0, std::sin(a)};
        return normalized(radial * dh + V3d{0, 1, 0} * dr);
    };
    for (size_t k = 0; k + 1 < profile.size(); ++k)
        for (int s = 0; s < segments; ++s) {
            Shape t;
            t.kind = ShapeKind::triangle;
            t.material = mat;
            t.tag = tag;
            t.flags = flags;
            t.a = at(k, s), t.b = at(k, s + 1), t.c = at(k + 1, s);
            t.na = normal(k, s), t.nb = normal(k, s + 1), t.nc = normal(k + 1, s);
            tracer.add(t);
            t.a = at(k, s + 1), t.b = at(k + 1, s + 1), t.c = at(k + 1, s);
            t.na = normal(k, s + 1), t.nb = normal(k + 1, s + 1), t.nc = normal(k + 1, s);
            tracer.add(t);
        }
}

Tracer filtered_tracer(const Tracer& source, const std::vector<uint16_t>& without) {
    Tracer t;
    for (size_t i = 0; i < source.size(); ++i) {
        const Shape& s = source.shape(static_cast<int>(i));
        if (std::find(without.begin(), without.end(), s.tag) == without.end()) t.add(s);
    }
    t.build();
    return t;
}
