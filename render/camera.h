// Camera, projection and scene math.
//
// The characters must sit exactly on pictures that were rendered offline, so the projection is
// not a general one: camera space maps to the 640x480 screen with a focal length of 1200 pixels
// around the centre (320, 240), and depth is the projected camera depth divided by 1200, the
// scale of the scene's depth pictures. Matrices are 4x4 floats applied to row vectors
// (p' = p x M, translation in the fourth row); world y grows downwards.
//
// The projection matrix has _33 = 1 and _43 = -1, so a camera-space point (X, Y, Z) lands at
// x = 320 + 1200 s X / (Z - 1): the centre of projection sits one unit in front of the eye.
// unproject() goes back from a screen point and its float depth-picture value along the ray from
// the eye itself, and lifts the result by 0.2. Both are kept exactly so, because stored positions
// and scene pictures were made with them.
#pragma once

#include <cstdint>
#include <span>

#include "resources/scene_math.h"

inline constexpr float k_screen_centre_x = 320.0f;
inline constexpr float k_screen_centre_y = 240.0f;
inline constexpr float k_focal_factor = 1.0f / 1200.0f;
inline constexpr float k_software_depth_scale = 65535.0f;
// Float depth-picture values below this mark pixels without floor.
inline constexpr float k_no_floor_depth = -100000.0f;
// unproject() returns points this far above the surface they hit.
inline constexpr float k_unproject_lift = 0.2f;

Vec3 operator+(const Vec3& a, const Vec3& b);
Vec3 operator*(const Vec3& v, float s);
float length(const Vec3& v);

// Inverse of a matrix whose fourth column is (0, 0, 0, 1): the upper 3x3 inverted by cofactors,
// the fourth row -(translation x inverse 3x3).
Matrix affine_inverse(const Matrix& m);

// Left-handed rotations by `a` radians (rotation_y has _11 = cos a, _13 = -sin a).
Matrix rotation_x(float a);
Matrix rotation_y(float a);
Matrix rotation_z(float a);
Matrix translation(float x, float y, float z);
Matrix scaling(float sx, float sy, float sz);

struct ScreenPoint {
    float x = 0, y = 0;
    float z = 0; // depth: projected camera depth / 1200
};

// The projection step of a point already transformed by the view-projection (and world)
// matrix: z' = Z / 1200, x = X / z' + 320, y = Y / z' + 240.
ScreenPoint project_transformed(const Vec3& p);

// A world point through `view_projection` onto the screen.
ScreenPoint project_point(const Matrix& view_projection, const Vec3& p);

// The software depth of a projected depth: z' x 65535 to the nearest integer.
int32_t software_depth(float z);

// The world point under screen point (x, y) whose float depth-picture value is d: the camera
// depth is d x 0.1, the point is taken along the ray from the eye, and the result is lifted by
// 0.2 (y grows downwards, so y - 0.2).
Vec3 unproject(const Matrix& view_matrix, const Matrix& projection_matrix, float x, float y,
               float d);

// The same with d read from a 640x480 float depth picture at pixel (x, y) (clamped to the
// picture).
Vec3 unproject_pixel(const Matrix& view_matrix, const Matrix& projection_matrix,
                     std::span<const float> depth, int x, int y);
