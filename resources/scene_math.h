// The few vector and matrix operations the scene files need: 4x4 float matrices applied to row
// vectors (p' = p x M, translation in the fourth row), left-handed look-at.
#pragma once

struct Vec3 {
    float x = 0, y = 0, z = 0;
    bool operator==(const Vec3&) const = default;
};

struct Matrix {
    float m[4][4] = {}; // m[r][c] is element _(r+1)(c+1)

    static Matrix identity() {
        Matrix i;
        for (int k = 0; k < 4; ++k) i.m[k][k] = 1;
        return i;
    }
};

Vec3 operator-(const Vec3& a, const Vec3& b);
float dot(const Vec3& a, const Vec3& b);
Vec3 cross(const Vec3& a, const Vec3& b);
Vec3 normalise(const Vec3& v);

Matrix multiply(const Matrix& a, const Matrix& b);
// p x m with the translation row.
Vec3 transform_point(const Vec3& p, const Matrix& m);
// z = normalise(aim - eye), x = normalise(up x z), y = z x x; x, y, z are the first three
// columns, the fourth row is (-x.eye, -y.eye, -z.eye, 1).
Matrix look_at(const Vec3& eye, const Vec3& aim, const Vec3& up);
// The scene's projection: _11 = _22 = cot(angle) x factor x 1.1 (angle in degrees), _33 = 1,
// _43 = -1, _44 = 1, others 0.
Matrix projection(float angle_degrees, float factor);
