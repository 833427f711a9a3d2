#include "render/actor.h"

#include <cmath>

#include <gtest/gtest.h>

#include "scene_fixture.h"

namespace {

constexpr float k_degree = k_pi_f / 180;

} // namespace

TEST(ActorAnimation, NonLoopingEntryContinuesInsideTheNextRange) {
    Actor a;
    a.anims[3] = {0, 10, k_no_loop, 2, 4, {}, 0, 0};
    a.anims[4] = {5, 30, 5, 1, 0, {}, 0, 0};
    a.state = 3;
    a.frame = 9;
    actor_frame_step(a, true);
    EXPECT_EQ(a.state, 4);
    EXPECT_EQ(a.frame, 11); // kept: it lies inside entry 4
    actor_frame_step(a, true);
    EXPECT_EQ(a.frame, 12);
}

TEST(ActorAnimation, IdleVariantOddsAndTheExactHitRule) {
    Actor a;
    a.model.parts.resize(1);
    a.anims[20] = {0, 10, 4, 1, 0, {}, 0, 0};
    a.idle_states[2] = 20;
    a.idle_variant_counts[2] = 3;
    a.state = 20;
    actor_idle_lookup(a);
    EXPECT_EQ(a.idle_state, 20);
    EXPECT_EQ(a.idle_variants, 3);
    Random r;
    random_seed(r, 12345);
    int counts[4] = {};
    const int trials = 32000;
    for (int i = 0; i < trials; ++i) {
        a.state = 20;
        a.frame = 4;
        actor_idle_variant_choice(a, r);
        ASSERT_GE(a.state, 20);
        ASSERT_LE(a.state, 23);
        ++counts[a.state - 20];
    }
    EXPECT_NEAR(counts[0] / double(trials), 13.0 / 16, 0.01);
    for (int v = 1; v <= 3; ++v) EXPECT_NEAR(counts[v] / double(trials), 1.0 / 16, 0.008);
    // A frame that is not exactly loop_to never picks a variant.
    for (int i = 0; i < 1000; ++i) {
        a.state = 20;
        a.frame = 4.0001f;
        actor_idle_variant_choice(a, r);
        ASSERT_EQ(a.state, 20);
    }
}

TEST(ActorAnimation, TurnOfHundredDegreesTakesTwentyUpdates) {
    TestScene scene;
    auto ctx = scene.context();
    Actor& a = scene.actors->actors[0];
    setup_walker(a, {0, 0, 0});
    a.heading = 0.5f;
    a.waypoint_x = a.order_x = 100;
    a.waypoint_y = a.order_y = 100;
    a.final_heading = 0.5f + 100 * k_degree;
    EXPECT_EQ(actor_arrived(ctx, a), 0);
    EXPECT_EQ(a.state, k_state_turn_up);
    int turning_updates = 0;
    for (int i = 0; i < 30 && (a.state == 9 || a.state == 10); ++i) {
        const float before = a.heading;
        actor_update(ctx, a);
        ++turning_updates;
        if (a.state == 9) {
            EXPECT_NEAR(a.heading - before, 5 * k_degree, 1e-4f);
        }
    }
    EXPECT_EQ(turning_updates, 20);
    EXPECT_EQ(a.heading, a.final_heading);
    EXPECT_EQ(actor_arrived(ctx, a), 1);

    // 30 degrees or less: at once, without the turn states.
    a.final_heading = a.heading - 30 * k_degree;
    EXPECT_EQ(actor_arrived(ctx, a), 1);
    EXPECT_EQ(a.heading, a.final_heading);
    EXPECT_EQ(a.state, a.idle_state);
    // Across the 0/2 pi seam the short way round is taken: decreasing from 10 degrees to 300.
    a.heading = 10 * k_degree;
    EXPECT_FALSE(actor_turn_toward(a, 300 * k_degree));
    EXPECT_EQ(a.state, k_state_turn_down);
    EXPECT_NEAR(a.turn_step, -70 * k_degree / 20, 1e-5f);
}

TEST(ActorAnimation, ArrivedWithoutFinalHeading) {
    TestScene scene;
    auto ctx = scene.context();
    Actor a;
    a.final_heading = 7.0f;
    a.waypoint_x = a.order_x = 5;
    EXPECT_EQ(actor_arrived(ctx, a), 1);
    a.walking = 1;
    EXPECT_EQ(actor_arrived(ctx, a), 0);
}

TEST(ActorWalkOrder, DoubleClickRuns) {
    struct Case {
        int updates_between;
        int running;
    };
    for (const Case c : {Case{5, 1}, Case{9, 1}, Case{10, 0}}) {
        Actor a;
        a.may_run = 1;
        actor_walk_to(a, 100, 200, 10);
        EXPECT_EQ(a.running, 0);
        EXPECT_EQ(a.retarget, 1);
        a.update_count += c.updates_between;
        actor_walk_to(a, 110, 210, 10);
        EXPECT_EQ(a.running, c.running) << c.updates_between;
        EXPECT_EQ(a.update_count, 0);
        EXPECT_EQ(a.target_x, 110);
        EXPECT_EQ(a.resume_y, 210);
    }
    // Without may_run the running flag is left alone.
    Actor b;
    b.running = 1;
    actor_walk_to(b, 1, 2, 10);
    EXPECT_EQ(b.running, 1);
}

TEST(ActorCollision, CirclesThatDoOrDoNotBlock) {
    struct Case {
        float other_x;
        bool stops;
    };
    // The mover's squared radius is 1, the other's 4: s = d^2 - 1 must be in (0, 4].
    for (const Case c : {Case{2.0f, true}, Case{2.236f, true}, Case{2.3f, false}, Case{0.9f, false},
                         Case{1.0f, false}}) {
        auto state = std::make_unique<ActorState>();
        Actor other, mover;
        other.collision_radius_sq = 4;
        other.position = {c.other_x, 0, 0};
        collision_enter(*state, other);
        mover.collision_radius_sq = 1;
        mover.collision_slot = 5;
        collision_enter(*state, mover);
        EXPECT_EQ(mover.collision_slot, 1);
        mover.walking = 1;
        EXPECT_EQ(collision_test(*state, mover), c.stops) << c.other_x;
        EXPECT_EQ(mover.walking, c.stops ? 0 : 1);
    }
    // An actor without a circle frees its entry and takes none; with the others full, one
    // with a circle takes its own freed entry back.
    auto state = std::make_unique<ActorState>();
    for (auto& e : state->collision_table) e.in_use = 1;
    Actor none;
    none.collision_slot = 3;
    collision_enter(*state, none);
    EXPECT_EQ(state->collision_table[3].in_use, 0);
    Actor late;
    late.collision_radius_sq = 1;
    late.collision_slot = 7;
    collision_enter(*state, late);
    EXPECT_EQ(late.collision_slot, 3);
    EXPECT_EQ(state->collision_table[7].in_use, 0);
}

TEST(ActorBake, PlacementIsFixedIntoThePositions) {
    Actor a;
    a.model.parts.resize(1);
    ModelPart& p = a.model.parts[0];
    p.positions = {{1, 0, 0, 0}, {0, -2, 1, 0}};
    p.normals = {{1, 0, 0, 0}, {0, 0, 1, 0}};
    p.frames = {translation(0, 0, 5)};
    a.heading = k_pi_f / 2;
    a.scale = {2, 2, 2};
    Actor turned = a;
    actor_bake(a);
    // (1, 0, 0) moved to (1, 0, 5), turned by -90 degrees about y, scaled by 2: (-10, 0, 2).
    EXPECT_NEAR(p.positions[0][0], -10, 1e-4);
    EXPECT_NEAR(p.positions[0][2], 2, 1e-4);
    EXPECT_NEAR(p.positions[1][3], p.positions[1][0] * p.positions[1][1], 1e-4);
    EXPECT_NEAR(p.normals[1][0], -2, 1e-4); // no translation for normals
    EXPECT_EQ(a.heading, 0);
    EXPECT_EQ(a.scale, (Vec3{1, 1, 1}));
    EXPECT_NEAR(a.footprint[0], -12, 1e-4); // min x
    EXPECT_NEAR(a.footprint[2], -4, 1e-4);  // min y, the highest point
    actor_bake_turned(turned);
    const auto& q = turned.model.parts[0].positions[0];
    EXPECT_NEAR(q[1], -2, 1e-4); // (x, y, z) stored as (x, -z, y)
    EXPECT_NEAR(q[2], 0, 1e-4);
}
