#include "tools/demo/tracer.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

constexpr int k_leaf_size = 4;
constexpr int k_bins = 12;
// Traversal keeps at most one pending node per level and one more for the nearer child.
constexpr int k_max_depth = 60;

double surface_area(const V3d& lo, const V3d& hi) {
    const V3d d = hi - lo;
    return 2 * (d.x * d.y + d.y * d.z + d.z * d.x);
}

bool slab(const V3d& lo, const V3d& hi, const V3d& o, const V3d& inv, double t_min, double t_max) {
    for (int a = 0; a < 3; ++a) {
        double t0 = (lo[a] - o[a]) * inv[a], t1 = (hi[a] - o[a]) * inv[a];
        if (t0 > t1) std::swap(t0, t1);
        t_min = t0 > t_min ? t0 : t_min;
        t_max = t1 < t_max ? t1 : t_max;
        if (t_min > t_max) return false;
    }
    return true;
}

V3d face_forward(const V3d& n, const V3d& d) {
    return dot(n, d) > 0 ? -n : n;
}

// Axis frame of a cone: unit axis u and two radial directions.
void cone_frame(const Shape& s, V3d& u, V3d& t, V3d& b, double& len) {
    const V3d axis = s.b - s.a;
    len = length(axis);
    u = axis / len;
    orthonormal_basis(u, t, b);
}

} // namespace

void shape_bounds(const Shape& s, V3d& lo, V3d& hi) {
    switch (s.kind) {
    case ShapeKind::triangle:
        lo = vmin(s.a, vmin(s.b, s.c));
        hi = vmax(s.a, vmax(s.b, s.c));
        break;
    case ShapeKind::sphere:
        lo = s.a - V3d{s.r0, s.r0, s.r0};
        hi = s.a + V3d{s.r0, s.r0, s.r0};
        break;
    case ShapeKind::box: {
        const double ex = std::fabs(s.c.x) * s.b.x + std::fabs(s.c.y) * s.b.z;
        const double ez = std::fabs(s.c.y) * s.b.x + std::fabs(s.c.x) * s.b.z;
        lo = s.a - V3d{ex, s.b.y, ez};
        hi = s.a + V3d{ex, s.b.y, ez};
        break;
    }
    case ShapeKind::cone: {
        const double r = std::max(s.r0, s.r1);
        lo = vmin(s.a, s.b) - V3d{r, r, r};
        hi = vmax(s.a, s.b) + V3d{r, r, r};
        break;
    }
    }
    // Flat shapes get a little thickness so that the slab test never divides zero by zero.
    for (int a = 0; a < 3; ++a) {
        lo[a] -= 1e-6;
        hi[a] += 1e-6;
    }
}

bool shape_contains(const Shape& s, const V3d& p) {
    switch (s.kind) {
    case ShapeKind::triangle:
        return false;
    case ShapeKind::sphere:
        return dot(p - s.a, p - s.a) < s.r0 * s.r0;
    case ShapeKind::box: {
        const V3d q = p - s.a;
        const double lx = q.x * s.c.x - q.z * s.c.y, lz = q.x * s.c.y + q.z * s.c.x;
        return std::fabs(lx) < s.b.x && std::fabs(q.y) < s.b.y && std::fabs(lz) < s.b.z;
    }
    case ShapeKind::cone: {
        V3d u, t, b;
        double len;
        cone_frame(s, u, t, b, len);
        const double h = dot(p - s.a, u);
        if (h < 0 || h > len) return false;
        const V3d radial = p - s.a - u * h;
        const double r = s.r0 + (s.r1 - s.r0) * h / len;
        return dot(radial, radial) < r * r;
    }
    }
    return false;
}

int Tracer::add(const Shape& s) {
    shapes_.push_back(s);
    return static_cast<int>(shapes_.size()) - 1;
}

void Tracer::add_triangle(const V3d& a, const V3d& b, const V3d& c, uint16_t material, uint16_t tag,
                          uint8_t flags) {
    Shape s;
    s.kind = ShapeKind::triangle;
    s.a = a, s.b = b, s.c = c;
    s.material = material, s.tag = tag, s.flags = flags;
    add(s);
}

void Tracer::build() {
    const size_t n = shapes_.size();
    order_.resize(n);
    std::iota(order_.begin(), order_.end(), 0);
    std::vector<V3d> lo(n), hi(n), centre(n);
    for (size_t i = 0; i < n; ++i) {
        shape_bounds(shapes_[i], lo[i], hi[i]);
        centre[i] = (lo[i] + hi[i]) * 0.5;
    }
    nodes_.clear();
    nodes_.reserve(2 * n + 1);
    if (n > 0) build_node(0, static_cast<int>(n), lo, hi, centre, 0);
}

// Binned surface-area split; ties and equal costs resolve by index, so the tree is the same on
// every run.
int Tracer::build_node(int first, int count, std::vector<V3d>& lo, std::vector<V3d>& hi,
                       std::vector<V3d>& centre, int depth) {
    const int index = static_cast<int>(nodes_.size());
    nodes_.push_back({});
    V3d blo{1e300, 1e300, 1e300}, bhi{-1e300, -1e300, -1e300};
    V3d clo = blo, chi = bhi;
    for (int i = first; i < first + count; ++i) {
        const int s = order_[static_cast<size_t>(i)];
        blo = vmin(blo, lo[static_cast<size_t>(s)]);
        bhi = vmax(bhi, hi[static_cast<size_t>(s)]);
        clo = vmin(clo, centre[static_cast<size_t>(s)]);
        chi = vmax(chi, centre[static_cast<size_t>(s)]);
    }
    nodes_[static_cast<size_t>(index)].lo = blo;
    nodes_[static_cast<size_t>(index)].hi = bhi;
    auto make_leaf = [&] {
        Node& node = nodes_[static_cast<size_t>(index)];
        node.left = -1;
        node.first = first;
        node.count = count;
        return index;
    };
    if (count <= k_leaf_size || depth >= k_max_depth) return make_leaf();

    int best_axis = -1, best_bin = 0;
    double best_cost = 1e300;
    for (int axis = 0; axis < 3; ++axis) {
        const double extent = chi[axis] - clo[axis];
        if (extent <= 1e-12) continue;
        struct Bin {
            V3d lo{1e300, 1e300, 1e300}, hi{-1e300, -1e300, -1e300};
            int count = 0;
        } bins[k_bins];
        for (int i = first; i < first + count; ++i) {
            const size_t s = static_cast<size_t>(order_[static_cast<size_t>(i)]);
            int b = static_cast<int>((centre[s][axis] - clo[axis]) / extent * k_bins);
            b = std::clamp(b, 0, k_bins - 1);
            bins[b].lo = vmin(bins[b].lo, lo[s]);
            bins[b].hi = vmax(bins[b].hi, hi[s]);
            ++bins[b].count;
        }
        double right_area[k_bins];
        int right_count[k_bins];
        V3d rlo{1e300, 1e300, 1e300}, rhi{-1e300, -1e300, -1e300};
        int rc = 0;
        for (int b = k_bins - 1; b > 0; --b) {
            if (bins[b].count) rlo = vmin(rlo, bins[b].lo), rhi = vmax(rhi, bins[b].hi);
            rc += bins[b].count;
            right_area[b] = rc ? surface_area(rlo, rhi) : 0;
            right_count[b] = rc;
        }
        V3d llo{1e300, 1e300, 1e300}, lhi{-1e300, -1e300, -1e300};
        int lc = 0;
        for (int b = 0; b < k_bins - 1; ++b) {
            if (bins[b].count) llo = vmin(llo, bins[b].lo), lhi = vmax(lhi, bins[b].hi);
            lc += bins[b].count;
            if (lc == 0 || right_count[b + 1] == 0) continue;
            const double cost =
                lc * surface_area(llo, lhi) + right_count[b + 1] * right_area[b + 1];
            if (cost < best_cost) best_cost = cost, best_axis = axis, best_bin = b;
        }
    }
    if (best_axis < 0) return make_leaf();
    const double extent = chi[best_axis] - clo[best_axis];
    auto mid_it =
        std::stable_partition(order_.begin() + first, order_.begin() + first + count, [&](int s) {
            int b = static_cast<int>((centre[static_cast<size_t>(s)][best_axis] - clo[best_axis]) /
                                     extent * k_bins);
            return std::clamp(b, 0, k_bins - 1) <= best_bin;
        });
    const int left_count = static_cast<int>(mid_it - (order_.begin() + first));
    if (left_count == 0 || left_count == count) return make_leaf();
    const int left = build_node(first, left_count, lo, hi, centre, depth + 1);
    const int right = build_node(first + left_count, count - left_count, lo, hi, centre, depth + 1);
    nodes_[static_cast<size_t>(index)].left = left;
    nodes_[static_cast<size_t>(index)].right = right;
    return index;
}

bool Tracer::hit_shape(const Shape& s, const Ray& ray, double t_min, double t_max, Hit& hit) const {
    switch (s.kind) {
    case ShapeKind::triangle: {
        const V3d e1 = s.b - s.a, e2 = s.c - s.a;
        const V3d pv = cross(ray.d, e2);
        const double det = dot(e1, pv);
        if (std::fabs(det) < 1e-14) return false;
        const double inv = 1 / det;
        const V3d tv = ray.o - s.a;
        const double u = dot(tv, pv) * inv;
        if (u < 0 || u > 1) return false;
        const V3d qv = cross(tv, e1);
        const double v = dot(ray.d, qv) * inv;
        if (v < 0 || u + v > 1) return false;
        const double t = dot(e2, qv) * inv;
        if (t <= t_min || t >= t_max) return false;
        hit.t = t;
        hit.u = u, hit.v = v;
        hit.tu = s.uv[0] * (1 - u - v) + s.uv[2] * u + s.uv[4] * v;
        hit.tv = s.uv[1] * (1 - u - v) + s.uv[3] * u + s.uv[5] * v;
        hit.ng = face_forward(normalized(cross(e1, e2)), ray.d);
        if (s.na.x == 0 && s.na.y == 0 && s.na.z == 0) {
            hit.n = hit.ng;
        } else {
            const V3d n = normalized(s.na * (1 - u - v) + s.nb * u + s.nc * v);
            hit.n = face_forward(n, ray.d);
        }
        hit.p = ray.o + ray.d * t;
        hit.local = hit.p;
        hit.face = 0;
        return true;
    }
    case ShapeKind::sphere: {
        const V3d oc = ray.o - s.a;
        const double b = dot(oc, ray.d), a = dot(ray.d, ray.d);
        const double c = dot(oc, oc) - s.r0 * s.r0;
        const double disc = b * b - a * c;
        if (disc < 0) return false;
        const double sq = std::sqrt(disc);
        double t = (-b - sq) / a;
        if (t <= t_min) t = (-b + sq) / a;
        if (t <= t_min || t >= t_max) return false;
        hit.t = t;
        hit.p = ray.o + ray.d * t;
        hit.ng = face_forward((hit.p - s.a) / s.r0, ray.d);
        hit.n = hit.ng;
        hit.local = hit.p - s.a;
        hit.face = 0;
        return true;
    }
    case ShapeKind::box: {
        // Into the box frame: rotate by the negative yaw.
        const V3d q = ray.o - s.a;
        const V3d o{q.x * s.c.x - q.z * s.c.y, q.y, q.x * s.c.y + q.z * s.c.x};
        const V3d d{ray.d.x * s.c.x - ray.d.z * s.c.y, ray.d.y, ray.d.x * s.c.y + ray.d.z * s.c.x};
        double t0 = -1e300, t1 = 1e300;
        int axis0 = 0, axis1 = 0;
        for (int a = 0; a < 3; ++a) {
            if (std::fabs(d[a]) < 1e-15) {
                if (o[a] < -s.b[a] || o[a] > s.b[a]) return false;
                continue;
            }
            double ta = (-s.b[a] - o[a]) / d[a], tb = (s.b[a] - o[a]) / d[a];
            if (ta > tb) std::swap(ta, tb);
            if (ta > t0) t0 = ta, axis0 = a;
            if (tb < t1) t1 = tb, axis1 = a;
            if (t0 > t1) return false;
        }
        double t = t0;
        int axis = axis0;
        if (t <= t_min) t = t1, axis = axis1;
        if (t <= t_min || t >= t_max) return false;
        const V3d lp = o + d * t;
        V3d ln{0, 0, 0};
        ln[axis] = lp[axis] > 0 ? 1 : -1;
        // Back to the world: rotate by the yaw.
        const V3d n{ln.x * s.c.x + ln.z * s.c.y, ln.y, -ln.x * s.c.y + ln.z * s.c.x};
        hit.t = t;
        hit.p = ray.o + ray.d * t;
        hit.ng = face_forward(n, ray.d);
        hit.n = hit.ng;
        hit.local = lp;
        hit.face = axis;
        return true;
    }
    case ShapeKind::cone: {
        V3d u, tx, tz;
        double len;
        cone_frame(s, u, tx, tz, len);
        // Local ray: axial coordinate h along u, radial coordinates in the (tx, tz) plane.
        const V3d q = ray.o - s.a;
        const double oh = dot(q, u), dh = dot(ray.d, u);
        const double ox = dot(q, tx), oz = dot(q, tz), dx = dot(ray.d, tx), dz = dot(ray.d, tz);
        const double k = (s.r1 - s.r0) / len; // radius growth per unit of height
        // (ox + t dx)^2 + (oz + t dz)^2 = (r0 + k (oh + t dh))^2
        const double rr = s.r0 + k * oh;
        const double a = dx * dx + dz * dz - k * k * dh * dh;
        const double b = 2 * (ox * dx + oz * dz - rr * k * dh);
        const double c = ox * ox + oz * oz - rr * rr;
        double best = t_max;
        V3d best_n;
        int best_face = 0;
        bool found = false;
        if (std::fabs(a) > 1e-14) {
            const double disc = b * b - 4 * a * c;
            if (disc >= 0) {
                const double sq = std::sqrt(disc);
                const double roots[2] = {(-b - sq) / (2 * a), (-b + sq) / (2 * a)};
                for (double t : roots) {
                    if (t <= t_min || t >= best) continue;
                    const double h = oh + t * dh;
                    if (h < 0 || h > len) continue;
                    const double px = ox + t * dx, pz = oz + t * dz;
                    const double r = s.r0 + k * h;
                    if (r < 0) continue;
                    // Outward normal of the frustum's side.
                    const V3d radial = normalized(tx * px + tz * pz);
                    best_n = normalized(radial - u * k);
                    best = t;
                    best_face = 0;
                    found = true;
                }
            }
        }
        // The two caps.
        if (std::fabs(dh) > 1e-15) {
            const double caps[2][2] = {{0, s.r0}, {len, s.r1}};
            for (int i = 0; i < 2; ++i) {
                const double t = (caps[i][0] - oh) / dh;
                if (t <= t_min || t >= best) continue;
                const double px = ox + t * dx, pz = oz + t * dz;
                if (px * px + pz * pz > caps[i][1] * caps[i][1]) continue;
                best = t;
                best_n = i == 0 ? -u : u;
                best_face = i + 1;
                found = true;
            }
        }
        if (!found) return false;
        hit.t = best;
        hit.p = ray.o + ray.d * best;
        hit.ng = face_forward(best_n, ray.d);
        hit.n = hit.ng;
        hit.local = {ox + best * dx, oh + best * dh, oz + best * dz};
        hit.face = best_face;
        return true;
    }
    }
    return false;
}

bool Tracer::intersect(const Ray& ray, double t_min, double t_max, Hit& hit) const {
    if (nodes_.empty()) return false;
    const V3d inv{1 / ray.d.x, 1 / ray.d.y, 1 / ray.d.z};
    int stack[128];
    int top = 0;
    stack[top++] = 0;
    bool found = false;
    while (top > 0) {
        const Node& node = nodes_[static_cast<size_t>(stack[--top])];
        if (!slab(node.lo, node.hi, ray.o, inv, t_min, t_max)) continue;
        if (node.left < 0) {
            for (int i = node.first; i < node.first + node.count; ++i) {
                const int s = order_[static_cast<size_t>(i)];
                if (hit_shape(shapes_[static_cast<size_t>(s)], ray, t_min, t_max, hit)) {
                    t_max = hit.t;
                    hit.shape = s;
                    found = true;
                }
            }
        } else {
            // Nearer child last, so that it is visited first.
            const int a = node.left, b = node.right;
            const double da =
                dot(nodes_[static_cast<size_t>(a)].lo + nodes_[static_cast<size_t>(a)].hi, ray.d);
            const double db =
                dot(nodes_[static_cast<size_t>(b)].lo + nodes_[static_cast<size_t>(b)].hi, ray.d);
            stack[top++] = da < db ? b : a;
            stack[top++] = da < db ? a : b;
        }
    }
    return found;
}

bool Tracer::occluded(const Ray& ray, double t_min, double t_max) const {
    if (nodes_.empty()) return false;
    const V3d inv{1 / ray.d.x, 1 / ray.d.y, 1 / ray.d.z};
    int stack[128];
    int top = 0;
    stack[top++] = 0;
    Hit hit;
    while (top > 0) {
        const Node& node = nodes_[static_cast<size_t>(stack[--top])];
        if (!slab(node.lo, node.hi, ray.o, inv, t_min, t_max)) continue;
        if (node.left < 0) {
            for (int i = node.first; i < node.first + node.count; ++i) {
                const Shape& s = shapes_[static_cast<size_t>(order_[static_cast<size_t>(i)])];
                if ((s.flags & shape_casts_shadow) && hit_shape(s, ray, t_min, t_max, hit))
                    return true;
            }
        } else {
            stack[top++] = node.right;
            stack[top++] = node.left;
        }
    }
    return false;
}
