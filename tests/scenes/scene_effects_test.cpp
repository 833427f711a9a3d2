// What scene scripts do with effects: emitters that keep spawning until stopped, shimmer areas
// taken in order up to eight, and the area over a burning fire's flames.
#include <gtest/gtest.h>

#include <memory>

#include "app/game.h"
#include "render/camera.h"
#include "scenes/scene_effects.h"

namespace {

std::unique_ptr<Game> scene_with_camera() {
    auto g = std::make_unique<Game>();
    SceneCamera& c = g->camera;
    c.view_matrix = look_at({0, -10, -40}, {0, 0, 0}, {0, 1, 0});
    c.projection_matrix = Matrix{};
    c.projection_matrix.m[0][0] = c.projection_matrix.m[1][1] = 1.5f;
    c.projection_matrix.m[2][2] = 1;
    c.projection_matrix.m[3][2] = -1;
    c.projection_matrix.m[3][3] = 1;
    return g;
}

TEST(SceneEffects, EmittersSpawnEveryPassByTheirChanceUntilStopped) {
    auto g = scene_with_camera();
    Emitter smoke;
    smoke.kind = EmitterKind::puff;
    smoke.look = {0, 0x40404040, 0, 100};
    Emitter sparks;
    sparks.kind = EmitterKind::sparks;
    sparks.chance = 0; // never
    start_emitter(*g, 0, smoke);
    start_emitter(*g, 7, sparks);
    start_emitter(*g, 8, smoke); // no such slot
    for (int i = 0; i < 5; ++i) run_emitters(*g);
    EXPECT_EQ(live_smoke(g->effects), 5);
    EXPECT_EQ(live_spark_trails(g->effects), 0);
    stop_emitter(*g, 0);
    run_emitters(*g);
    EXPECT_EQ(live_smoke(g->effects), 5);
}

TEST(SceneEffects, ShimmerAreasAreTakenInOrderUpToEight) {
    auto g = scene_with_camera();
    for (int n = 0; n < k_shimmer_region_count; ++n) EXPECT_EQ(start_shimmer(*g, n, 2 * n), n);
    EXPECT_EQ(start_shimmer(*g, 1, 1), -1);
    stop_shimmer(*g, 3);
    EXPECT_EQ(start_shimmer(*g, 50, 60), 3);
    const ShimmerRegion& r = g->hot_air.shimmer_regions[3];
    EXPECT_EQ(r.lifetime, -1);
    EXPECT_EQ(r.x, 50);
    EXPECT_EQ(r.y, 60);
}

TEST(SceneEffects, TheAreaOverAFireStandsOverItsFlames) {
    auto g = scene_with_camera();
    EXPECT_EQ(start_shimmer_over_fire(*g, 0), -1) << "the fire does not burn";
    SceneFire& f = g->fires[0];
    f.lifetime = -1;
    f.position = {0, 0, 0};
    f.height = 0.5f;
    ASSERT_EQ(start_shimmer_over_fire(*g, 0), 0);
    // Made from the scene's own camera, before any pass has combined its matrices.
    const Matrix vp = multiply(g->camera.view_matrix, g->camera.projection_matrix);
    const ScreenPoint base = project_point(vp, f.position);
    const ShimmerRegion& r = g->hot_air.shimmer_regions[0];
    EXPECT_NEAR(r.x + k_shimmer_width / 2, base.x, 1);
    // The highest a flame particle rises (height x 0.2 a frame for at most 16 / 0.6 frames) is
    // in the area's lowest rows, which shimmer only beside the flames.
    const ScreenPoint top = project_point(vp, {0, -0.5f * 0.2f * 16 / 0.6f, 0});
    EXPECT_GE(top.y, r.y + 23);
    EXPECT_LE(top.y, r.y + k_shimmer_height);
    EXPECT_EQ(start_shimmer_over_fire(*g, 16), -1);
}

} // namespace
