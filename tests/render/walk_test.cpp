#include "render/walk.h"

#include <cmath>

#include <gtest/gtest.h>

#include "scene_fixture.h"
#include <cstdio>

TEST(NearestFreeCell, RayOrderAndColumnZero) {
    std::vector<uint8_t> map(k_walk_map_bytes, 1);
    map[(50 - 3) * 320 + 40] = 0; // 3 cells up
    map[(50 + 3) * 320 + 40] = 0; // 3 cells down: later in the pass, it wins
    EXPECT_EQ(nearest_free_cell(map, 80, 100), (CellPoint{80, 106}));
    // Only column 0 is free, straight left: the left ray never tests it.
    std::vector<uint8_t> edge(k_walk_map_bytes, 1);
    edge[10 * 320 + 0] = 0;
    EXPECT_EQ(nearest_free_cell(edge, 10, 20), (CellPoint{10, 20})); // none found: its own cell
    // Diagonal up-left finds column 0 though.
    edge[8 * 320 + 0] = 0;
    EXPECT_EQ(nearest_free_cell(edge, 4, 20), (CellPoint{0, 16}));
}

TEST(LineIsClear, OnlyWallsStopAStraightLine) {
    std::vector<uint8_t> map(k_walk_map_bytes, 0);
    map[20 * 320 + 15] = 1;
    EXPECT_TRUE(line_is_clear(map, {10, 20}, {30, 20}));
    map[20 * 320 + 16] = 255;
    EXPECT_FALSE(line_is_clear(map, {10, 20}, {30, 20}));
    EXPECT_TRUE(line_is_clear(map, {16, 20}, {30, 20}));  // the start cell is not tested
    EXPECT_FALSE(line_is_clear(map, {10, 20}, {16, 20})); // the target cell is
    EXPECT_TRUE(line_is_clear(map, {5, 5}, {5, 5}));
}

namespace {

struct PathCase {
    TestScene scene;
    Actor& a = scene.actors->actors[0];
    ActorContext ctx = scene.context();

    // The actor stands on the floor under screen point (x, y).
    void place(int x, int y) { setup_walker(a, scene.floor_point(x, y)); }
};

} // namespace

TEST(FindPath, StraightPathsAndTheirLengths) {
    PathCase c;
    c.place(300, 300);
    const ScreenPoint s = project_point(c.scene.camera.view_projection, c.a.position);
    const int sx = static_cast<int>(std::nearbyint(s.x)) / 2 * 2;
    const int sy = static_cast<int>(std::nearbyint(s.y)) / 2 * 2;
    find_path(c.ctx, c.a, sx + 1, sy);
    EXPECT_EQ(c.a.path_length, 0);
    find_path(c.ctx, c.a, sx + 6, sy + 2);
    EXPECT_EQ(c.a.path_length, 3);
    EXPECT_EQ(c.a.straight_path, 1);
    // Cells of value 1 do not stop a straight line, although the search would avoid them.
    c.scene.block_cells(sx / 2 + 1, sy / 2 - 2, sx / 2 + 2, sy / 2 + 2, 1);
    find_path(c.ctx, c.a, sx + 20, sy);
    EXPECT_EQ(c.a.straight_path, 1);
    EXPECT_EQ(c.a.path_length, 10);
    EXPECT_EQ(c.a.path[9][0], sx + 20);
}

TEST(FindPath, SearchRoundAWallTraceOrderAndNoPath) {
    PathCase c;
    c.place(200, 300);
    const ScreenPoint s = project_point(c.scene.camera.view_projection, c.a.position);
    const int cx = static_cast<int>(std::nearbyint(s.x)) / 2,
              cy = static_cast<int>(std::nearbyint(s.y)) / 2;
    // A wall of 255 two cells right of the start, from 10 cells above to 10 below.
    c.scene.block_cells(cx + 2, cy - 10, cx + 2, cy + 10);
    find_path(c.ctx, c.a, 2 * (cx + 6), 2 * cy);
    ASSERT_GT(c.a.path_length, 0);
    EXPECT_EQ(c.a.straight_path, 0);
    EXPECT_EQ(c.a.path[0][0], 2 * cx); // starts with the start cell
    for (int i = 0; i < c.a.path_length; ++i) {
        const auto& p = c.a.path[static_cast<size_t>(i)];
        EXPECT_NE(c.scene.buffers.scene_walk_map[walk_map_cell(p[0], p[1])], 255);
    }
    // The path passes round an end of the wall; of the equal ways above and below, the tie
    // order (up before down among the straight neighbours) takes the upper one.
    int min_y = 1000;
    for (int i = 0; i < c.a.path_length; ++i)
        min_y = std::min(min_y, c.a.path[static_cast<size_t>(i)][1] / 2);
    EXPECT_LT(min_y, cy - 10);
    // Enclose the target: no path.
    c.scene.block_cells(cx + 2, cy - 10, cx + 10, cy - 10);
    c.scene.block_cells(cx + 2, cy + 10, cx + 10, cy + 10);
    c.scene.block_cells(cx + 10, cy - 10, cx + 10, cy + 10);
    find_path(c.ctx, c.a, 2 * (cx + 6), 2 * cy);
    EXPECT_EQ(c.a.path_length, -1);
}

TEST(Walking, ShortWalksPlaceTheActorAtOnce) {
    PathCase c;
    c.place(300, 300);
    const ScreenPoint s = project_point(c.scene.camera.view_projection, c.a.position);
    const int sx = static_cast<int>(std::nearbyint(s.x)) / 2 * 2;
    const int sy = static_cast<int>(std::nearbyint(s.y)) / 2 * 2;
    actor_walk_to(c.a, sx + 6, sy + 2, 10);
    actor_update(c.ctx, c.a);
    EXPECT_EQ(c.a.walking, 0);
    EXPECT_EQ(c.a.path_length, 0);
    EXPECT_EQ(c.a.position, c.scene.floor_point(sx + 6, sy + 2));
    EXPECT_EQ(c.a.waypoint_x, sx + 6);
    EXPECT_EQ(actor_arrived(c.ctx, c.a), 1);
}

TEST(Walking, WalksTheFloorToTheTargetAndOneSearchPerFrame) {
    PathCase c;
    c.place(200, 300);
    Actor& b = c.scene.actors->actors[1];
    setup_walker(b, c.scene.floor_point(400, 300));
    actor_walk_to(c.a, 420, 330, 10);
    actor_walk_to(b, 250, 350, 10);
    actors_begin_frame(*c.scene.actors);
    actor_update(c.ctx, c.a);
    actor_update(c.ctx, b);
    EXPECT_EQ(c.a.walking, 1);
    EXPECT_EQ(b.retarget, 1); // waits for the next frame
    EXPECT_EQ(b.walking, 0);
    actors_begin_frame(*c.scene.actors);
    actor_update(c.ctx, b);
    EXPECT_EQ(b.retarget, 0);
    EXPECT_EQ(b.walking, 1);
    for (int frame = 0; frame < 2000 && (c.a.walking || b.walking); ++frame) {
        actors_begin_frame(*c.scene.actors);
        actor_update(c.ctx, c.a);
        actor_update(c.ctx, b);
        ASSERT_NEAR(c.a.position.y, 0.0f, 0.3f); // on the floor all the way
    }
    EXPECT_EQ(c.a.position, c.scene.floor_point(420, 330));
    EXPECT_EQ(b.position, c.scene.floor_point(250, 350));
    EXPECT_EQ(actor_arrived(c.ctx, c.a), 1);
}

TEST(Walking, RunUpUsesThreeQuartersOfTheRunSpeedForTheLookAhead) {
    // Waypoint 7.0 units away; run speed 1: 8 x 1 > 7 would skip the waypoint, but during the
    // run-up 8 x 0.75 = 6 <= 7 moves one full step of 1 toward it.
    PathCase c;
    c.place(300, 300);
    Actor& a = c.a;
    a.walking = 1;
    a.running = 1;
    a.state = k_state_run;
    a.frame = 2; // below loop_to 5: the run-up
    a.waypoint = a.position + Vec3{7, 0, 0};
    a.path_length = 6;
    a.path_index = 0;
    for (auto& p : a.path) p = {310, 300};
    const Vec3 start = a.position;
    follow_path(c.ctx, a);
    EXPECT_NEAR(a.position.x - start.x, 1.0f, 1e-5f);
    EXPECT_EQ(a.path_index, 0);
    // After the run-up the same waypoint is nearer than 8 steps and is skipped.
    a.position = start;
    a.frame = 6;
    follow_path(c.ctx, a);
    EXPECT_GT(a.path_index, 0);
}

TEST(Walking, StairClimbPhases) {
    Actor a;
    a.model.parts.resize(1);
    a.anims[k_state_climb_down_start] = {0, 10, 4, 1, 0, {}, 0.5f, 0.2f};
    a.anims[k_state_climb_down_end_odd] = {0, 3, k_no_loop, 1, 0, {}, 0.1f, 0.1f};
    a.on_stairs = 1;
    a.state = k_state_climb_down_start;
    a.stair_frames = 2;
    a.stair_end_state = k_state_climb_down_end_odd;
    a.rise_step = 0.2f;
    a.move_step = 0;
    a.resume_x = 77;
    stair_step(a);
    EXPECT_NEAR(a.position.y, 0.2f, 1e-6f);
    stair_step(a);
    EXPECT_EQ(a.state, k_state_climb_down_end_odd);
    EXPECT_EQ(a.stair_frames, 4);
    for (int i = 0; i < 4; ++i) stair_step(a);
    EXPECT_EQ(a.on_stairs, 0);
    EXPECT_EQ(a.retarget, 1);
    EXPECT_EQ(a.target_x, 77);
    EXPECT_EQ(a.walking, 1);
}
