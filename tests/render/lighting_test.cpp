#include "render/lighting.h"
#include "render/shadows.h"
#include "resources/scene_description.h"
#include "tests/platform/device_rig.h"

#include <algorithm>
#include <set>

#include <gtest/gtest.h>

namespace {

// One vertex at camera-space point p facing n.
ModelPart one_vertex(Vec3 p, Vec3 n) {
    ModelPart part;
    part.positions = {{p.x, p.y, p.z, p.x * p.y}};
    part.screen_vertices.resize(1);
    part.screen_vertices[0].x = p.x;
    part.screen_vertices[0].y = p.y;
    part.screen_vertices[0].z = p.z;
    part.view_normals = {n};
    return part;
}

LightSlot point(Vec3 at, float range, uint32_t colour) {
    LightSlot l;
    l.lifetime = -1;
    l.position = at;
    l.range = range;
    l.colour = colour;
    return l;
}

} // namespace

TEST(Lighting, PointLightRangeDecidesForTheWholePart) {
    // The vertex sits one unit from the light and faces it; the actor is 300 or 600 units away.
    struct Case {
        float actor_distance;
        uint32_t colour;
    };
    for (const Case c : {Case{300, 0x00FD0000u}, Case{600, 0x00000000u}}) {
        Lighting lighting;
        lighting.light_table[3] = point({0, 0, -1}, 1, 0x00FF0000);
        ModelPart part = one_vertex({0, 0, 0}, {0, 0, -1});
        light_part(part, lighting, Matrix::identity(), {0, 0, c.actor_distance - 1});
        EXPECT_EQ(part.screen_vertices[0].colour, c.colour) << c.actor_distance;
    }
}

TEST(Lighting, SubtractingSpotLightsDarkenNeverBelowZero) {
    Lighting lighting;
    lighting.ambient_colour = 0xFFC8C8C8;
    for (int i : {0, 1}) {
        LightSlot& l = lighting.light_table[size_t(i)];
        l.lifetime = 5;
        l.spot_mode = 2;
        l.colour = 0x00808080;
        l.position = {0, 0, -10};
        l.direction = {0, 0, -1};
        l.cone = 0.9f;
    }
    ModelPart part = one_vertex({0, 0, 0}, {0, 0, -1});
    light_part(part, lighting, Matrix::identity(), {});
    EXPECT_EQ(part.screen_vertices[0].colour, 0xFF000000u); // 200 - 127 - 127 stops at 0
    lighting.light_table[1].lifetime = 0;
    lighting.light_table[0].spot_mode = 1; // adding
    light_part(part, lighting, Matrix::identity(), {});
    EXPECT_EQ(part.screen_vertices[0].colour, 0xFFFFFFFFu);
    // Outside the cone nothing changes.
    lighting.light_table[0].direction = {1, 0, 0};
    light_part(part, lighting, Matrix::identity(), {});
    EXPECT_EQ(part.screen_vertices[0].colour, 0xFFC8C8C8u);
    // Temporary lights run out; permanent ones stay.
    lighting.light_table[2].lifetime = -1;
    tick_lights(lighting);
    EXPECT_EQ(lighting.light_table[0].lifetime, 4);
    EXPECT_EQ(lighting.light_table[1].lifetime, 0);
    EXPECT_EQ(lighting.light_table[2].lifetime, -1);
}

TEST(Lighting, SpotLightAimedAtItsOwnPlaceReachesNothingThroughANarrowCone) {
    for (const float cone : {0.866f, -0.5f}) { // 30 degrees; 120 degrees (wider than a half sphere)
        Lighting lighting;
        lighting.ambient_colour = 0xFF202020;
        const Vec3 at{0, 0, -10};
        add_light(lighting, Matrix::identity(), -1, at, 0, 0x00808080, 1, at, cone);
        const Vec3 d = lighting.light_table[0].direction;
        EXPECT_TRUE(d.x == 0 && d.y == 0 && d.z == 0);
        ModelPart part = one_vertex({0, 0, 0}, {0, 0, -1});
        light_part(part, lighting, Matrix::identity(), {});
        EXPECT_EQ(part.screen_vertices[0].colour, cone > 0 ? 0xFF202020u : 0xFF9F9F9Fu) << cone;
    }
}

TEST(VolumetricFog, OnInFrontAndInsideAVolume) {
    std::array<FogVolume, 1> volumes{};
    volumes[0] = {1, {0, 0, 100}, 10, 0.01f, 0x00336699, 1};
    struct Case {
        float z;
        uint32_t factor; // top byte of the specular colour
        bool used;
    };
    for (const Case c :
         {Case{80, 255, false}, Case{90, 255, false}, Case{100, 230, true}, Case{150, 204, true}}) {
        ModelPart part = one_vertex({0, 0, c.z}, {0, 0, -1});
        const FogResult r = fog_part(part, volumes, {0, 0, 0});
        EXPECT_NEAR(double(part.screen_vertices[0].specular >> 24), double(c.factor), 1) << c.z;
        EXPECT_EQ(r.fog_used, c.used) << c.z;
        if (c.used) {
            EXPECT_EQ(r.colour, 0x00336699u);
        }
    }
    // Dense fog saturates at full fog instead of wrapping.
    volumes[0].density = 1;
    ModelPart part = one_vertex({0, 0, 150}, {0, 0, -1});
    fog_part(part, volumes, {0, 0, 0});
    EXPECT_EQ(part.screen_vertices[0].specular >> 24, 0u);
}

TEST(ShadowVolume, SilhouetteOfAClosedPartAndTheBufferLimit) {
    // A cube lit from the +x side: whichever way its faces wind, the silhouette is the four edges
    // round the +x face; the edges shared inside the shadowed side cancel.
    const std::vector<Vec3> p{{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1},
                              {-1, -1, 1},  {1, -1, 1},  {1, 1, 1},  {-1, 1, 1}};
    const std::vector<uint16_t> faces{0, 1, 2, 0, 2, 3, 5, 4, 7, 5, 7, 6, 4, 0, 3, 4, 3, 7,
                                      1, 5, 6, 1, 6, 2, 3, 2, 6, 3, 6, 7, 4, 5, 1, 4, 1, 0};
    std::vector<VolumeVertex> out(100);
    SilhouetteEdges edges;
    EXPECT_EQ(build_shadow_volume(p, faces, {100, 0.3f, 0.2f}, 0.25f, out, edges), 24);
    std::set<std::pair<int, int>> seen;
    for (const auto& e : edges.edges()) {
        EXPECT_GT(p[e[0]].x, 0);
        EXPECT_GT(p[e[1]].x, 0);
        EXPECT_TRUE(seen.insert({std::min(e[0], e[1]), std::max(e[0], e[1])}).second);
    }
    // Extruded corners move away from the light by the extrusion fraction.
    EXPECT_FLOAT_EQ(out[2].x, 1 + (1 - 100) * 0.25f);
    // A buffer too small keeps whole edges only.
    std::vector<VolumeVertex> small(10);
    EXPECT_EQ(build_shadow_volume(p, faces, {100, 0.3f, 0.2f}, 0.25f, small, edges), 6);
}

TEST(ShadowVolume, SilhouetteEdgesKeepTheOrderOfAPlainList) {
    // The plain list the index stands in for: search it, and let the last edge take the place of
    // a cancelled one. Visits of random edges over a few vertices, so edges recur either way
    // round, three or more times, and as degenerate edges of one vertex.
    std::vector<SilhouetteEdges::Edge> plain;
    SilhouetteEdges indexed;
    uint32_t seed = 99;
    auto next = [&seed](uint32_t range) {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<uint16_t>((seed >> 12) % range);
    };
    for (const uint32_t vertices : {3u, 12u, 40u, 3000u}) {
        const size_t visits = 6000;
        plain.clear();
        indexed.reset(visits);
        for (size_t i = 0; i < visits; ++i) {
            const SilhouetteEdges::Edge e{next(vertices), next(vertices)};
            auto found = std::find_if(plain.begin(), plain.end(), [&](const auto& f) {
                return (f[0] == e[0] && f[1] == e[1]) || (f[0] == e[1] && f[1] == e[0]);
            });
            if (found != plain.end()) {
                *found = plain.back();
                plain.pop_back();
            } else {
                plain.push_back(e);
            }
            indexed.visit(e);
        }
        const auto got = indexed.edges();
        ASSERT_EQ(got.size(), plain.size()) << vertices << " vertices";
        EXPECT_TRUE(std::equal(got.begin(), got.end(), plain.begin())) << vertices << " vertices";
    }
}

TEST(ShadowVolume, CountingIncrementsWithSaturationAndDecrementsWithWrapAround) {
    DeviceRig rig;
    // Seen clockwise: counted up; counter-clockwise: counted down.
    const std::vector<VolumeVertex> up{{0, 0, 0.5f, 1}, {40, 0, 0.5f, 1}, {0, 40, 0.5f, 1}};
    const std::vector<VolumeVertex> down{{0, 0, 0.5f, 1}, {0, 40, 0.5f, 1}, {40, 0, 0.5f, 1}};
    struct Case {
        uint32_t start;
        const std::vector<VolumeVertex>* volume;
        uint32_t after;
    };
    for (const Case c :
         {Case{0, &up, 1}, Case{255, &up, 255}, Case{1, &down, 0}, Case{0, &down, 255}}) {
        rig.fill_depth(0xFFFFFF00u | c.start);
        device_begin_scene(rig.dev());
        device_set_render_state(rig.dev(), RenderState::z_write_enable, 0);
        device_set_render_state(rig.dev(), RenderState::stencil_enable, 1);
        device_set_render_state(rig.dev(), RenderState::stencil_func, CMP_ALWAYS);
        count_shadow_volume(rig.dev(), *c.volume);
        device_end_scene(rig.dev());
        EXPECT_EQ(rig.depth_word(5, 5) & 0xFF, c.after) << c.start;
    }
}
