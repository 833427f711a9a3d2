#include "tools/demo/model_mesh.h"

#include <cmath>

UvRect UvRect::pixels(double x0, double y0, double x1, double y1, double size) {
    return {x0 / size, y0 / size, x1 / size, y1 / size};
}

int MeshBuilder::vertex(const V3d& p) {
    positions_.push_back(p);
    return static_cast<int>(positions_.size()) - 1;
}

int MeshBuilder::uv(double u, double v) {
    uvs_.push_back({static_cast<float>(u), static_cast<float>(v)});
    return static_cast<int>(uvs_.size()) - 1;
}

void MeshBuilder::triangle(int a, int b, int c, int ua, int ub, int uc) {
    for (int i : {a, b, c}) indices_.push_back(static_cast<uint16_t>(i));
    for (int i : {ua, ub, uc}) uv_indices_.push_back(static_cast<uint16_t>(i));
}

void MeshBuilder::tube(const std::vector<Ring>& rings, int sides, const UvRect& region,
                       bool open_ends) {
    const int n = static_cast<int>(rings.size());
    std::vector<int> pos(static_cast<size_t>(n * sides));
    std::vector<int> tex(static_cast<size_t>(n * (sides + 1)));
    for (int r = 0; r < n; ++r) {
        const Ring& ring = rings[static_cast<size_t>(r)];
        for (int s = 0; s < sides; ++s) {
            // Angle 0 at the back (+z), going round through +x, the front (-z) at the middle.
            const double a = 2 * k_pi * s / sides;
            pos[static_cast<size_t>(r * sides + s)] =
                vertex({ring.cx + ring.rx * std::sin(a), ring.y, ring.cz + ring.rz * std::cos(a)});
        }
        const double v = region.v0 + (region.v1 - region.v0) * r / std::max(1, n - 1);
        for (int s = 0; s <= sides; ++s)
            tex[static_cast<size_t>(r * (sides + 1) + s)] =
                uv(region.u0 + (region.u1 - region.u0) * s / sides, v);
    }
    // Orientation: rings run along +y or -y; pick the winding that faces outwards.
    const bool down = n > 1 && rings.back().y > rings.front().y;
    for (int r = 0; r + 1 < n; ++r)
        for (int s = 0; s < sides; ++s) {
            const int s1 = (s + 1) % sides;
            const int a = pos[static_cast<size_t>(r * sides + s)],
                      b = pos[static_cast<size_t>(r * sides + s1)],
                      c = pos[static_cast<size_t>((r + 1) * sides + s)],
                      d = pos[static_cast<size_t>((r + 1) * sides + s1)];
            const int ta = tex[static_cast<size_t>(r * (sides + 1) + s)],
                      tb = tex[static_cast<size_t>(r * (sides + 1) + s + 1)],
                      tc = tex[static_cast<size_t>((r + 1) * (sides + 1) + s)],
                      td = tex[static_cast<size_t>((r + 1) * (sides + 1) + s + 1)];
            if (down) {
                triangle(a, b, c, ta, tb, tc);
                triangle(b, d, c, tb, td, tc);
            } else {
                triangle(a, c, b, ta, tc, tb);
                triangle(b, c, d, tb, tc, td);
            }
        }
    if (open_ends || n < 2) return;
    for (int end = 0; end < 2; ++end) {
        const int r = end == 0 ? 0 : n - 1;
        const Ring& ring = rings[static_cast<size_t>(r)];
        const int centre = vertex({ring.cx, ring.y, ring.cz});
        const int tc = uv((region.u0 + region.u1) / 2, end == 0 ? region.v0 : region.v1);
        for (int s = 0; s < sides; ++s) {
            const int s1 = (s + 1) % sides;
            const int a = pos[static_cast<size_t>(r * sides + s)],
                      b = pos[static_cast<size_t>(r * sides + s1)];
            const int ta = tex[static_cast<size_t>(r * (sides + 1) + s)],
                      tb = tex[static_cast<size_t>(r * (sides + 1) + s + 1)];
            // The first ring's cap faces back along the tube, the last one forward.
            if ((end == 0) == down)
                triangle(centre, b, a, tc, tb, ta);
            else
                triangle(centre, a, b, tc, ta, tb);
        }
    }
}

void MeshBuilder::box(const V3d& lo, const V3d& hi, const UvRect& region) {
    const V3d c[8] = {{lo.x, lo.y, lo.z}, {hi.x, lo.y, lo.z}, {lo.x, hi.y, lo.z},
                      {hi.x, hi.y, lo.z}, {lo.x, lo.y, hi.z}, {hi.x, lo.y, hi.z},
                      {lo.x, hi.y, hi.z}, {hi.x, hi.y, hi.z}};
    // Faces as corner quadruples a, b, c, d with (b - a) x (d - a) pointing outwards.
    const int faces[6][4] = {{0, 1, 3, 2}, {5, 4, 6, 7}, {4, 0, 2, 6},
                             {1, 5, 7, 3}, {4, 5, 1, 0}, {2, 3, 7, 6}};
    const int t0 = uv(region.u0, region.v0), t1 = uv(region.u1, region.v0),
              t2 = uv(region.u1, region.v1), t3 = uv(region.u0, region.v1);
    for (const auto& f : faces) {
        int v[4];
        for (int k = 0; k < 4; ++k) v[k] = vertex(c[f[k]]);
        const V3d n = cross(c[f[1]] - c[f[0]], c[f[3]] - c[f[0]]);
        const V3d centre = (lo + hi) * 0.5;
        const V3d face_centre = (c[f[0]] + c[f[2]]) * 0.5;
        if (dot(n, face_centre - centre) >= 0) {
            triangle(v[0], v[1], v[3], t0, t1, t3);
            triangle(v[1], v[2], v[3], t1, t2, t3);
        } else {
            triangle(v[0], v[3], v[2], t0, t3, t2);
            triangle(v[0], v[2], v[1], t0, t2, t1);
        }
    }
}

void MeshBuilder::ellipsoid(const V3d& centre, const V3d& radii, int sides, int stacks,
                            const UvRect& region) {
    std::vector<Ring> rings;
    for (int i = 0; i <= stacks; ++i) {
        // From the top (-y) to the bottom (+y); the poles get a tiny ring.
        const double t = k_pi * i / stacks;
        const double s = std::max(std::sin(t), 0.02);
        rings.push_back(
            {centre.y - radii.y * std::cos(t), radii.x * s, radii.z * s, centre.x, centre.z});
    }
    tube(rings, sides, region);
}

void MeshBuilder::transform(const Frame3& f) {
    for (V3d& p : positions_) p = f.apply(p);
}

ModelPartSource MeshBuilder::finish(const std::vector<Matrix>& frames) const {
    ModelPartSource part;
    part.material = material;
    part.vertex_indices = indices_;
    part.uv_indices = uv_indices_;
    part.uvs = uvs_;
    part.frames = frames;
    std::vector<V3d> normal(positions_.size(), {0, 0, 0});
    // Normals average the faces around each vertex: tubes share their ring vertices and shade
    // smoothly, boxes have vertices of their own on each face and stay flat.
    for (size_t t = 0; t + 2 < indices_.size(); t += 3) {
        const V3d& a = positions_[indices_[t]];
        const V3d& b = positions_[indices_[t + 1]];
        const V3d& c = positions_[indices_[t + 2]];
        const V3d n = cross(b - a, c - a);
        for (int k = 0; k < 3; ++k) normal[indices_[t + static_cast<size_t>(k)]] += n;
    }
    for (size_t i = 0; i < positions_.size(); ++i) {
        const V3d n = normalized(normal[i]);
        part.positions.push_back({static_cast<float>(positions_[i].x),
                                  static_cast<float>(positions_[i].y),
                                  static_cast<float>(positions_[i].z)});
        part.normals.push_back(
            {static_cast<float>(n.x), static_cast<float>(n.y), static_cast<float>(n.z)});
    }
    return part;
}

Matrix to_matrix(const Frame3& f) {
    Matrix m;
    for (int r = 0; r < 3; ++r) {
        m.m[r][0] = static_cast<float>(f.r[r].x);
        m.m[r][1] = static_cast<float>(f.r[r].y);
        m.m[r][2] = static_cast<float>(f.r[r].z);
    }
    m.m[3][0] = static_cast<float>(f.t.x);
    m.m[3][1] = static_cast<float>(f.t.y);
    m.m[3][2] = static_cast<float>(f.t.z);
    m.m[3][3] = 1;
    return m;
}

Matrix hidden_matrix(const V3d& at) {
    Matrix m;
    m.m[0][0] = m.m[1][1] = m.m[2][2] = 0.0001f;
    m.m[3][0] = static_cast<float>(at.x);
    m.m[3][1] = static_cast<float>(at.y);
    m.m[3][2] = static_cast<float>(at.z);
    m.m[3][3] = 1;
    return m;
}
