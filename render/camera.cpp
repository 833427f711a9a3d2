#include "render/camera.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int k_depth_width = 640;
constexpr int k_depth_height = 480;

} // namespace

Vec3 operator+(const Vec3& a, const Vec3& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}

Vec3 operator*(const Vec3& v, float s) {
    return {v.x * s, v.y * s, v.z * s};
}

float length(const Vec3& v) {
    return std::sqrt(dot(v, v));
}

Matrix affine_inverse(const Matrix& m) {
    const auto& a = m.m;
    const float c00 = a[1][1] * a[2][2] - a[1][2] * a[2][1];
    const float c01 = a[1][2] * a[2][0] - a[1][0] * a[2][2];
    const float c02 = a[1][0] * a[2][1] - a[1][1] * a[2][0];
    const float det = a[0][0] * c00 + a[0][1] * c01 + a[0][2] * c02;
    const float inv = 1.0f / det;
    Matrix r;
    r.m[0][0] = c00 * inv;
    r.m[1][0] = c01 * inv;
    r.m[2][0] = c02 * inv;
    r.m[0][1] = (a[0][2] * a[2][1] - a[0][1] * a[2][2]) * inv;
    r.m[1][1] = (a[0][0] * a[2][2] - a[0][2] * a[2][0]) * inv;
    r.m[2][1] = (a[0][1] * a[2][0] - a[0][0] * a[2][1]) * inv;
    r.m[0][2] = (a[0][1] * a[1][2] - a[0][2] * a[1][1]) * inv;
    r.m[1][2] = (a[0][2] * a[1][0] - a[0][0] * a[1][2]) * inv;
    r.m[2][2] = (a[0][0] * a[1][1] - a[0][1] * a[1][0]) * inv;
    for (int c = 0; c < 3; ++c)
        r.m[3][c] = -(a[3][0] * r.m[0][c] + a[3][1] * r.m[1][c] + a[3][2] * r.m[2][c]);
    r.m[3][3] = 1;
    return r;
}

Matrix rotation_x(float a) {
    Matrix r = Matrix::identity();
    r.m[1][1] = std::cos(a);
    r.m[1][2] = std::sin(a);
    r.m[2][1] = -std::sin(a);
    r.m[2][2] = std::cos(a);
    return r;
}

Matrix rotation_y(float a) {
    Matrix r = Matrix::identity();
    r.m[0][0] = std::cos(a);
    r.m[0][2] = -std::sin(a);
    r.m[2][0] = std::sin(a);
    r.m[2][2] = std::cos(a);
    return r;
}

Matrix rotation_z(float a) {
    Matrix r = Matrix::identity();
    r.m[0][0] = std::cos(a);
    r.m[0][1] = std::sin(a);
    r.m[1][0] = -std::sin(a);
    r.m[1][1] = std::cos(a);
    return r;
}

Matrix translation(float x, float y, float z) {
    Matrix r = Matrix::identity();
    r.m[3][0] = x;
    r.m[3][1] = y;
    r.m[3][2] = z;
    return r;
}

Matrix scaling(float sx, float sy, float sz) {
    Matrix r = Matrix::identity();
    r.m[0][0] = sx;
    r.m[1][1] = sy;
    r.m[2][2] = sz;
    return r;
}

ScreenPoint project_transformed(const Vec3& p) {
    const float z = p.z * k_focal_factor;
    return {p.x / z + k_screen_centre_x, p.y / z + k_screen_centre_y, z};
}

ScreenPoint project_point(const Matrix& view_projection, const Vec3& p) {
    return project_transformed(transform_point(p, view_projection));
}

int32_t software_depth(float z) {
    return static_cast<int32_t>(std::lround(z * k_software_depth_scale));
}

Vec3 unproject(const Matrix& view_matrix, const Matrix& projection_matrix, float x, float y,
               float d) {
    const float z = d * 0.1f;
    const Vec3 camera{(x - k_screen_centre_x) * z * k_focal_factor,
                      (y - k_screen_centre_y) * z * k_focal_factor, z};
    Matrix rotation = view_matrix;
    rotation.m[3][0] = rotation.m[3][1] = rotation.m[3][2] = 0;
    rotation.m[3][3] = 1;
    const Matrix move = translation(view_matrix.m[3][0], view_matrix.m[3][1], view_matrix.m[3][2]);
    const Matrix back = multiply(move, affine_inverse(rotation));
    const Matrix unscale =
        scaling(1.0f / projection_matrix.m[0][0], 1.0f / projection_matrix.m[1][1],
                1.0f / projection_matrix.m[2][2]);
    const Vec3 q = transform_point(transform_point(camera, unscale), back);
    return {-q.x, -q.y - k_unproject_lift, -q.z};
}

Vec3 unproject_pixel(const Matrix& view_matrix, const Matrix& projection_matrix,
                     std::span<const float> depth, int x, int y) {
    x = std::clamp(x, 0, k_depth_width - 1);
    y = std::clamp(y, 0, k_depth_height - 1);
    const size_t i = static_cast<size_t>(y) * k_depth_width + static_cast<size_t>(x);
    const float d = i < depth.size() ? depth[i] : 0.0f;
    return unproject(view_matrix, projection_matrix, static_cast<float>(x), static_cast<float>(y),
                     d);
}
