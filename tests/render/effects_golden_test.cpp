// Golden frames of the effects on the test stage's floor, with the stage's seeded random source:
// a fire on both paths, the glow modes, the smoke blend modes on the device, hot air over a
// fire. Consecutive frames of a fire differ around its flames and nowhere else.
#include <gtest/gtest.h>

#include "effect_stage.h"
#include "tests/support/golden.h"

namespace {

std::string path_name(DrawPath p) {
    return p == DrawPath::device ? "device" : "software";
}

TEST(EffectsGolden, AFireBurnsAndFlickersOnlyWhereItsFlamesAre) {
    for (const DrawPath path : {DrawPath::device, DrawPath::software}) {
        EffectStage stage(path);
        const Vec3 base = stage.above_floor(300, 330, 0.5f);
        stage.light_fire(base);
        for (int i = 0; i < 40; ++i) stage.pass();
        const RgbImage a = stage.shot();
        stage.pass();
        const RgbImage b = stage.shot();
        EXPECT_TRUE(matches_golden("effects_fire_" + path_name(path) + "_32", b));
        // The flames, their glow and sparkles: around the base, mostly above it.
        const ScreenPoint at = project_point(stage.h.camera.view_projection, base);
        const PictureDifference d = picture_difference(a, b);
        EXPECT_GT(d.count, 50) << path_name(path);
        EXPECT_GE(d.left, int(at.x) - 70) << path_name(path);
        EXPECT_LE(d.right, int(at.x) + 70) << path_name(path);
        EXPECT_GE(d.top, int(at.y) - 160) << path_name(path);
        EXPECT_LE(d.bottom, int(at.y) + 70) << path_name(path);
    }
}

// Modes 0..3 from left to right, each standing half behind the pillar's edge.
TEST(EffectsGolden, GlowsOfEachMode) {
    for (const DrawPath path : {DrawPath::device, DrawPath::software}) {
        EffectStage stage(path);
        const Vec3 points[4] = {stage.above_floor(180, 200, 1.0f),
                                stage.above_floor(280, 200, 1.0f),
                                stage.above_floor(k_pillar_left, 200, 1.0f),
                                stage.above_floor(k_pillar_right, 200, 1.0f)};
        for (int i = 0; i < 2; ++i)
            stage.pass([&](EffectStage& e) {
                for (int m = 0; m < 4; ++m) add_glow(e.tables->glows, points[m], 0xA08060, 0, m);
            });
        EXPECT_TRUE(matches_golden("effects_glows_" + path_name(path) + "_32", stage.shot()));
    }
}

// Six smoke columns, blend modes 0..5 from left to right, their particles interleaved in the
// table so that the modes change from quad to quad.
TEST(EffectsGolden, SmokeOfEachBlendModeOnTheDevice) {
    EffectStage stage(DrawPath::device);
    for (int frame = 0; frame < 60; ++frame)
        stage.pass([&](EffectStage& e) {
            if (frame % 4 != 0) return;
            for (int m = 0; m < 6; ++m)
                spawn_puff(e.tables->smoke_particles, e.h.random,
                           e.above_floor(90 + 90 * m, 380, 0.5f), 1.2f, 0.01f,
                           {m, 0xC0A08060, 0x20202020, 120});
        });
    EXPECT_TRUE(matches_golden("effects_smoke_device_32", stage.shot()));
}

TEST(EffectsGolden, HotAirOverAFire) {
    EffectStage stage(DrawPath::device);
    const Vec3 base = stage.above_floor(k_pillar_left - 10, 300, 0.5f);
    stage.light_fire(base);
    const ScreenPoint at = project_point(stage.h.camera.view_projection, base);
    stage.hot_air.shimmer_regions[0] = {-1, int(at.x) - 12, int(at.y) - 60};
    stage.shimmer = true;
    for (int i = 0; i < 40; ++i) stage.pass();
    EXPECT_TRUE(matches_golden("effects_hot_air_device_32", stage.shot()));
}

} // namespace
