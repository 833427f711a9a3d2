// The ray tracer's geometry: triangles, spheres, yaw-rotated boxes and capped cone frustums
// (cylinders when both radii agree), kept in a bounding-volume hierarchy.
//
// World coordinates are the engine's: y grows downwards, so "up" is -y.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/demo/vec.h"

enum class ShapeKind : uint8_t {
    triangle,
    sphere,
    box,
    cone,
};

// What a surface means for the walk map and the shadows.
enum ShapeFlags : uint8_t {
    shape_casts_shadow = 1,
    shape_floor = 2,    // characters may stand on it
    shape_obstacle = 4, // characters may not pass through it
};

struct Shape {
    ShapeKind kind = ShapeKind::triangle;
    uint8_t flags = shape_casts_shadow;
    uint16_t material = 0;
    uint16_t tag = 0; // the scene's name for the thing the shape belongs to (0: scenery)
    // triangle: corners a, b, c; sphere: centre a; box: centre a, half sizes b, (cos, sin) of
    // the yaw in c.x, c.y; cone: axis ends a and b.
    V3d a, b, c;
    V3d na, nb, nc;        // triangle corner normals; all zero for a flat triangle
    float uv[6] = {};      // triangle corner texture coordinates, for pictured materials
    double r0 = 0, r1 = 0; // sphere radius in r0; cone radii at a and b
};

struct Ray {
    V3d o, d;
};

struct Hit {
    double t = 0;
    int shape = -1;
    V3d p;     // world point
    V3d n;     // shading normal, facing the ray's origin
    V3d ng;    // geometric normal, facing the ray's origin
    V3d local; // shape-local coordinates for textures (box frame, cone: radial x/z, axial y)
    double u = 0, v = 0;   // triangle barycentrics
    double tu = 0, tv = 0; // texture coordinates (triangles)
    int face = 0;          // box: axis of the face hit (0..2); cone: 0 side, 1 and 2 the caps
};

class Tracer {
public:
    int add(const Shape& s);
    void add_triangle(const V3d& a, const V3d& b, const V3d& c, uint16_t material, uint16_t tag,
                      uint8_t flags);
    // Build the hierarchy; call once after all shapes are added.
    void build();

    // Nearest hit with t in (t_min, t_max); false when none.
    bool intersect(const Ray& ray, double t_min, double t_max, Hit& hit) const;
    // Any shadow-casting hit in (t_min, t_max).
    bool occluded(const Ray& ray, double t_min, double t_max) const;

    const Shape& shape(int i) const { return shapes_[static_cast<size_t>(i)]; }
    std::vector<Shape>& shapes() { return shapes_; }
    size_t size() const { return shapes_.size(); }

private:
    struct Node {
        V3d lo, hi;
        int left = -1; // inner node: children; leaf: -1
        int right = -1;
        int first = 0; // leaf: first index into order_
        int count = 0; // leaf: shape count
    };

    int build_node(int first, int count, std::vector<V3d>& lo, std::vector<V3d>& hi,
                   std::vector<V3d>& centre, int depth);
    bool hit_shape(const Shape& s, const Ray& ray, double t_min, double t_max, Hit& hit) const;

    std::vector<Shape> shapes_;
    std::vector<Node> nodes_;
    std::vector<int> order_;
};

// Bounds of one shape.
void shape_bounds(const Shape& s, V3d& lo, V3d& hi);
// Is a point inside a solid shape (spheres, boxes, cones; triangles never)?
bool shape_contains(const Shape& s, const V3d& p);
