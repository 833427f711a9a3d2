#include "render/transforms.h"

#include <algorithm>
#include <cmath>
#include <xmmintrin.h>

namespace {

// Rows of a matrix as plain arrays; the scalar form reads them in the same order the wide form
// adds its lanes: ((x r1 + y r2) + z r3) + r4.
struct Rows {
    float r[4][4];
};

Rows rows_of(const Matrix& m, bool with_translation) {
    Rows rows{};
    for (int i = 0; i < 4; ++i)
        for (int c = 0; c < 4; ++c) rows.r[i][c] = (i == 3 && !with_translation) ? 0.0f : m.m[i][c];
    return rows;
}

void transform4_scalar(const float* p, const Rows& m, float* out) {
    for (int c = 0; c < 4; ++c) {
        const float a = p[0] * m.r[0][c];
        const float b = p[1] * m.r[1][c];
        const float d = p[2] * m.r[2][c];
        out[c] = ((a + b) + d) + m.r[3][c];
    }
}

void transform4_wide(const float* p, const Rows& m, float* out) {
    const __m128 x = _mm_set1_ps(p[0]);
    const __m128 y = _mm_set1_ps(p[1]);
    const __m128 z = _mm_set1_ps(p[2]);
    __m128 s = _mm_add_ps(_mm_mul_ps(x, _mm_loadu_ps(m.r[0])), _mm_mul_ps(y, _mm_loadu_ps(m.r[1])));
    s = _mm_add_ps(s, _mm_mul_ps(z, _mm_loadu_ps(m.r[2])));
    s = _mm_add_ps(s, _mm_loadu_ps(m.r[3]));
    _mm_storeu_ps(out, s);
}

void transform4(const float* p, const Rows& m, float* out, TransformForm form) {
    if (form == TransformForm::four_wide)
        transform4_wide(p, m, out);
    else
        transform4_scalar(p, m, out);
}

float nearest(float v) {
    return std::nearbyint(v); // the default rounding mode: halves to even
}

void project_one(ScreenVertex& v, bool software) {
    const float z = v.z * k_focal_factor;
    const float x = v.x / z + k_screen_centre_x;
    const float y = v.y / z + k_screen_centre_y;
    if (software) {
        v.x = nearest(x);
        v.y = nearest(y);
        v.z = nearest(z * k_software_depth_scale);
    } else {
        v.x = x;
        v.y = y;
        v.z = z;
    }
}

} // namespace

TransformForm preferred_transform_form() {
    static const TransformForm form =
        __builtin_cpu_supports("sse") ? TransformForm::four_wide : TransformForm::scalar;
    return form;
}

void transform_positions(std::span<const ModelVertex> source, std::span<ScreenVertex> dest,
                         const Matrix& m, bool reciprocal, TransformForm form) {
    const Rows rows = rows_of(m, true);
    const size_t n = std::min(source.size(), dest.size());
    for (size_t i = 0; i < n; ++i) {
        float out[4];
        transform4(source[i].data(), rows, out, form);
        dest[i].x = out[0];
        dest[i].y = out[1];
        dest[i].z = out[2];
        dest[i].rhw = reciprocal ? 1.0f / out[3] : out[3];
    }
}

void transform_normals(std::span<const ModelVertex> source, std::span<Vec3> dest, const Matrix& m,
                       TransformForm form) {
    const Rows rows = rows_of(m, false);
    const size_t n = std::min(source.size(), dest.size());
    for (size_t i = 0; i < n; ++i) {
        float out[4];
        transform4(source[i].data(), rows, out, form);
        dest[i] = {out[0], out[1], out[2]};
    }
}

void project_in_place(std::span<ScreenVertex> vertices, bool software) {
    for (ScreenVertex& v : vertices) project_one(v, software);
}

void transform_project(std::span<const ModelVertex> source, std::span<ScreenVertex> dest,
                       const Matrix& m, bool software, TransformForm form) {
    const Rows rows = rows_of(m, true);
    const size_t n = std::min(source.size(), dest.size());
    for (size_t i = 0; i < n; ++i) {
        float out[4];
        transform4(source[i].data(), rows, out, form);
        ScreenVertex& v = dest[i];
        v.x = out[0];
        v.y = out[1];
        v.z = out[2];
        v.rhw = 1.0f / out[3];
        project_one(v, software);
    }
}

void transform_project_points(std::span<const Vec3> source, std::span<Vec3> dest, const Matrix& m) {
    const size_t n = std::min(source.size(), dest.size());
    for (size_t i = 0; i < n; ++i) {
        const ScreenPoint s = project_point(m, source[i]);
        dest[i] = {s.x, s.y, s.z};
    }
}
