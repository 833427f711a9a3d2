// The hero in the generated clearing, in this process: walking stays on the pictured floor and
// climbs the stair onto the terrace, and the scenery nearer than the hero hides it, on both
// drawing paths.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>

#include "app/game_frame.h"
#include "render/camera.h"
#include "tests/e2e/demo_folder.h"
#include "tests/support/demo_game.h"

namespace {

constexpr int k_clearing = 4;

class SceneWalk : public ::testing::TestWithParam<bool> {
protected:
    std::unique_ptr<Game> game;

    void SetUp() override {
        const std::filesystem::path dir = make_demo_folder();
        ASSERT_FALSE(dir.empty());
        std::filesystem::current_path(dir);
        DemoGameOptions o;
        o.hardware = GetParam();
        game = start_demo_game(o, k_clearing, 0);
        ASSERT_NE(game, nullptr);
        // The boar stays out of the hero's way.
        actor_reset(game->actors.actors[2]);
        // The cursor in a corner, away from the hero.
        game->input.mouse_x = 630;
        game->input.mouse_y = 470;
    }

    void TearDown() override {
        if (game) stop_demo_game(*game);
    }

    Actor& hero() { return game->actors.actors[0]; }
};

TEST_P(SceneWalk, HeroWalksOnThePicturedFloorAndClimbsTheStairToTheTerrace) {
    Game& g = *game;
    actor_walk_to(hero(), 302, 199, 10.0f); // the path's start on the terrace, over the stair
    bool climbed = false;
    int floor_checks = 0;
    const auto arrived = [&] {
        const Actor& a = hero();
        return a.waypoint_x == 302 && a.waypoint_y == 199 && !a.walking && !a.on_stairs;
    };
    for (int pass = 0; pass < 800 && !arrived(); ++pass) {
        run_game_frame(g);
        const Actor& a = hero();
        climbed = climbed || a.on_stairs == 2;
        if (a.on_stairs != 0 || !a.walking) continue;
        // Where the picture shows walkable floor under the hero's feet, the floor point pictured
        // there is where the hero stands (within what the depth picture's pixels resolve).
        const ScreenPoint p = project_point(g.camera.view_projection, a.position);
        const int x = int(p.x), y = int(p.y);
        if (x < 0 || x >= 640 || y < 0 || y >= 480) continue;
        if (g.scene_buffers.scene_walk_map[walk_map_cell(x, y)] != 0) continue;
        const Vec3 floor = unproject_pixel(g.camera.view_matrix, g.camera.projection_matrix,
                                           g.scene_buffers.scene_depth_float, x, y);
        EXPECT_LT(length(floor - a.position), 1.0f) << "pass " << pass;
        ++floor_checks;
    }
    EXPECT_GT(floor_checks, 40);
    EXPECT_TRUE(climbed);
    EXPECT_EQ(hero().on_stairs, 0);
    EXPECT_EQ(hero().waypoint_x, 302);
    EXPECT_EQ(hero().waypoint_y, 199);
    EXPECT_NEAR(hero().position.y, 10.2f, 0.3f) << "on the terrace";
}

TEST_P(SceneWalk, SceneryNearerThanTheHeroHidesIt) {
    Game& g = *game;
    // Behind the well, seen from the camera.
    hero().position = {73, 16.2f, -55};
    hero().heading = 3.1f;
    for (int pass = 0; pass < 3; ++pass) run_game_frame(g);
    const auto& r = hero().draw_rect; // max x, max y, min x, min y
    ASSERT_GT(r[0], r[2]);
    const ScreenPoint centre = project_point(g.camera.view_projection, hero().position);
    // Scene pixels clearly nearer than any point of the hero (3 units in front of its centre).
    const int32_t hero_depth = software_depth(centre.z) - 3 * 65535 / 1200;
    const headless::Machine& m = headless::machine();
    ASSERT_TRUE(m.has_frame);
    const int bytes = int(m.frame_format.bit_count / 8);
    const SceneObject& jug = g.records.objects[40];
    int hidden = 0, shown_over = 0;
    for (int y = std::max(r[3], 0); y <= std::min(r[1], 479); ++y)
        for (int x = std::max(r[2], 0); x <= std::min(r[0], 639); ++x) {
            const size_t i = size_t(y) * 640 + size_t(x);
            if (g.draw.scene_depth16_copy[i] >= hero_depth) continue; // the clean scene depth
            if (x >= jug.x && x < jug.x2 && y >= jug.y && y < jug.y2) continue; // drawn over
            ++hidden;
            uint32_t shown = 0, background = 0;
            std::memcpy(&shown, m.frame.data() + size_t(y) * size_t(m.frame_pitch) + x * bytes,
                        size_t(bytes));
            std::memcpy(&background, g.scene_buffers.scene_picture_work.data() + i * 4, 4);
            if ((shown & 0xFFFFFF) != (background & 0xFFFFFF)) ++shown_over;
        }
    EXPECT_GT(hidden, 300) << "the well covers part of the hero";
    EXPECT_EQ(shown_over, 0);
}

INSTANTIATE_TEST_SUITE_P(BothPaths, SceneWalk, ::testing::Values(true, false),
                         [](const auto& param_info) {
                             return param_info.param ? "Device" : "Software";
                         });

} // namespace
