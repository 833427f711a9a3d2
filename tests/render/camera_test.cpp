#include "render/camera.h"

#include <cmath>
#include <vector>

#include <gtest/gtest.h>

namespace {

constexpr float k_pi = 3.14159265f;

void expect_matrix_near(const Matrix& a, const Matrix& b, float tolerance) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(a.m[r][c], b.m[r][c], tolerance) << "element _" << r + 1 << c + 1;
}

Matrix transpose3(const Matrix& m) {
    Matrix t = Matrix::identity();
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) t.m[r][c] = m.m[c][r];
    return t;
}

// A camera above and behind the origin looking down at it, as scene cameras do.
struct TestCamera {
    Vec3 eye{12, -30, -90}, aim{20, 10, -20};
    Matrix view = look_at(eye, aim, {0, 1, 0});
    Matrix proj = projection(60, 1);
    Matrix view_projection = multiply(view, proj);
};

} // namespace

TEST(Projection, CameraSpacePointsOnTheScreen) {
    const ScreenPoint centre = project_transformed({0, 0, 1200});
    EXPECT_FLOAT_EQ(centre.x, 320);
    EXPECT_FLOAT_EQ(centre.y, 240);
    EXPECT_FLOAT_EQ(centre.z, 1.0f);
    EXPECT_EQ(software_depth(centre.z), 65535);

    const ScreenPoint off = project_transformed({600, -300, 600});
    EXPECT_FLOAT_EQ(off.x, 1520);
    EXPECT_FLOAT_EQ(off.y, -360);
    EXPECT_FLOAT_EQ(off.z, 0.5f);
}

TEST(Projection, MatrixFromAngleAndFactor) {
    const Matrix p = projection(65, 0.8f);
    const float s = 1.0f / std::tan(65 * 0.017453292f) * 0.8f * 1.1f;
    Matrix want;
    want.m[0][0] = want.m[1][1] = s;
    want.m[2][2] = 1;
    want.m[3][2] = -1;
    want.m[3][3] = 1;
    expect_matrix_near(p, want, 0);
}

TEST(Projection, CentreOfProjectionIsOneUnitInFrontOfTheEye) {
    // Points on one ray from the camera-space point (0, 0, 1) share their screen point.
    const TestCamera cam;
    const Matrix to_world = affine_inverse(cam.view);
    const Vec3 direction{0.21f, -0.13f, 1};
    const ScreenPoint near_point = project_point(
        cam.view_projection, transform_point(Vec3{0, 0, 1} + direction * 20, to_world));
    const ScreenPoint far_point = project_point(
        cam.view_projection, transform_point(Vec3{0, 0, 1} + direction * 90, to_world));
    EXPECT_NEAR(near_point.x, far_point.x, 1e-3);
    EXPECT_NEAR(near_point.y, far_point.y, 1e-3);
    EXPECT_NEAR(near_point.z, 20 / 1200.0f, 1e-5);
    EXPECT_NEAR(far_point.z, 90 / 1200.0f, 1e-5);
}

TEST(AffineInverse, RotationTranslationAndTheirProduct) {
    const Matrix r = multiply(rotation_x(0.4f), multiply(rotation_y(-1.1f), rotation_z(2.5f)));
    expect_matrix_near(affine_inverse(r), transpose3(r), 1e-6f);
    expect_matrix_near(affine_inverse(translation(3, -4, 5)), translation(-3, 4, -5), 0);

    const Matrix m = multiply(multiply(scaling(2, 3, 0.5f), r), translation(7, 8, -9));
    expect_matrix_near(multiply(m, affine_inverse(m)), Matrix::identity(), 1e-5f);
}

TEST(Rotation, HeadingTurnsTheModelsForwardDirection) {
    // A model faces -z; drawn with rotation_y(-heading) it faces (sin h, 0, -cos h).
    for (float h : {0.0f, 0.5f, k_pi / 2, 3.1f, 6.1f}) {
        const Vec3 f = transform_point({0, 0, -1}, rotation_y(-h));
        EXPECT_NEAR(f.x, std::sin(h), 1e-6) << h;
        EXPECT_NEAR(f.y, 0, 1e-6) << h;
        EXPECT_NEAR(f.z, -std::cos(h), 1e-6) << h;
    }
    const Vec3 x = transform_point({0, 1, 0}, rotation_x(k_pi / 2));
    EXPECT_NEAR(x.z, 1, 1e-6);
    const Vec3 z = transform_point({1, 0, 0}, rotation_z(k_pi / 2));
    EXPECT_NEAR(z.y, 1, 1e-6);
}

TEST(Unproject, CentrePixelLiesOnTheCameraAxis) {
    const TestCamera cam;
    const Vec3 axis = normalise(cam.aim - cam.eye);
    const float d = -640;
    const Vec3 p = unproject(cam.view, cam.proj, 320, 240, d);
    const Vec3 want = cam.eye + axis * (-d * 0.1f) + Vec3{0, -0.2f, 0};
    EXPECT_NEAR(p.x, want.x, 1e-3);
    EXPECT_NEAR(p.y, want.y, 1e-3);
    EXPECT_NEAR(p.z, want.z, 1e-3);
}

TEST(Unproject, ProjectingBackScalesAwayFromTheCentreByDepthOverDepthLessOne) {
    // unproject() walks the ray from the eye, the projection divides by depth - 1: the round
    // trip moves a point away from the screen centre by the factor Z / (Z - 1).
    const TestCamera cam;
    struct Case {
        float x, y, depth;
    };
    for (const Case& c : {Case{320, 240, 50}, Case{0, 0, 50}, Case{639, 479, 80},
                          Case{100, 400, 120}, Case{600, 20, 35}}) {
        Vec3 p = unproject(cam.view, cam.proj, c.x, c.y, -10 * c.depth);
        p.y += 0.2f; // undo the lift
        const ScreenPoint s = project_point(cam.view_projection, p);
        const float k = c.depth / (c.depth - 1);
        EXPECT_NEAR(s.x, 320 + (c.x - 320) * k, 2e-3) << c.x << "," << c.y;
        EXPECT_NEAR(s.y, 240 + (c.y - 240) * k, 2e-3) << c.x << "," << c.y;
        EXPECT_NEAR(s.z, (c.depth - 1) / 1200, 1e-6);
    }
}

TEST(Unproject, PixelReadsTheDepthPictureAndClampsToIt) {
    const TestCamera cam;
    std::vector<float> depth(640 * 480, -300);
    depth[479 * 640 + 639] = -700;
    depth[0] = -450;
    const Vec3 corner = unproject_pixel(cam.view, cam.proj, depth, 639, 479);
    const Vec3 want = unproject(cam.view, cam.proj, 639, 479, -700);
    EXPECT_EQ(corner, want);
    EXPECT_EQ(unproject_pixel(cam.view, cam.proj, depth, 700, 900), want);
    EXPECT_EQ(unproject_pixel(cam.view, cam.proj, depth, -5, -5),
              unproject(cam.view, cam.proj, 0, 0, -450));
    EXPECT_EQ(unproject_pixel(cam.view, cam.proj, std::span<const float>(), 10, 10),
              unproject(cam.view, cam.proj, 10, 10, 0));
}
