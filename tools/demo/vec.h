// Double-precision vectors for the content generator's ray tracer and model builder. The game's
// own float types stay in the engine; the generator converts at the boundary, where the camera
// comes from the engine's matrices.
#pragma once

#include <algorithm>
#include <cmath>

struct V3d {
    double x = 0, y = 0, z = 0;

    constexpr V3d() = default;
    constexpr V3d(double x_, double y_, double z_) : x(x_), y(y_), z(z_) {}

    constexpr V3d operator+(const V3d& o) const { return {x + o.x, y + o.y, z + o.z}; }
    constexpr V3d operator-(const V3d& o) const { return {x - o.x, y - o.y, z - o.z}; }
    constexpr V3d operator-() const { return {-x, -y, -z}; }
    constexpr V3d operator*(double s) const { return {x * s, y * s, z * s}; }
    constexpr V3d operator/(double s) const { return {x / s, y / s, z / s}; }
    constexpr V3d operator*(const V3d& o) const { return {x * o.x, y * o.y, z * o.z}; }
    V3d& operator+=(const V3d& o) {
        x += o.x, y += o.y, z += o.z;
        return *this;
    }
    V3d& operator-=(const V3d& o) {
        x -= o.x, y -= o.y, z -= o.z;
        return *this;
    }
    V3d& operator*=(double s) {
        x *= s, y *= s, z *= s;
        return *this;
    }
    double operator[](int i) const { return i == 0 ? x : i == 1 ? y : z; }
    double& operator[](int i) { return i == 0 ? x : i == 1 ? y : z; }
};

inline constexpr V3d operator*(double s, const V3d& v) {
    return v * s;
}
inline double dot(const V3d& a, const V3d& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline V3d cross(const V3d& a, const V3d& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double length(const V3d& v) {
    return std::sqrt(dot(v, v));
}
inline V3d normalized(const V3d& v) {
    const double l = length(v);
    return l > 0 ? v / l : V3d{0, 0, 0};
}
inline V3d lerp(const V3d& a, const V3d& b, double t) {
    return a + (b - a) * t;
}
inline V3d vmin(const V3d& a, const V3d& b) {
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::min(a.z, b.z)};
}
inline V3d vmax(const V3d& a, const V3d& b) {
    return {std::max(a.x, b.x), std::max(a.y, b.y), std::max(a.z, b.z)};
}
inline double clamp01(double v) {
    return v < 0 ? 0 : v > 1 ? 1 : v;
}
inline double smoothstep(double a, double b, double v) {
    const double t = clamp01((v - a) / (b - a));
    return t * t * (3 - 2 * t);
}
inline double mix(double a, double b, double t) {
    return a + (b - a) * t;
}

// Any unit vector perpendicular to n, and the third axis of the frame.
inline void orthonormal_basis(const V3d& n, V3d& t, V3d& b) {
    const V3d a = std::fabs(n.x) > 0.9 ? V3d{0, 1, 0} : V3d{1, 0, 0};
    t = normalized(cross(a, n));
    b = cross(n, t);
}

inline constexpr double k_pi = 3.14159265358979323846;

// A rigid transform as a 3x3 rotation (rows are the images of the unit axes, so a point maps as
// p' = p.x * r[0] + p.y * r[1] + p.z * r[2] + t, the row-vector convention of the engine) and a
// translation.
struct Frame3 {
    V3d r[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    V3d t;

    V3d apply(const V3d& p) const { return r[0] * p.x + r[1] * p.y + r[2] * p.z + t; }
    V3d apply_dir(const V3d& d) const { return r[0] * d.x + r[1] * d.y + r[2] * d.z; }
};

// a then b (p x a x b).
inline Frame3 compose(const Frame3& a, const Frame3& b) {
    Frame3 c;
    for (int i = 0; i < 3; ++i) c.r[i] = b.apply_dir(a.r[i]);
    c.t = b.apply(a.t);
    return c;
}

inline Frame3 frame_translation(const V3d& t) {
    Frame3 f;
    f.t = t;
    return f;
}

// Rotations with the engine's sign conventions (left-handed, row vectors).
inline Frame3 frame_rotation_x(double a) {
    Frame3 f;
    const double c = std::cos(a), s = std::sin(a);
    f.r[1] = {0, c, s};
    f.r[2] = {0, -s, c};
    return f;
}
inline Frame3 frame_rotation_y(double a) {
    Frame3 f;
    const double c = std::cos(a), s = std::sin(a);
    f.r[0] = {c, 0, -s};
    f.r[2] = {s, 0, c};
    return f;
}
inline Frame3 frame_rotation_z(double a) {
    Frame3 f;
    const double c = std::cos(a), s = std::sin(a);
    f.r[0] = {c, s, 0};
    f.r[1] = {-s, c, 0};
    return f;
}
