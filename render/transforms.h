// Batch transforms: model vertices into screen vertices.
//
// The drawing code runs these over every vertex of every drawn part each frame. Two forms exist:
// a four-wide one (SSE, x.row1 + y.row2 + z.row3 + row4 per vertex) and a scalar one. They do
// the same float operations in the same order, so they give identical results; the wide form
// is used when the processor has SSE, checked once.
//
// Screen vertices take two shapes. For the 3D device x and y are pixels, z the depth
// (camera depth / 1200) and rhw 1 / w, all floats. For the software rasteriser x, y and depth
// x 65535 are nearest integers, stored as floats holding whole numbers (see software_int).
#pragma once

#include <algorithm>
#include <cstdint>
#include <span>

#include "render/camera.h"
#include "resources/model.h"

// Which arithmetic the batch transforms use.
enum class TransformForm {
    scalar,
    four_wide
};

// The form chosen for this processor (four_wide when SSE is available).
TransformForm preferred_transform_form();

// Stored model vertices: x, y, z and x * y (the product is ignored here).
using ModelVertex = std::array<float, 4>;

// (X, Y, Z, Wc) = p x M into the first four floats of each destination vertex. With `reciprocal`
// the fourth float is 1 / Wc (the 3D device's form), else Wc.
void transform_positions(std::span<const ModelVertex> source, std::span<ScreenVertex> dest,
                         const Matrix& m, bool reciprocal,
                         TransformForm form = preferred_transform_form());

// n x M without the translation row; the normals are not renormalised.
void transform_normals(std::span<const ModelVertex> source, std::span<Vec3> dest, const Matrix& m,
                       TransformForm form = preferred_transform_form());

// z' = Z / 1200; x = X / z' + 320; y = Y / z' + 240; z = z'. With `software` x, y and z' x 65535
// are stored as nearest integers (halves to even).
void project_in_place(std::span<ScreenVertex> vertices, bool software);

// transform_positions and project_in_place in one pass. The 3D device form writes 1 / Wc as rhw.
void transform_project(std::span<const ModelVertex> source, std::span<ScreenVertex> dest,
                       const Matrix& m, bool software,
                       TransformForm form = preferred_transform_form());

// The 3-float form (shadow volumes): each point through M and projected, z = z' (floats).
void transform_project_points(std::span<const Vec3> source, std::span<Vec3> dest, const Matrix& m);

// The software form's whole number held in a screen vertex field (not-a-number reads as 0,
// values beyond a billion are held there).
inline int32_t software_int(float v) {
    if (!(v == v)) return 0;
    return static_cast<int32_t>(std::clamp(v, -1.0e9f, 1.0e9f));
}
