#include <cstring>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "render/actor.h"
#include "render/lighting.h"
#include "render_harness.h"
#include "tests/support/golden.h"

namespace {

constexpr float k_deg = 3.14159265f / 180;

struct GoldenCase {
    std::string name;
    HarnessOptions options;
    std::function<void(RenderHarness&)> stage; // places and updates the actors
};

HarnessOptions opts(DrawPath path, int bpp, int smoothing = 0, int stencil_shadows = 1,
                    bool stencil = false, int fog = 0) {
    HarnessOptions o;
    o.path = path;
    o.bpp = bpp;
    o.stencil = stencil;
    o.settings.smoothing = smoothing;
    o.settings.stencil_shadows = stencil_shadows;
    o.settings.volumetric_fog = fog;
    return o;
}

void standing(RenderHarness& h) {
    h.place_hero(0, 250, 300, 200 * k_deg);
}

void walking(RenderHarness& h) {
    Actor& a = h.place_hero(0, 150, 380, 0);
    actor_walk_to(a, 520, 250, 10);
    auto ctx = h.actor_context();
    for (int i = 0; i < 25; ++i) {
        actors_begin_frame(*h.actors);
        actor_update(ctx, a);
    }
}

void turning(RenderHarness& h) {
    Actor& a = h.place_hero(0, 250, 300, 0);
    a.waypoint_x = a.order_x = 10;
    a.final_heading = 120 * k_deg;
    auto ctx = h.actor_context();
    actor_arrived(ctx, a);
    for (int i = 0; i < 3; ++i) actor_update(ctx, a);
}

void climbing(RenderHarness& h) {
    Actor& a = h.place_hero(0, 250, 330, 90 * k_deg);
    a.on_stairs = 2;
    a.state = k_state_climb_up_start;
    a.stair_frames = 40;
    a.stair_end_state = k_state_climb_up_end_odd;
    a.stair_heading = a.heading;
    a.walking = 1;
    auto ctx = h.actor_context();
    for (int i = 0; i < 14; ++i) actor_update(ctx, a);
}

void behind_pillar(RenderHarness& h) {
    // Further back than the pillar's foot: its right half is hidden.
    h.place_hero(0, k_pillar_left, 230, 180 * k_deg);
}

void two_with_volumes(RenderHarness& h) {
    h.place_hero(0, 200, 330, 160 * k_deg).shadow_kind = 4;
    h.place_hero(1, 300, 260, 220 * k_deg).shadow_kind = 4;
}

void in_fog(RenderHarness& h) {
    const Vec3 p = h.floor_point(250, 300);
    h.draw->fog_volumes[0] = {1, p, 12, 0.05f, 0x00C0C0D0, 1};
    prepare_fog_volumes(h.draw->fog_volumes, h.camera);
    standing(h);
}

const GoldenCase k_cases[] = {
    {"render_standing_device_32", opts(DrawPath::device, 32), standing},
    {"render_standing_software_32", opts(DrawPath::software, 32), standing},
    {"render_walking_device_16", opts(DrawPath::device, 16), walking},
    {"render_walking_software_16", opts(DrawPath::software, 16), walking},
    {"render_turning_device_32", opts(DrawPath::device, 32), turning},
    {"render_climbing_software_32", opts(DrawPath::software, 32), climbing},
    {"render_behind_pillar_device_32", opts(DrawPath::device, 32), behind_pillar},
    {"render_behind_pillar_software_16", opts(DrawPath::software, 16), behind_pillar},
    {"render_stencil_volumes_device_32", opts(DrawPath::device, 32, 0, 4, true), two_with_volumes},
    {"render_stencil_volumes_device_16", opts(DrawPath::device, 16, 0, 4, true), two_with_volumes},
    {"render_fog_device_32", opts(DrawPath::device, 32, 0, 1, false, 1), in_fog},
    {"render_fog_software_32", opts(DrawPath::software, 32, 0, 1, false, 1), in_fog},
    {"render_smoothing2_software_16", opts(DrawPath::software, 16, 2), standing},
};

} // namespace

TEST(RenderGolden, Frames) {
    for (const GoldenCase& c : k_cases) {
        SCOPED_TRACE(c.name);
        auto h = std::make_unique<RenderHarness>(c.options);
        c.stage(*h);
        h->frame();
        EXPECT_TRUE(matches_golden(c.name, surface_to_rgb(*h->back_buffer)));
    }
}

// The edge smoothing modes change a few hundred pixels of a frame each, fewer than the frame
// tolerance of the other goldens lets through: these frames are held to a tolerance that tells
// every mode from the others.
TEST(RenderGolden, EachSmoothingModeMatchesItsOwnFrameAndNoOther) {
    const GoldenTolerance strict{3, 0.0001};
    const char* names[] = {"render_standing_device_32", "render_smoothing1_device_32",
                           "render_smoothing2_device_32", "render_smoothing3_device_32"};
    for (int mode = 0; mode < 4; ++mode) {
        SCOPED_TRACE(names[mode]);
        auto h = std::make_unique<RenderHarness>(opts(DrawPath::device, 32, mode));
        standing(*h);
        h->frame();
        const RgbImage frame = surface_to_rgb(*h->back_buffer);
        EXPECT_TRUE(matches_golden(names[mode], frame, strict));
        for (int other = 0; other < 4; ++other) {
            if (other == mode) continue;
            RgbImage reference;
            ASSERT_TRUE(read_png(golden_path(names[other]), reference));
            EXPECT_GT(differing_pixels(frame, reference, strict.channel),
                      strict.outlier_share * 640 * 480)
                << "mode " << mode << " passes for mode " << other;
        }
    }
}

TEST(RenderScene, WalkingHeroStaysOnTheFloorAndBehindNearerScenery) {
    for (DrawPath path : {DrawPath::device, DrawPath::software}) {
        auto h = std::make_unique<RenderHarness>(opts(path, 32));
        Actor& a = h->place_hero(0, 300, 200, 0);
        actor_walk_to(a, 500, 215, 10);
        auto ctx = h->actor_context();
        bool hidden_part_seen = false;
        for (int i = 0; i < 200 && (a.walking || a.retarget); ++i) {
            actors_begin_frame(*h->actors);
            actor_update(ctx, a);
            ASSERT_NEAR(a.position.y, -0.2f, 0.05f); // on the floor
            h->frame();
            // The pillar's picture never changes: it is nearer than the hero behind it.
            for (int y = k_pillar_top; y <= k_pillar_bottom; y += 7)
                for (int x = k_pillar_left; x <= k_pillar_right; x += 5) {
                    uint32_t want;
                    std::memcpy(
                        &want,
                        h->scene.scene_picture_work.data() + (size_t(y) * 640 + size_t(x)) * 4, 4);
                    ASSERT_EQ(surface_pixel(*h->back_buffer, x, y) & 0xFFFFFF, want & 0xFFFFFF)
                        << x << "," << y << " path " << int(path) << " update " << i;
                }
            hidden_part_seen = hidden_part_seen ||
                               (a.draw_rect[0] > k_pillar_left && a.draw_rect[2] < k_pillar_right);
        }
        EXPECT_EQ(a.walking, 0);
        EXPECT_TRUE(hidden_part_seen);
    }
}
