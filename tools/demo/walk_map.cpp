#include "tools/demo/walk_map.h"

#include <cmath>

namespace {

constexpr int k_w = 320;
constexpr int k_h = 240;

bool is_floor(const PixelInfo& p) {
    // y grows downwards: a floor faces up, -y.
    return p.hit && (p.flags & shape_floor) && p.n.y < -0.6;
}

struct Footprint {
    const Shape* shape;
    double x0, z0, x1, z1;
};

} // namespace

std::vector<Shape> collect_obstacles(const Tracer& tracer, const std::vector<Shape>& extra) {
    std::vector<Shape> out;
    for (size_t i = 0; i < tracer.size(); ++i) {
        const Shape& s = tracer.shape(static_cast<int>(i));
        if ((s.flags & shape_obstacle) && s.kind != ShapeKind::triangle) out.push_back(s);
    }
    out.insert(out.end(), extra.begin(), extra.end());
    return out;
}

std::vector<uint8_t> build_walk_map(const RenderResult& geometry,
                                    const std::vector<Shape>& obstacles, const WalkRules& rules) {
    std::vector<Footprint> feet;
    for (const Shape& s : obstacles) {
        V3d lo, hi;
        shape_bounds(s, lo, hi);
        const double c = rules.clearance;
        feet.push_back({&s, lo.x - c, lo.z - c, hi.x + c, hi.z + c});
    }
    // Where a character standing at p would touch an obstacle: its body is a column from the
    // feet up to head height, `clearance` around.
    auto blocked = [&](const V3d& p, double radius) {
        static const double heights[] = {-0.5, -4, -9, -15};
        for (const Footprint& f : feet) {
            if (p.x < f.x0 || p.x > f.x1 || p.z < f.z0 || p.z > f.z1) continue;
            for (double h : heights) {
                if (shape_contains(*f.shape, p + V3d{0, h, 0})) return true;
                if (radius <= 0) continue;
                for (int k = 0; k < 8; ++k) {
                    const double a = k * k_pi / 4;
                    const V3d q = p + V3d{radius * std::cos(a), h, radius * std::sin(a)};
                    if (shape_contains(*f.shape, q)) return true;
                }
            }
        }
        return false;
    };

    std::vector<uint8_t> map(static_cast<size_t>(k_w * k_h), k_walk_wall);
    std::vector<double> level(map.size(), 0);
    for (int cy = 0; cy < k_h; ++cy)
        for (int cx = 0; cx < k_w; ++cx) {
            const size_t i = static_cast<size_t>(cy * k_w + cx);
            // The path finder walks to the screen point (2 cx, 2 cy): that pixel decides.
            const PixelInfo& centre = geometry.at(2 * cx, 2 * cy);
            if (!is_floor(centre)) continue;
            if (rules.region && !rules.region(centre.p)) continue;
            if (blocked(centre.p, 0)) continue;
            level[i] = centre.p.y;
            bool edge = false;
            for (int k = 1; k < 4; ++k)
                if (!is_floor(geometry.at(2 * cx + (k & 1), 2 * cy + (k >> 1)))) edge = true;
            map[i] = edge || blocked(centre.p, rules.clearance) ? k_walk_margin : k_walk_free;
        }

    // A step larger than a cliff between neighbouring cells separates two levels.
    std::vector<uint8_t> out = map;
    for (int cy = 0; cy < k_h; ++cy)
        for (int cx = 0; cx < k_w; ++cx) {
            const size_t i = static_cast<size_t>(cy * k_w + cx);
            if (map[i] == k_walk_wall) continue;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = cx + dx, ny = cy + dy;
                    if (nx < 0 || ny < 0 || nx >= k_w || ny >= k_h) continue;
                    const size_t j = static_cast<size_t>(ny * k_w + nx);
                    if (map[j] != k_walk_wall && std::fabs(level[j] - level[i]) > rules.cliff)
                        out[i] = k_walk_wall;
                }
        }

    // Drop walkable islands too small to matter (stray floor pixels between obstacles).
    std::vector<int> component(out.size(), -1);
    std::vector<size_t> stack, members;
    for (size_t start = 0; start < out.size(); ++start) {
        if (out[start] != k_walk_free || component[start] >= 0) continue;
        members.clear();
        stack.push_back(start);
        component[start] = 1;
        while (!stack.empty()) {
            const size_t c = stack.back();
            stack.pop_back();
            members.push_back(c);
            const int cx = static_cast<int>(c % k_w), cy = static_cast<int>(c / k_w);
            const int nb[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
            for (const auto& d : nb) {
                const int nx = cx + d[0], ny = cy + d[1];
                if (nx < 0 || ny < 0 || nx >= k_w || ny >= k_h) continue;
                const size_t j = static_cast<size_t>(ny * k_w + nx);
                if (out[j] == k_walk_free && component[j] < 0) {
                    component[j] = 1;
                    stack.push_back(j);
                }
            }
        }
        if (static_cast<int>(members.size()) < rules.min_island)
            for (size_t m : members) out[m] = k_walk_margin;
    }
    return out;
}
