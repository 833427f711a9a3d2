#include "render/transforms.h"
#include "render/visibility.h"

#include <cmath>
#include <vector>

#include <gtest/gtest.h>

namespace {

Matrix test_camera() {
    return multiply(look_at({12, -30, -90}, {20, 10, -20}, {0, 1, 0}), projection(60, 1));
}

std::vector<ModelVertex> sample_vertices() {
    std::vector<ModelVertex> v;
    for (int i = 0; i < 37; ++i) {
        const float x = std::sin(i * 0.7f) * 13.0f, y = std::cos(i * 1.3f) * 7.0f - 20.0f,
                    z = i * 0.9f - 3.0f;
        v.push_back({x, y, z, x * y});
    }
    return v;
}

// A world matrix that places (0, 0, 0) at camera-space `at` under an identity view-projection.
ScreenVertex camera_space(float x, float y, float z) {
    ScreenVertex v;
    v.x = x;
    v.y = y;
    v.z = z;
    return v;
}

} // namespace

TEST(BatchTransforms, WideAndScalarFormsGiveIdenticalResults) {
    const auto src = sample_vertices();
    const Matrix m = multiply(multiply(rotation_y(0.4f), translation(3, -1, 40)), test_camera());
    std::vector<ScreenVertex> a(src.size()), b(src.size());
    std::vector<Vec3> na(src.size()), nb(src.size());
    for (bool software : {false, true}) {
        transform_project(src, a, m, software, TransformForm::scalar);
        transform_project(src, b, m, software, TransformForm::four_wide);
        for (size_t i = 0; i < src.size(); ++i) {
            EXPECT_EQ(a[i].x, b[i].x);
            EXPECT_EQ(a[i].y, b[i].y);
            EXPECT_EQ(a[i].z, b[i].z);
            EXPECT_EQ(a[i].rhw, b[i].rhw);
        }
    }
    transform_normals(src, na, m, TransformForm::scalar);
    transform_normals(src, nb, m, TransformForm::four_wide);
    for (size_t i = 0; i < src.size(); ++i) EXPECT_EQ(na[i], nb[i]);
}

TEST(BatchTransforms, AgreeWithThePointTransforms) {
    const auto src = sample_vertices();
    const Matrix m = multiply(translation(2, 0, 30), test_camera());
    std::vector<ScreenVertex> pos(src.size()), proj(src.size());
    std::vector<Vec3> normals(src.size());
    transform_positions(src, pos, m, false);
    transform_project(src, proj, m, false);
    transform_normals(src, normals, m);
    for (size_t i = 0; i < src.size(); ++i) {
        const Vec3 p{src[i][0], src[i][1], src[i][2]};
        const Vec3 t = transform_point(p, m);
        EXPECT_NEAR(pos[i].x, t.x, 1e-3f);
        EXPECT_NEAR(pos[i].z, t.z, 1e-3f);
        EXPECT_FLOAT_EQ(pos[i].rhw, 1.0f); // the matrices used leave w at 1
        const ScreenPoint s = project_point(m, p);
        EXPECT_NEAR(proj[i].x, s.x, 1e-2f);
        EXPECT_NEAR(proj[i].y, s.y, 1e-2f);
        EXPECT_NEAR(proj[i].z, s.z, 1e-6f);
        // Normals leave out the translation row.
        const Vec3 tn = transform_point(p, m) - transform_point({0, 0, 0}, m);
        EXPECT_NEAR(normals[i].x, tn.x, 1e-3f);
        EXPECT_NEAR(normals[i].y, tn.y, 1e-3f);
    }
}

TEST(BatchTransforms, ProjectInPlaceOnBothPaths) {
    std::vector<ScreenVertex> v{camera_space(0, 0, 1200), camera_space(600, -300, 600),
                                camera_space(0.5f * 1200 / 1200, 0, 1200)};
    auto sw = v;
    project_in_place(v, false);
    EXPECT_FLOAT_EQ(v[0].x, 320);
    EXPECT_FLOAT_EQ(v[0].y, 240);
    EXPECT_FLOAT_EQ(v[0].z, 1.0f);
    EXPECT_FLOAT_EQ(v[1].x, 1520);
    EXPECT_FLOAT_EQ(v[1].y, -360);
    project_in_place(sw, true);
    EXPECT_EQ(software_int(sw[0].z), 65535);
    EXPECT_EQ(software_int(sw[1].z), 32768); // 32767.5 goes to the even integer
    EXPECT_EQ(software_int(sw[2].x), 320);   // 320.5 likewise
}

namespace {

// View-projection that is the identity, so world points are camera-space points.
const Matrix k_identity = Matrix::identity();

Vec3 at_pixel(float x, float y, float z) {
    return {(x - 320) * z / 1200, (y - 240) * z / 1200, z};
}

} // namespace

TEST(PointVisible, ScreenEdges) {
    std::vector<uint16_t> depth(640 * 480, 65535);
    EXPECT_FALSE(point_visible_software(k_identity, at_pixel(640.0f, 100, 600), depth));
    int px = 0, py = 0;
    float z = 0;
    ASSERT_TRUE(point_on_screen(k_identity, at_pixel(639.99f, 100, 600), px, py, z));
    EXPECT_EQ(px, 639);
    EXPECT_TRUE(point_visible_software(k_identity, at_pixel(639.99f, 100, 600), depth));
    EXPECT_FALSE(point_visible_software(k_identity, {600, -300, 600}, depth));
    EXPECT_FALSE(point_visible_software(k_identity, at_pixel(-0.01f, 5, 600), depth));
    // Behind the eye: in front of nothing.
    EXPECT_FALSE(point_visible_software(k_identity, {0, 0, -600}, depth));
}

TEST(PointVisible, SoftwareDepthComparison) {
    std::vector<uint16_t> depth(640 * 480, 65535);
    const Vec3 p = at_pixel(100, 50, 600); // depth 0.5: 32767
    depth[50 * 640 + 100] = 32767;
    EXPECT_TRUE(point_visible_software(k_identity, p, depth));
    depth[50 * 640 + 100] = 32766;
    EXPECT_FALSE(point_visible_software(k_identity, p, depth));
    // Depth beyond 1 is limited to 1: the far plane value still shows.
    depth[50 * 640 + 100] = 65535;
    EXPECT_TRUE(point_visible_software(k_identity, at_pixel(100, 50, 2400), depth));
}

TEST(PointVisible, DeviceDepthFormats) {
    const Vec3 p = at_pixel(10, 20, 600); // depth 0.5
    struct Case {
        int bits;
        uint32_t mask;
        uint32_t stored_pass, stored_fail;
    };
    const Case cases[] = {
        {16, 0xFFFF, 32767, 32766},
        {32, 0xFFFFFFFFu, 2147483647u, 2147483646u},
        {32, 0x00FFFFFFu, 8388607u | 0xFF000000u, 8388606u},
        {32, 0xFFFFFF00u, (8388607u << 8) | 0xFFu, (8388606u << 8) | 0xFFu},
    };
    for (const Case& c : cases) {
        const PixelFormat format{PF_ZBUFFER,
                                 static_cast<uint32_t>(c.bits),
                                 0,
                                 0,
                                 0,
                                 0,
                                 static_cast<uint32_t>(c.bits == 16 ? 16 : 24),
                                 c.mask,
                                 0,
                                 0};
        SurfacePtr depth = make_system_surface(640, 480, format);
        surface_set_pixel(*depth, 10, 20, c.stored_pass);
        EXPECT_TRUE(point_visible_device(k_identity, p, *depth, c.bits, c.mask)) << c.mask;
        surface_set_pixel(*depth, 10, 20, c.stored_fail);
        EXPECT_FALSE(point_visible_device(k_identity, p, *depth, c.bits, c.mask)) << c.mask;
    }
    const PixelFormat odd{PF_ZBUFFER, 24, 0, 0, 0, 0, 24, 0xFFFFFF, 0, 0};
    SurfacePtr depth24 = make_system_surface(640, 480, odd);
    EXPECT_FALSE(point_visible_device(k_identity, p, *depth24, 24, 0xFFFFFF));
}
