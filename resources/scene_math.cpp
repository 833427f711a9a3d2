#include "resources/scene_math.h"

#include <cmath>

Vec3 operator-(const Vec3& a, const Vec3& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

float dot(const Vec3& a, const Vec3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

Vec3 cross(const Vec3& a, const Vec3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

Vec3 normalise(const Vec3& v) {
    const float length = std::sqrt(dot(v, v));
    return {v.x / length, v.y / length, v.z / length};
}

Matrix multiply(const Matrix& a, const Matrix& b) {
    Matrix r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] +
                        a.m[i][3] * b.m[3][j];
    return r;
}

Vec3 transform_point(const Vec3& p, const Matrix& m) {
    return {p.x * m.m[0][0] + p.y * m.m[1][0] + p.z * m.m[2][0] + m.m[3][0],
            p.x * m.m[0][1] + p.y * m.m[1][1] + p.z * m.m[2][1] + m.m[3][1],
            p.x * m.m[0][2] + p.y * m.m[1][2] + p.z * m.m[2][2] + m.m[3][2]};
}

Matrix look_at(const Vec3& eye, const Vec3& aim, const Vec3& up) {
    const Vec3 z = normalise(aim - eye);
    const Vec3 x = normalise(cross(up, z));
    const Vec3 y = cross(z, x);
    Matrix r;
    const Vec3 axes[3] = {x, y, z};
    for (int c = 0; c < 3; ++c) {
        r.m[0][c] = axes[c].x;
        r.m[1][c] = axes[c].y;
        r.m[2][c] = axes[c].z;
        r.m[3][c] = -dot(axes[c], eye);
    }
    r.m[3][3] = 1;
    return r;
}

Matrix projection(float angle_degrees, float factor) {
    Matrix p;
    p.m[0][0] = p.m[1][1] = 1.0f / std::tan(angle_degrees * 0.017453292f) * factor * 1.1f;
    p.m[2][2] = 1;
    p.m[3][2] = -1;
    p.m[3][3] = 1;
    return p;
}
