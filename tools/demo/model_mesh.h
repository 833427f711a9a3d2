// Building the rigid parts of an animated model: meshes with texture coordinates into a region
// of the model's texture, and the frame matrices of each part.
//
// Model space is the engine's: y grows downwards (feet at y = 0, the head at negative y), and a
// model faces -z. Triangles wind so that (b - a) x (c - a) points out of the surface: that is
// counter-clockwise on the screen when the face is seen from outside, which the renderer keeps
// when it culls clockwise faces.
#pragma once

#include <cstdint>
#include <vector>

#include "resources/model.h"
#include "tools/demo/vec.h"

// A rectangle of the texture, in texture coordinates (0..1, v downwards).
struct UvRect {
    double u0 = 0, v0 = 0, u1 = 1, v1 = 1;
    // A rectangle given in pixels of a texture of `size` pixels.
    static UvRect pixels(double x0, double y0, double x1, double y1, double size = 256);
};

// One ring of a tube: the cross-section at height y of the part's local axis, an ellipse with
// radii rx, rz around the centre (cx, cz).
struct Ring {
    double y = 0, rx = 1, rz = 1, cx = 0, cz = 0;
};

class MeshBuilder {
public:
    uint32_t material = 0;

    int vertex(const V3d& p);
    int uv(double u, double v);
    void triangle(int a, int b, int c, int ua, int ub, int uc);

    // A closed tube through the rings (in order along the part), `sides` vertices around, with
    // the texture wrapped around it (u) and along it (v) inside `region`; the seam runs at the
    // back (+z), so the front of the texture is the middle of the region. Ends are closed with
    // fans unless `open_ends`.
    void tube(const std::vector<Ring>& rings, int sides, const UvRect& region,
              bool open_ends = false);
    // A box between two corners with each face mapped onto the whole region.
    void box(const V3d& lo, const V3d& hi, const UvRect& region);
    // An ellipsoid made as a tube of `stacks` rings.
    void ellipsoid(const V3d& centre, const V3d& radii, int sides, int stacks,
                   const UvRect& region);

    // Move every vertex made so far.
    void transform(const Frame3& f);

    // The part with smooth normals (averaged over the faces that share a vertex) and the
    // given frame matrices.
    ModelPartSource finish(const std::vector<Matrix>& frames) const;

    size_t vertex_count() const { return positions_.size(); }

private:
    std::vector<V3d> positions_;
    std::vector<std::array<float, 2>> uvs_;
    std::vector<uint16_t> indices_, uv_indices_;
};

// The frame matrix of a rigid transform (row vectors, translation in the fourth row).
Matrix to_matrix(const Frame3& f);
// A matrix that collapses a part to a point (a part that is not shown in a frame).
Matrix hidden_matrix(const V3d& at);
