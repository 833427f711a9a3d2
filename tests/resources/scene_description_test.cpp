#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "app/game.h"
#include "resource_test_support.h"
#include "resources/scene_description.h"

namespace {

constexpr const char* k_example = "CAMERA (120.5, -300, 95) (118, -250, 90) (30) (1)\n"
                                  "SCALE (1.2)\n"
                                  "AMBIENT (40, 41, 48)\n"
                                  "START (0, 0, 0)\n"
                                  "FIRES (1)\n"
                                  "(55, 10, 0) (1.0) (2.5) (3.0) (1) (0)\n"
                                  "POINTLIGHT (1)\n"
                                  "(10, 20, 30) (4) (255) (128) (1)\n"
                                  "SPOTLIGHT (1)\n"
                                  "(2) (0, 0, 0) (0, 10, 0) (60) (1) (2) (3)\n";

struct Scene {
    SceneCamera camera;
    Lighting lighting;
    FireTable fires{};
    Random random;

    void apply(std::string_view text) {
        apply_scene_description(std::span(text.data(), text.size()),
                                {camera, lighting, fires, random});
    }
    int lights() const {
        int n = 0;
        for (const LightSlot& l : lighting.light_table) n += l.lifetime != 0;
        return n;
    }
};

void expect_same(const Scene& a, const Scene& b) {
    EXPECT_EQ(a.camera.camera_eye, b.camera.camera_eye);
    EXPECT_EQ(a.camera.scene_scale, b.camera.scene_scale);
    EXPECT_EQ(a.lighting.ambient_colour, b.lighting.ambient_colour);
    EXPECT_EQ(std::memcmp(&a.camera.view_projection, &b.camera.view_projection, sizeof(Matrix)), 0);
    for (int i = 0; i < k_fire_count; ++i) {
        EXPECT_EQ(a.fires[i].position, b.fires[i].position);
        EXPECT_EQ(a.fires[i].particles[5].offset, b.fires[i].particles[5].offset);
    }
    for (int i = 0; i < k_light_count; ++i) {
        EXPECT_EQ(a.lighting.light_table[i].position, b.lighting.light_table[i].position);
        EXPECT_EQ(a.lighting.light_table[i].colour, b.lighting.light_table[i].colour);
    }
}

// A numeric locale whose decimal separator is a comma, made with the system's localedef into a
// folder of the build; false where the machine cannot make one.
bool use_comma_locale() {
    const std::string dir = std::string(VANTOR_BINARY_DIR) + "/locales";
    std::filesystem::create_directories(dir);
    const std::string command = "localedef -i de_DE -f UTF-8 '" + dir + "/de_DE.UTF-8' 2>/dev/null";
    if (std::system(command.c_str()) != 0) return false;
    setenv("LOCPATH", dir.c_str(), 1);
    return std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
}

void expect_numbers_taken_as_scanned() {
    struct Case {
        const char* numbers;
        float first, second;
    } cases[] = {
        {"-.5 7", -0.5f, 7}, {"3-4", 3, -4},      {"1.2.5 9", 1.2f, 9},
        {"- 6", 0, 6},       {"x12,y13", 12, 13}, {"\r\n8\r\n9\r\n", 8, 9},
    };
    for (const Case& c : cases) {
        Scene s;
        s.apply(std::string("CAMERA (0,0,0)(0,1,0)(30)(1) SCALE (") + c.numbers +
                ") AMBIENT (0,0,0)");
        EXPECT_FLOAT_EQ(s.camera.scene_scale, c.first) << c.numbers;
        // The second number of the same group shows where the first one ended.
        Scene t;
        t.apply(std::string("CAMERA (") + c.numbers + ",0)(0,1,0)(30)(1)");
        EXPECT_FLOAT_EQ(t.camera.camera_eye.z, c.second / 10) << c.numbers;
    }
}

} // namespace

TEST(SceneDescription, ExampleSetsCameraScaleAmbientFiresAndLights) {
    Scene s;
    s.apply(k_example);
    const SceneCamera& c = s.camera;
    EXPECT_EQ(c.camera_eye, (Vec3{12.05f, -9.5f, -30.0f}));
    EXPECT_EQ(c.camera_target, (Vec3{11.8f, -9.0f, -25.0f}));
    EXPECT_EQ(c.camera_up, (Vec3{0, 1, 0}));
    const float p = 1.0f / std::tan(30 * 0.017453292f) * 1.0f * 1.1f;
    EXPECT_FLOAT_EQ(c.projection_matrix.m[0][0], p);
    EXPECT_FLOAT_EQ(c.projection_matrix.m[1][1], p);
    EXPECT_EQ(c.projection_matrix.m[2][2], 1);
    EXPECT_EQ(c.projection_matrix.m[3][2], -1);
    EXPECT_EQ(c.projection_matrix.m[3][3], 1);
    EXPECT_EQ(c.projection_matrix.m[2][3], 0);
    // The view looks from the eye to the target: the target lies on the view's z axis.
    const Vec3 t = transform_point(c.camera_target, c.view_matrix);
    EXPECT_NEAR(t.x, 0, 1e-5);
    EXPECT_NEAR(t.y, 0, 1e-5);
    EXPECT_GT(t.z, 0);
    EXPECT_FLOAT_EQ(c.scene_scale, 1.2f);
    EXPECT_EQ(s.lighting.ambient_colour, 40u + 41u * 256 + 48u * 65536);

    const SceneFire& f = s.fires[0];
    EXPECT_EQ(f.position, (Vec3{5.5f, -0.0f, 1.0f}));
    EXPECT_EQ(f.size, 1.0f);
    EXPECT_EQ(f.height, 2.5f);
    EXPECT_EQ(f.spread, 3.0f);
    EXPECT_EQ(f.light, 1);
    EXPECT_EQ(f.glow, 0);
    EXPECT_EQ(f.lifetime, -1);
    EXPECT_EQ(s.fires[1].lifetime, 0);
    for (const FireParticle& q : f.particles) {
        EXPECT_LE(std::fabs(q.offset.x), 3.0f);
        EXPECT_LE(q.offset.y, 0.0f);
        EXPECT_GE(q.offset.y, -8 * 2.5f);
    }

    ASSERT_EQ(s.lights(), 2);
    const LightSlot& point = s.lighting.light_table[0];
    EXPECT_EQ(point.colour, 0xFF8001u);
    EXPECT_EQ(point.range, 4.0f);
    EXPECT_EQ(point.spot_mode, 0);
    // Lights are placed with the camera just read.
    const Vec3 expected = transform_point({1, -3, 2}, c.view_projection);
    EXPECT_EQ(point.position, expected);
    const LightSlot& spot = s.lighting.light_table[1];
    EXPECT_EQ(spot.spot_mode, 2);
    EXPECT_EQ(spot.colour, 0x010203u);
    EXPECT_NEAR(spot.cone, 0.5f, 1e-6);
    EXPECT_NEAR(std::sqrt(dot(spot.direction, spot.direction)), 1.0f, 1e-5);
}

TEST(SceneDescription, NumbersAreTakenAsTheReaderScansThem) {
    expect_numbers_taken_as_scanned();
    // Whatever numeric locale the process runs in (a library may set one), a point is the
    // decimal point.
    if (use_comma_locale()) {
        expect_numbers_taken_as_scanned();
        std::setlocale(LC_NUMERIC, "C");
    } else {
        std::printf("no comma locale on this machine: checked in the C locale only\n");
    }
}

TEST(SceneDescription, SectionOrderAndLineEndsDoNotMatter) {
    std::string reordered = k_example;
    const size_t scale = reordered.find("SCALE");
    const std::string scale_line = reordered.substr(scale, reordered.find('\n', scale) + 1 - scale);
    reordered.erase(scale, scale_line.size());
    reordered.insert(0, scale_line);
    std::string crlf;
    for (char ch : std::string(k_example))
        crlf += ch == '\n' ? std::string("\r\n") : std::string(1, ch);

    Scene a, b, c;
    a.apply(k_example);
    b.apply(reordered);
    c.apply(crlf);
    expect_same(a, b);
    expect_same(a, c);
}

TEST(SceneDescription, LooseAndArchivedFilesGiveTheSameValues) {
    ScratchDir dir;
    std::string crlf;
    for (char ch : std::string(k_example))
        crlf += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
    write_file("data/scr_005.txt", crlf);
    write_archive("data.res",
                  {{"data/x.bin", bytes_of("xx")}, {"data/scr_006.txt", bytes_of(crlf)}});
    auto game = std::make_unique<Game>();
    load_scene_description(*game, "data/scr_005.txt");
    Scene a{game->camera, game->lighting, game->fires, {}};
    auto other = std::make_unique<Game>();
    load_scene_description(*other, "data/scr_006.txt");
    Scene b{other->camera, other->lighting, other->fires, {}};
    expect_same(a, b);
    EXPECT_EQ(a.lights(), 2);

    // A missing file changes nothing.
    other->camera.scene_scale = 7;
    load_scene_description(*other, "data/scr_007.txt");
    EXPECT_EQ(other->camera.scene_scale, 7);
}

TEST(SceneDescription, MissingSectionsEndTheReading) {
    Scene s;
    s.fires[2].spread = 2;
    s.fires[2].height = 1;
    s.apply("SCALE (2) CAMERA (1,2,3) (4,5,6) (30) (1) START (9, 9, 9) FIRES (3) POINTLIGHT (1) "
            "(1,1,1)(1)(1)(1)(1)");
    EXPECT_EQ(s.camera.camera_eye, (Vec3{0.1f, -0.3f, 0.2f}));
    EXPECT_EQ(s.camera.scene_scale, 2);
    EXPECT_EQ(s.lighting.ambient_colour, 0u);
    EXPECT_EQ(s.lights(), 0);
    EXPECT_EQ(s.fires[0].lifetime, 0);
    EXPECT_EQ(s.fires[2].particles[0].offset, Vec3{});

    // FIRES (0): no fire burns, yet every slot gets fresh particles from what its spread and
    // height hold from before.
    Scene z;
    z.fires[2].spread = 2;
    z.fires[2].height = 1;
    z.apply("CAMERA (0,0,0)(0,1,0)(30)(1) SCALE (1) AMBIENT (1,2,3) START (0,0,0) FIRES (0)");
    EXPECT_EQ(z.fires[2].lifetime, 0);
    EXPECT_NE(z.fires[2].particles[0].offset, Vec3{});
    EXPECT_EQ(z.fires[3].particles[0].offset.x, 0.0f); // spread 0
}

TEST(SceneDescription, HostileTextsStopInsideTheText) {
    const char* texts[] = {
        "CAMERA (1,2",
        "CAMERA",
        "CAMERA (0,0,0)(0,1,0)(30)(1) SCALE (1) AMBIENT (1,2,3) START (0,0,0) FIRES (99999999999)",
        "CAMERA (0,0,0)(0,1,0)(30)(1) SCALE (1) AMBIENT (1,2,3) START (0,0,0) FIRES (-3) "
        "POINTLIGHT (1e9) (1,1,1)(1)(1)(1)(1) (1,1,1)(1)(1)(1)(1)",
        "CAMERA (0,0,0)(0,1,0)(30)(1) SCALE (1) AMBIENT (1,2,3) START (0,0,0) FIRES (0) "
        "POINTLIGHT (0) SPOTLIGHT (40) (1) (1,1,1)",
    };
    for (const char* t : texts) {
        Scene s;
        s.apply(t);
        EXPECT_LE(s.lights(), 16) << t;
    }
    Scene full;
    std::string many = "CAMERA (0,0,0)(0,1,0)(30)(1) SCALE (1) AMBIENT (1,2,3) START (0,0,0) "
                       "FIRES (20)";
    for (int i = 0; i < 20; ++i) many += " (1,2,3)(1)(1)(1)(0)(0)";
    many += " POINTLIGHT (20)";
    for (int i = 0; i < 20; ++i) many += " (1,2,3)(1)(1)(1)(1)";
    full.apply(many);
    EXPECT_EQ(full.lights(), 16);
    for (const SceneFire& f : full.fires) EXPECT_EQ(f.lifetime, -1);
}

TEST(SceneDescription, WriterRoundTripsThroughTheReader) {
    SceneDescriptionSource src;
    src.eye = {120.5f, -300, 95.25f};
    src.target = {118, -250, 90};
    src.angle = 35;
    src.factor = 1.25f;
    src.scale = 0.000123f;
    src.ambient = {10, 20, 30};
    src.fires.push_back({{55, 10, -0.001f}, 1.5f, 2.5f, 3.5f, 1, 1});
    src.point_lights.push_back({{1, 2, 3}, 7.5f, 200, 100, 50});
    src.spot_lights.push_back({1, {0, 0, 0}, {1, 2, 3}, 45, 9, 8, 7});
    const std::string text = encode_scene_description(src);
    EXPECT_NE(text.find("\r\n"), std::string::npos);
    Scene s;
    s.apply(text);
    EXPECT_EQ(s.camera.camera_eye, (Vec3{120.5f / 10, -95.25f / 10, -300.0f / 10}));
    EXPECT_EQ(s.camera.scene_scale, 0.000123f);
    EXPECT_EQ(s.lighting.ambient_colour, 10u + 20u * 256 + 30u * 65536);
    EXPECT_EQ(s.fires[0].position, (Vec3{5.5f, 0.001f / 10, 1.0f}));
    EXPECT_EQ(s.fires[0].spread, 3.5f);
    EXPECT_EQ(s.fires[0].glow, 1);
    ASSERT_EQ(s.lights(), 2);
    EXPECT_EQ(s.lighting.light_table[0].colour, 0xC86432u);
    EXPECT_EQ(s.lighting.light_table[1].spot_mode, 1);
    EXPECT_NEAR(s.lighting.light_table[1].cone, std::cos(45 / 57.29578f), 1e-7);
}
