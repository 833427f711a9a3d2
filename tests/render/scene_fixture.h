// A small scene for render and walking tests: a camera looking down at a flat floor at world
// y = 0, the float depth picture that puts every pixel on that floor, an open walk map, and an
// actor with a model and the animation entries the walking code needs.
#pragma once

#include <memory>

#include "render/actor.h"
#include "render/camera.h"

struct TestScene {
    SceneCamera camera;
    SceneBuffers buffers;
    std::unique_ptr<ActorState> actors = std::make_unique<ActorState>();
    Random random;

    TestScene() {
        camera.camera_eye = {0, -40, -100};
        camera.camera_target = {0, 0, 0};
        camera.view_matrix = look_at(camera.camera_eye, camera.camera_target, {0, 1, 0});
        camera.projection_matrix = projection(30, 1);
        camera.view_projection = multiply(camera.view_matrix, camera.projection_matrix);
        set_floor(0.0f);
    }

    // Every pixel's depth value puts it on the plane y = floor_y (sky pixels: no floor).
    void set_floor(float floor_y, int from_row = 0, int to_row = 480) {
        for (int y = from_row; y < to_row; ++y)
            for (int x = 0; x < 640; ++x)
                buffers.scene_depth_float[idx(x, y)] = floor_depth(x, y, floor_y);
    }

    float floor_depth(int x, int y, float floor_y) const {
        const Vec3 p0 =
            unproject(camera.view_matrix, camera.projection_matrix, float(x), float(y), 0);
        const Vec3 p1 =
            unproject(camera.view_matrix, camera.projection_matrix, float(x), float(y), 1);
        const float d = (floor_y - k_unproject_lift - p0.y) / (p1.y - p0.y);
        return d > -100000.0f ? d : -200000.0f;
    }

    static size_t idx(int x, int y) {
        return static_cast<size_t>(y) * 640 + static_cast<size_t>(x);
    }

    Vec3 floor_point(int x, int y) const {
        return unproject_pixel(camera.view_matrix, camera.projection_matrix,
                               buffers.scene_depth_float, x, y);
    }

    void block_cells(int x0, int y0, int x1, int y1, uint8_t value = 255) {
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                buffers.scene_walk_map[static_cast<size_t>(y) * 320 + x] = value;
    }

    ActorContext context() { return ActorContext{*actors, camera, buffers, random}; }
};

// An actor with a one-triangle model and the states: 0 idle (loops 0..10 back to 0), 8 walk,
// 18 run (run-up 0..5, then loops back to 5), 9 and 10 turns of 20 frames.
inline void setup_walker(Actor& a, Vec3 position) {
    actor_reset(a);
    a.model.parts.resize(1);
    a.model.part_count = 1;
    a.part_count = 1;
    a.scale = {1, 1, 1};
    a.position = position;
    a.walk_speed = 0.5f;
    a.run_speed = 1.0f;
    a.final_heading = 10;
    a.anims[0] = {0, 10, 0, 1, 0, {}, 0, 0};
    a.anims[k_state_walk] = {0, 10, 0, 1, 0, {}, 0, 0};
    a.anims[k_state_run] = {0, 20, 5, 1, 0, {}, 0, 0};
    a.anims[k_state_turn_up] = {0, 20, k_no_loop, 1, 0, {}, 0, 0};
    a.anims[k_state_turn_down] = {0, 20, k_no_loop, 1, 0, {}, 0, 0};
}
