// The generated scenes against the engine: their files read back through the game's own readers
// (through the archives), the camera the game reads from the description, and its projection
// and unproject(), agree with what the renderer pictured.
#include <cmath>
#include <cstdio>
#include <vector>

#include <gtest/gtest.h>

#include "app/random.h"
#include "demo_test_support.h"
#include "render/camera.h"
#include "resources/asset_file.h"
#include "resources/bmp.h"
#include "resources/msk.h"
#include "resources/scene_background.h"
#include "resources/scene_description.h"
#include "resources/zbf.h"
#include "tools/demo/make_demo.h"
#include "tools/demo/scenes.h"

namespace {

// One scene generated (geometry only: the picture does not matter here), written as make-demo
// writes it, and read back the way the game reads it.
struct LoadedScene {
    GeneratedScene generated;
    SceneCamera camera;
    std::vector<uint16_t> depth16 = std::vector<uint16_t>(k_depth_pixels);
    std::vector<float> depth = std::vector<float>(k_depth_pixels);
    std::vector<uint8_t> walk = std::vector<uint8_t>(k_walk_map_bytes);
};

const SceneRecipe& recipe(int number) {
    for (const SceneRecipe* r : demo_scenes())
        if (r->number == number) return *r;
    ADD_FAILURE() << "no scene " << number;
    return *demo_scenes().front();
}

void load(int number, LoadedScene& s) {
    SceneQuality quality;
    quality.shading = false;
    DemoOutput out;
    s.generated = generate_scene(recipe(number), quality, out);
    std::string error;
    ASSERT_TRUE(write_demo(out, ".", error)) << error;
    char stem[32];
    std::snprintf(stem, sizeof stem, "data/scr_%03d", number);
    const std::string base = stem;
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(read_asset(base + ".zbf", k_zbf_file_max, bytes));
    decode_zbf(bytes, std::span<uint16_t, k_depth_pixels>(s.depth16.data(), k_depth_pixels));
    ASSERT_TRUE(read_asset(base + "m.msk", k_msk_file_max, bytes));
    decode_msk(bytes, std::span<float, k_depth_pixels>(s.depth.data(), k_depth_pixels));
    ASSERT_TRUE(read_asset(base + "m.raw", k_walk_map_bytes, bytes));
    fill_walk_map(bytes, s.walk);
    ASSERT_TRUE(read_asset(base + ".txt", k_scene_description_max, bytes));
    const std::vector<char> text(bytes.begin(), bytes.end());
    Lighting lighting;
    FireTable fires{};
    Random random;
    apply_scene_description(text, {s.camera, lighting, fires, random});
}

Vec3 vec(const V3d& v) {
    return {static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z)};
}

uint8_t cell_at(const LoadedScene& s, double x, double y) {
    const int px = static_cast<int>(x), py = static_cast<int>(y);
    if (px < 0 || py < 0 || px >= 640 || py >= 480) return 255;
    return s.walk[walk_map_cell(px, py)];
}

// Walkable cells reachable from a screen point, four-connected.
std::vector<bool> reachable_from(const LoadedScene& s, int x, int y) {
    std::vector<bool> seen(k_walk_map_bytes, false);
    std::vector<size_t> todo{walk_map_cell(x, y)};
    if (s.walk[todo[0]] != 0) return seen;
    seen[todo[0]] = true;
    while (!todo.empty()) {
        const size_t c = todo.back();
        todo.pop_back();
        const int cx = static_cast<int>(c % k_walk_map_width),
                  cy = static_cast<int>(c / k_walk_map_width);
        const int nb[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
        for (const auto& d : nb) {
            const int nx = cx + d[0], ny = cy + d[1];
            if (nx < 0 || ny < 0 || nx >= k_walk_map_width || ny >= k_walk_map_height) continue;
            const size_t n = static_cast<size_t>(ny * k_walk_map_width + nx);
            if (!seen[n] && s.walk[n] == 0) seen[n] = true, todo.push_back(n);
        }
    }
    return seen;
}

class GeneratedSceneTest : public ::testing::TestWithParam<int> {
protected:
    ScratchWorkDir dir;
    LoadedScene scene;
    void SetUp() override { load(GetParam(), scene); }
};

// The bound written down in docs/content.md: unproject() walks the eye's ray, one unit beside
// the ray the picture was made along (its centre of projection is one unit in front of the
// eye), and lifts the point by 0.2.
TEST_P(GeneratedSceneTest, WalkableFloorUnprojectsOntoThePicturedPointAndBack) {
    const SceneCamera& cam = scene.camera;
    const float s = cam.projection_matrix.m[0][0];
    int checked = 0;
    for (int cy = 0; cy < k_walk_map_height; cy += 3)
        for (int cx = 0; cx < k_walk_map_width; cx += 3) {
            if (scene.walk[static_cast<size_t>(cy * k_walk_map_width + cx)] != 0) continue;
            const int x = 2 * cx, y = 2 * cy;
            const size_t i = static_cast<size_t>(y) * 640 + x;
            const PixelInfo& pictured = scene.generated.background.info[i];
            ASSERT_TRUE(pictured.hit) << x << "," << y;
            // The float depth is the pictured point's camera depth.
            const double z = -0.1 * scene.depth[i];
            EXPECT_NEAR(z, pictured.depth, 1e-4 * pictured.depth) << x << "," << y;
            // unproject() lands beside the pictured point by at most the ray offset plus the lift.
            const Vec3 p = unproject(cam.view_matrix, cam.projection_matrix, static_cast<float>(x),
                                     static_cast<float>(y), scene.depth[i]);
            const double offset = std::hypot(x - 320.0, y - 240.0) / (1200 * s);
            const Vec3 d = p - vec(pictured.p);
            EXPECT_LE(std::sqrt(d.x * d.x + (d.y + 0.2) * (d.y + 0.2) + d.z * d.z), offset + 2e-3)
                << x << "," << y;
            // The pictured point projects onto its pixel; the unprojected one back to it within
            // the same offsets seen from that depth.
            const ScreenPoint on = project_point(cam.view_projection, vec(pictured.p));
            EXPECT_NEAR(on.x, x, 0.02);
            EXPECT_NEAR(on.y, y, 0.02);
            const ScreenPoint back = project_point(cam.view_projection, p);
            const double bound =
                (std::hypot(x - 320.0, y - 240.0) + 1200 * s * 0.2) / (z - 1) + 0.02;
            EXPECT_LE(std::hypot(back.x - x, back.y - y), bound) << x << "," << y;
            // The depth picture holds the engine's depth of the pictured point.
            EXPECT_NEAR(scene.depth16[i], software_depth(on.z), 1) << x << "," << y;
            ++checked;
        }
    EXPECT_GT(checked, 300);
}

TEST_P(GeneratedSceneTest, PlacesExitsAndZonesAreWhereThePictureShowsThem) {
    const SceneCamera& cam = scene.camera;
    const ::DemoScene& facts = scene.generated.scene;
    const RenderResult& picture = scene.generated.background;

    // The floor straight below a world point, as rendered.
    auto floor_below = [&](const V3d& p, double& y) {
        Hit hit;
        if (!scene.generated.tracer.intersect({p + V3d{0, -3, 0}, {0, 1, 0}}, 0, 10, hit))
            return false;
        y = hit.p.y;
        return (scene.generated.tracer.shape(hit.shape).flags & shape_floor) != 0;
    };
    // Characters stand on walkable floor, 0.2 above it (where unproject() puts floor points).
    for (const DemoPlace& place : facts.places) {
        SCOPED_TRACE(place.who);
        const ScreenPoint at = project_point(cam.view_projection, vec(place.position));
        EXPECT_EQ(cell_at(scene, at.x, at.y), 0) << at.x << "," << at.y;
        double y;
        ASSERT_TRUE(floor_below(place.position, y));
        EXPECT_NEAR(y, place.position.y + 0.2, 0.1);
    }

    // Stairs: both ends on walkable floor of two levels, where the picture has them.
    for (const DemoStair& stair : facts.stairs) {
        for (const V3d& end : {stair.bottom, stair.top}) {
            const ScreenPoint at = project_point(cam.view_projection, vec(end));
            EXPECT_EQ(cell_at(scene, at.x, at.y), 0) << at.x << "," << at.y;
            double y;
            ASSERT_TRUE(floor_below(end, y));
            EXPECT_NEAR(y, end.y + 0.2, 0.1);
        }
        EXPECT_GT(stair.bottom.y - stair.top.y, 3.5); // another level, as the path finder counts
    }

    // Exits: the way out is pictured in the rectangle, and the hero can walk to the exit's
    // point from where he enters (up a stair where one leads there).
    ASSERT_FALSE(facts.places.empty());
    const ScreenPoint entry =
        project_point(cam.view_projection, vec(facts.places.front().position));
    const std::vector<bool> here =
        reachable_from(scene, static_cast<int>(entry.x), static_cast<int>(entry.y));
    auto covered = [&](int x1, int y1, int x2, int y2, uint16_t tag, int& inside, int& all) {
        inside = all = 0;
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x) {
                if (picture.at(x, y).tag != tag) continue;
                ++all;
                if (x >= x1 && x < x2 && y >= y1 && y < y2) ++inside;
            }
    };
    for (const DemoExit& exit : facts.exits) {
        SCOPED_TRACE("exit to scene " + std::to_string(exit.destination));
        int inside, all;
        covered(exit.x1, exit.y1, exit.x2, exit.y2, exit.tag, inside, all);
        EXPECT_GT(inside, 0.15 * (exit.x2 - exit.x1) * (exit.y2 - exit.y1));
        ASSERT_EQ(cell_at(scene, exit.walk_x, exit.walk_y), 0);
        bool reachable = here[walk_map_cell(exit.walk_x, exit.walk_y)];
        for (const DemoStair& stair : facts.stairs) {
            const ScreenPoint bottom = project_point(cam.view_projection, vec(stair.bottom));
            const ScreenPoint top = project_point(cam.view_projection, vec(stair.top));
            const std::vector<bool> above =
                reachable_from(scene, static_cast<int>(top.x), static_cast<int>(top.y));
            if (here[walk_map_cell(static_cast<int>(bottom.x), static_cast<int>(bottom.y))] &&
                above[walk_map_cell(exit.walk_x, exit.walk_y)])
                reachable = true;
        }
        EXPECT_TRUE(reachable);
    }

    // Look zones cover the thing they name, which lies mostly inside them.
    for (const DemoLook& look : facts.looks) {
        SCOPED_TRACE("look zone with text " + std::to_string(look.text));
        int inside, all;
        covered(look.x1, look.y1, look.x2, look.y2, look.tag, inside, all);
        EXPECT_GT(inside, 0.15 * (look.x2 - look.x1) * (look.y2 - look.y1));
        EXPECT_GT(inside, 0.6 * all);
    }

    // Strips: one frame under the other, as many as the strip plays.
    for (const DemoStrip& strip : facts.strips) {
        SCOPED_TRACE(strip.picture);
        std::vector<uint8_t> bytes;
        ASSERT_TRUE(read_asset(strip.picture, 5000000, bytes));
        Bmp24Layout layout;
        ASSERT_TRUE(bmp24_layout(bytes, layout));
        EXPECT_EQ(layout.width, strip.width);
        EXPECT_EQ(layout.height, strip.frame_height * strip.frames);
        EXPECT_LE(strip.x + strip.width, 640);
        EXPECT_LE(strip.y + strip.frame_height, 480);
    }

    // Object pictures start where the object starts and hold all of it.
    ASSERT_EQ(scene.generated.object_pixels.size(), facts.objects.size());
    for (size_t i = 0; i < facts.objects.size(); ++i) {
        const DemoObject& o = facts.objects[i];
        SCOPED_TRACE(o.picture);
        const auto& seen = scene.generated.object_pixels[i];
        const auto& size = scene.generated.object_sizes[i];
        ASSERT_LT(seen[0], seen[2]);
        EXPECT_GE(seen[0], o.x);
        EXPECT_GE(seen[1], o.y);
        EXPECT_LE(seen[0] - o.x + seen[1] - o.y, 8);
        EXPECT_LE(seen[2], o.x + size[0]);
        EXPECT_LE(seen[3], o.y + size[1]);
        std::vector<uint8_t> bytes;
        EXPECT_TRUE(read_asset(o.picture, 5000000, bytes));
        if (!o.tool) continue;
        // What can be taken has its tool picture: 92x88 above a 64x64 icon, on black.
        char tool[40];
        std::snprintf(tool, sizeof tool, "gfx/tools/tool%03d.bmp", o.number);
        ASSERT_TRUE(read_asset(tool, 5000000, bytes));
        Bmp24Layout layout;
        ASSERT_TRUE(bmp24_layout(bytes, layout));
        EXPECT_EQ(layout.width, 92);
        EXPECT_EQ(layout.height, 152);
        const uint8_t* corner = layout.stored_row(bytes, 0);
        EXPECT_EQ(corner[0] | corner[1] | corner[2], 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Scenes, GeneratedSceneTest, ::testing::Values(3, 4, 5, 6, 86),
                         [](const auto& p) { return "scene" + std::to_string(p.param); });

} // namespace
