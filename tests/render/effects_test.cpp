// The effect tables: the smoke's colour course and life, the spawners' full tables, the quad
// batch's cap, sparks and sparkles, glows hiding behind the scene by their mode on both paths,
// flames on the software path, and the tables' order of steps.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/random.h"
#include "effect_stage.h"
#include "render/fires.h"
#include "render/quad_batch.h"

namespace {

uint8_t byte_of(uint32_t c, int k) {
    return uint8_t(c >> (8 * k));
}

// Within one unit of every channel (8.8 steps truncate).
bool near_colour(uint32_t a, uint32_t b) {
    for (int k = 0; k < 4; ++k)
        if (std::abs(int(byte_of(a, k)) - int(byte_of(b, k))) > 1) return false;
    return true;
}

TEST(Smoke, TheColourRunsFromStartToEndInItsFramesWhateverTheDifference) {
    struct Case {
        uint32_t start, end;
        int32_t frames;
    } cases[] = {
        {0x00000000, 0xFFFFFFFF, 1},  // a step that does not fit 16 signed bits
        {0xFFFFFFFF, 0x00000000, 2},  // the same downwards
        {0x80604020, 0x20406080, 37}, // channels moving both ways, steps truncated
        {0x10101010, 0x10101010, 20}, // no change
    };
    for (const Case& c : cases) {
        SmokeTable table{};
        Random random;
        SmokeParticle* p = spawn_smoke(table, random, {}, 1, {0, c.start, c.end, c.frames});
        ASSERT_NE(p, nullptr);
        p->lifetime = -1;
        uint32_t drawn = 0;
        for (int i = 0; i <= c.frames; ++i) drawn = step_smoke_particle(*p, {}).colour;
        EXPECT_TRUE(near_colour(drawn, c.end)) << std::hex << c.start << " " << drawn;
        EXPECT_EQ(step_smoke_particle(*p, {}).colour, drawn) << "the course is over";
    }
}

TEST(Smoke, AParticleOfOneColourLivesItsWholeLifetime) {
    SmokeTable table{};
    Random random;
    SmokeParticle* p = spawn_smoke(table, random, {}, 1, {0, 0x40404040, 0x40404040, 30});
    ASSERT_NE(p, nullptr);
    const int32_t life = p->lifetime;
    ASSERT_GE(life, 160);
    for (int i = 0; i + 1 < life; ++i) {
        EXPECT_EQ(step_smoke_particle(*p, {}).colour, 0x40404040u);
        ASSERT_NE(p->lifetime, 0) << "died after " << i + 1 << " of " << life << " frames";
    }
    step_smoke_particle(*p, {});
    EXPECT_EQ(p->lifetime, 0);
}

TEST(Smoke, AParticleFadingToBlackDiesWhenItGetsThere) {
    SmokeTable table{};
    Random random;
    SmokeParticle* p = spawn_puff(table, random, {}, 1, 0, {0, 0x80808080, 0, 16});
    ASSERT_NE(p, nullptr);
    int frames = 0;
    while (p->lifetime != 0 && frames < 100) {
        step_smoke_particle(*p, {});
        ++frames;
    }
    EXPECT_EQ(frames, 16);
}

// Between its colours and back, for as long as it lives, also when one of them is black.
TEST(Smoke, APulsingParticleSwingsBetweenItsColoursForEver) {
    for (const uint32_t start : {0x10203040u, 0x00000000u}) {
        SmokeTable table{};
        Random random;
        const uint32_t end = 0x80A0C0E0;
        SmokeParticle* p = spawn_pulse(table, random, {}, 1, 1, 1, 1, {3, start, end, 10});
        ASSERT_NE(p, nullptr);
        p->lifetime = -1;
        int at_start = 0, at_end = 0;
        for (int i = 0; i < 2000; ++i) {
            const uint32_t c = step_smoke_particle(*p, {}).colour;
            at_start += near_colour(c, start);
            at_end += near_colour(c, end);
        }
        EXPECT_EQ(p->lifetime, -1) << std::hex << start;
        EXPECT_GT(at_start, 150) << std::hex << start;
        EXPECT_GT(at_end, 150) << std::hex << start;
    }
}

TEST(Smoke, WindBendsTheRiseAndTheParticleGrows) {
    SmokeTable table{};
    Random random;
    SmokeParticle* p = spawn_puff(table, random, {0, 0, 0}, 1, 0.5f, {0, 0x40404040, 0, 200});
    ASSERT_NE(p, nullptr);
    const float size = p->size;
    SmokeFrame f;
    for (int i = 0; i < 50; ++i) f = step_smoke_particle(*p, {0.001f, 0, 0});
    EXPECT_LT(f.position.y, -0.5f); // rises (y grows downwards)
    EXPECT_GT(f.position.x, 0.05f); // blown along +x
    EXPECT_FLOAT_EQ(f.size, size + 49 * 0.5f);
}

TEST(EffectTables, FullTablesDropNewEntries) {
    Random random;
    EffectTables t;
    const SmokeLook look{0, 0x10101010, 0, 10};
    for (int i = 0; i < k_smoke_count; ++i)
        ASSERT_NE(spawn_drift(t.smoke_particles, random, {}, 1, 0, look), nullptr);
    EXPECT_EQ(spawn_smoke(t.smoke_particles, random, {}, 1, look), nullptr);
    EXPECT_EQ(spawn_pulse(t.smoke_particles, random, {}, 1, 1, 1, 0, look), nullptr);
    for (int i = 0; i < k_spark_trail_count; ++i)
        ASSERT_NE(spawn_sparks(t.spark_trails, random, {}), nullptr);
    EXPECT_EQ(spawn_sparks(t.spark_trails, random, {}), nullptr);
    for (int i = 0; i < k_glow_count + 3; ++i) add_glow(t.glows, {float(i), 0, 0}, 1, 0, 3);
    EXPECT_EQ(live_glows(t), k_glow_count);
    EXPECT_EQ(t.glows.back().position.x, float(k_glow_count - 1)) << "a later glow replaced one";
    for (int i = 0; i < k_flying_object_count; ++i)
        ASSERT_NE(add_flying_object(t.flying, random, {}, {1, 0, 0}, {}, 1, 0, 0, 0), nullptr);
    EXPECT_EQ(add_flying_object(t.flying, random, {}, {1, 0, 0}, {}, 1, 0, 0, 0), nullptr);
    clear_effect_tables(t);
    EXPECT_EQ(live_smoke(t) + live_spark_trails(t) + live_glows(t) + live_flying_objects(t), 0);
}

TEST(QuadBatch, KeepsNoMoreQuadsThanTheBufferAndTheIndexListHold) {
    struct Case {
        int vertices, kept;
    } cases[] = {{2048, k_quad_capacity}, {4096, k_quad_capacity}, {40, 10}};
    for (const Case& c : cases) {
        VertexBufferPtr vb;
        ASSERT_EQ(vertex_buffer_create(k_fvf_textured, c.vertices, vb), Result::ok);
        QuadBatch b = quad_batch_begin(vb.get());
        for (int i = 0; i < 600; ++i) {
            if (TLVertex* v = quad_batch_next(b)) v[0].x = float(i);
            quad_batch_keep(b);
        }
        quad_batch_end(b);
        EXPECT_EQ(b.count, c.kept) << c.vertices;
        EXPECT_FALSE(vb->locked);
    }
    const auto indices = quad_indices();
    ASSERT_EQ(indices.size(), size_t(k_quad_capacity * 6));
    EXPECT_EQ(*std::max_element(indices.begin(), indices.end()), 4 * k_quad_capacity - 1);
    const uint16_t last[6] = {2044, 2045, 2046, 2045, 2046, 2047};
    EXPECT_TRUE(std::equal(last, last + 6, indices.end() - 6));
}

TEST(Sparks, TheTrailFollowsThePointsTheSparkPassedAndGravityPullsItBack) {
    EffectStage stage(DrawPath::software);
    SparkTrail* s = spawn_sparks(stage.tables->spark_trails, stage.h.random, {1, 2, 3});
    ASSERT_NE(s, nullptr);
    EXPECT_LT(s->velocity.y, -0.89f);
    std::vector<Vec3> passed;
    for (int i = 0; i < 48; ++i) {
        passed.push_back(s->position);
        stage.pass();
        if (i >= 4) {
            EXPECT_EQ(s->trail[3], passed[size_t(i) - 3]);
        }
    }
    EXPECT_EQ(s->lifetime, 0);
    EXPECT_GT(s->velocity.y, 0) << "falling again";
}

TEST(Sparkles, FadeByteByByteAndStopAtBlack) {
    EXPECT_EQ(subtract_bytes(0x00FF8040, 0x00040201), 0x00FB7E3Fu);
    EXPECT_EQ(subtract_bytes(0x00020100, 0x00040201), 0u);
    EXPECT_EQ(add_bytes(0x00F08010, 0x00208010), 0x00FFFF20u);
    SparkleTable table{};
    Sparkle* s = add_sparkle(table, 3, 0x00FF8040, 0x00040201, {}, {1, 0, 0}, {0, 1, 0});
    ASSERT_NE(s, nullptr);
    EffectStage stage(DrawPath::software);
    stage.pass([&](EffectStage& e) { e.tables->sparkles = table; });
    const Sparkle& after = stage.tables->sparkles[0];
    EXPECT_EQ(after.lifetime, 2);
    EXPECT_EQ(after.colour, 0x00FB7E3Fu);
    EXPECT_EQ(after.position, (Vec3{1, 0, 0}));
    EXPECT_EQ(after.velocity, (Vec3{1, 1, 0}));
}

// A glow standing behind the pillar (in its middle on the screen, farther than it), lifted off
// the floor so that no floor is nearer than it around the pillar.
struct GlowCase {
    DrawPath path;
    int32_t mode;
    bool drawn, over_pillar;
};

TEST(Glows, HideBehindTheSceneByTheirMode) {
    const GlowCase cases[] = {
        {DrawPath::device, k_glow_never, false, false},
        {DrawPath::device, k_glow_if_visible, false, false},
        {DrawPath::device, k_glow_per_pixel, true, false},
        {DrawPath::device, k_glow_always, true, true},
        {DrawPath::software, k_glow_if_visible, false, false},
        {DrawPath::software, k_glow_per_pixel, true, true},
        {DrawPath::software, k_glow_always, true, true},
    };
    for (const GlowCase& c : cases) {
        EffectStage stage(c.path);
        const Vec3 behind = stage.above_floor(405, 200, 1.5f);
        const ScreenPoint at = project_point(stage.h.camera.view_projection, behind);
        ASSERT_TRUE(at.x > k_pillar_left + 10 && at.x < k_pillar_right - 10 && at.y > 140);
        stage.pass();
        stage.pass();
        const RgbImage plain = stage.shot();
        for (int i = 0; i < 2; ++i) // the software path shows a pass's glow in the next
            stage.pass(
                [&](EffectStage& e) { add_glow(e.tables->glows, behind, 0x806040, 0, c.mode); });
        const RgbImage lit = stage.shot();
        int pillar = 0, beside = 0;
        for (int y = int(at.y) - 20; y <= int(at.y) + 20; ++y)
            for (int x = int(at.x) - 30; x <= int(at.x) + 30; ++x) {
                const size_t i = (size_t(y) * 640 + size_t(x)) * 3;
                const bool differs = !std::equal(&plain.rgb[i], &plain.rgb[i] + 3, &lit.rgb[i]);
                const bool on_pillar = x >= k_pillar_left && x <= k_pillar_right;
                (on_pillar ? pillar : beside) += differs;
            }
        const std::string what = (c.path == DrawPath::device ? "device mode " : "software mode ") +
                                 std::to_string(c.mode);
        EXPECT_EQ(beside > 100, c.drawn) << what << ": " << beside;
        EXPECT_EQ(pillar > 100, c.over_pillar) << what << ": " << pillar;
        EXPECT_EQ(live_glows(*stage.tables), 0) << what << ": a glow lives one frame";
    }
}

TEST(Fires, AFlameTouchingTheScreensBorderIsNotDrawnInSoftware) {
    struct Case {
        int x, y, half;
        int side; // 0: not drawn
    } cases[] = {
        {100, 100, 8, 16},  {8, 100, 8, 0},   {9, 100, 8, 16},  {631, 100, 8, 0},
        {630, 100, 8, 16},  {100, 8, 8, 0},   {100, 471, 8, 0}, {100, 470, 8, 16},
        {100, 100, 20, 32}, {100, 100, 1, 2}, {100, 100, 0, 0}, {-50, 100, 8, 0},
    };
    for (const Case& c : cases) {
        const FlameSprite s = flame_sprite(c.x, c.y, c.half);
        EXPECT_EQ(s.side, c.side) << c.x << "," << c.y << " half " << c.half;
        if (s.side == 0) continue;
        EXPECT_EQ(s.frame, 16 - s.side / 2);
        EXPECT_EQ(s.left, c.x - s.side / 2);
        EXPECT_EQ(s.top, c.y - s.side / 2);
    }
}

// The flames reach the screen through the dirty rectangles, hidden where the scene is nearer,
// and the frame picture is clean again once they have moved on.
TEST(Fires, SoftwareFlamesAreAddedBehindNearerSceneryAndCleanedAway) {
    EffectStage stage(DrawPath::software);
    // At the pillar's right edge, behind it: the flames show only beside it.
    // Its glow has no depth test on this path; it is left out here.
    stage.light_fire(stage.above_floor(k_pillar_right, 200, 0.8f)).glow = 0;
    for (int i = 0; i < 30; ++i) stage.pass();
    const RgbImage burning = stage.shot();
    stage.fires[0].lifetime = 0;
    stage.pass();
    stage.pass();
    stage.pass();
    const RgbImage out = stage.shot();
    const PictureDifference d = picture_difference(burning, out);
    EXPECT_GT(d.count, 100);
    int on_pillar = 0;
    for (int y = d.top; y <= d.bottom; ++y)
        for (int x = k_pillar_left; x <= k_pillar_right; ++x) {
            const size_t i = (size_t(y) * 640 + size_t(x)) * 3;
            on_pillar += !std::equal(&burning.rgb[i], &burning.rgb[i] + 3, &out.rgb[i]);
        }
    EXPECT_EQ(on_pillar, 0);
    EXPECT_TRUE(stage.h.scene.scene_picture_rgb32 == stage.h.scene.scene_picture_work);
}

TEST(Fires, AFireAddsItsFlickeringLightAndGlowEveryFrameAndCountsDown) {
    EffectStage stage(DrawPath::device);
    SceneFire& f = stage.light_fire(stage.above_floor(300, 300, 0.8f));
    f.lifetime = 3;
    std::vector<float> ranges;
    for (int i = 0; i < 4; ++i) {
        stage.pass();
        int lights = 0;
        for (const LightSlot& l : stage.h.lighting.light_table)
            if (l.lifetime == 1 && l.colour == 0x743D00) {
                ++lights;
                ranges.push_back(l.range);
            }
        // Each frame's light goes out in the next frame's countdown: one at a time.
        EXPECT_EQ(lights, i < 3 ? 1 : 0) << i;
    }
    EXPECT_EQ(f.lifetime, 0);
    ASSERT_EQ(ranges.size(), 3u);
    EXPECT_NE(ranges[0], ranges[1]);
    for (float r : ranges) EXPECT_TRUE(r >= 0.3f && r <= 1.3f) << r;
}

} // namespace
