// Scene 5: a ford where a brook crosses the forest path on stepping stones. The path from the
// clearing (scene 4) comes in at the right; reeds and willows line the water.
#include <cmath>

#include "tools/demo/noise.h"
#include "tools/demo/random.h"
#include "tools/demo/scenery.h"
#include "tools/demo/scenes.h"

namespace {

enum Tag : uint16_t {
    tag_brook = 1, // look zone, text 7
    tag_path = 2,  // exit 0, to scene 4
};

constexpr double k_floor_y = 14.0;

// The brook runs across the picture from the back left to the front right... as a band
// around this line in x/z.
double brook_distance(double x, double z) {
    return std::fabs((z + 10) - 0.35 * (x - 30) - 3 * std::sin(x / 9)) / std::sqrt(1 + 0.35 * 0.35);
}

double ground(double x, double z) {
    const double bank = smoothstep(9, 5, brook_distance(x, z));
    return k_floor_y + 0.3 * fbm2(x / 10, z / 10, 3, 501) + 2.2 * bank - 6 * smoothstep(10, 40, z);
}

void describe(DemoScene& s) {
    s.description.eye = file_point({30, -16, -80});
    s.description.target = file_point({32, k_floor_y, -8});
    s.description.angle = 60;
    s.description.factor = 1;
    s.description.scale = 1;
    s.description.ambient = {90, 86, 76};
    const V3d sun = normalized(V3d{-0.3, -0.85, 0.4});
    s.description.point_lights.push_back(
        {file_point(V3d{30, k_floor_y, -20} + sun * 1000), 0.0009f, 230, 214, 180});
    s.walk.clearance = 2.0;
    s.walk.region = [](const V3d& p) {
        return p.x > -6 && p.x < 72 && p.z > -66 && p.z < 6 && brook_distance(p.x, p.z) > 5.5;
    };
    s.exits.push_back({560, 220, 640, 400, 4, 610, 330, tag_path});
    s.looks.push_back({0, 0, 0, 0, 7, tag_brook});
    s.places.push_back({"hero from scene 4", {0, 0, 0}, 4.7});
}

void build(const SceneView& view, SceneBuilder& b, DemoScene& scene) {
    const ForestPalette p = forest_palette(b);
    SceneMaterial grass;
    grass.kind = MaterialKind::grass;
    grass.colour = srgb(76, 100, 38);
    grass.colour2 = srgb(124, 120, 64);
    grass.bump = 0.5;
    grass.seed = 511;
    SceneMaterial gravel;
    gravel.kind = MaterialKind::dirt;
    gravel.colour = srgb(128, 116, 96);
    gravel.colour2 = srgb(170, 164, 150);
    gravel.scale = 0.6;
    gravel.seed = 512;
    grass.blend_with = b.material(gravel);
    // The path from the clearing: from the exit's walk point at the right edge down to the
    // ford's stones, as a distance to a polyline.
    const V3d entry = view.on_level(scene.exits[0].walk_x, scene.exits[0].walk_y, k_floor_y);
    const V3d ford{18, k_floor_y, -16};
    auto path_distance = [entry, ford](double x, double z) {
        const V3d a = entry + V3d{14, 0, 2}, m = (entry + ford) * 0.5 + V3d{0, 0, -4};
        auto seg = [&](const V3d& from, const V3d& to) {
            const double dx = to.x - from.x, dz = to.z - from.z;
            const double t = clamp01(((x - from.x) * dx + (z - from.z) * dz) / (dx * dx + dz * dz));
            return std::hypot(x - (from.x + t * dx), z - (from.z + t * dz));
        };
        return std::min({seg(a, entry), seg(entry, m), seg(m, ford)});
    };
    grass.blend = [path_distance](const V3d& q) {
        const double wobble = 0.8 * fbm2(q.x / 3, q.z / 3, 3, 513);
        return std::max(smoothstep(8.5, 6.5, brook_distance(q.x, q.z) + wobble),
                        smoothstep(3.4, 2.2, path_distance(q.x, q.z) + wobble));
    };
    const uint16_t ground_m = b.material(grass);
    SceneMaterial water;
    water.kind = MaterialKind::water;
    water.colour = srgb(30, 52, 56);
    water.scale = 1.5;
    water.bump = 0.6;
    const uint16_t water_m = b.material(water);

    // Where the path from the clearing comes in: the exit's walk target on the floor.
    b.terrain(-60, -110, 130, 110, 1.0, ground, ground_m, k_floor, nullptr,
              [&](double x, double z) -> uint16_t {
                  return path_distance(x, z) < 3.0 && x > entry.x - 10 ? tag_path : 0;
              });
    // The water surface, a little below the banks.
    b.tag = tag_brook;
    for (int i = -6; i < 14; ++i) {
        const double xa = i * 8.0, xb = xa + 8;
        auto centre_z = [](double x) { return -10 + 0.35 * (x - 30) + 3 * std::sin(x / 9); };
        b.quad({xa, k_floor_y + 1.2, centre_z(xa) - 6}, {xb, k_floor_y + 1.2, centre_z(xb) - 6},
               {xb, k_floor_y + 1.2, centre_z(xb) + 6}, {xa, k_floor_y + 1.2, centre_z(xa) + 6},
               water_m, shape_casts_shadow);
    }
    b.tag = 0;
    // Stepping stones across.
    for (int k = 0; k < 5; ++k) {
        const double x = 18 + k * 2.8,
                     z = -10 + 0.35 * (x - 30) + 3 * std::sin(x / 9) - 5 + k * 2.5;
        rock(b, p, {x, k_floor_y + 1.4, z}, {1.5, 0.7, 1.3}, 520 + static_cast<uint32_t>(k),
             k_decor);
    }
    SceneMaterial reed;
    reed.kind = MaterialKind::grass;
    reed.colour = srgb(92, 110, 48);
    reed.colour2 = srgb(150, 140, 80);
    reed.scale = 0.5;
    reed.bump = 0.2;
    const uint16_t reed_m = b.material(reed);
    // Reeds along the water: thin stalks.
    SeqRandom rnd(5005);
    for (int k = 0; k < 160; ++k) {
        const double x = rnd.range(-40, 110);
        const double side = rnd.uniform() < 0.5 ? -1 : 1;
        const double z = -10 + 0.35 * (x - 30) + 3 * std::sin(x / 9) + side * rnd.range(5.5, 7.5);
        if (x > 12 && x < 34) continue; // keep the ford open
        const double h = rnd.range(3, 6);
        b.cone({x, ground(x, z) + 0.3, z}, {x + rnd.range(-0.6, 0.6), ground(x, z) - h, z}, 0.12,
               0.04, reed_m, k_decor);
    }
    // Willows and bushes around.
    for (int k = 0; k < 30; ++k) {
        const double x = rnd.range(-60, 130), z = rnd.range(-10, 100);
        if (brook_distance(x, z) < 8) continue;
        if (rnd.uniform() < 0.55)
            sapling(b, p, {x, ground(x, z), z}, rnd.range(16, 26), rnd.range(6, 10),
                    5100 + static_cast<uint32_t>(k));
        else
            bush(b, p, {x, ground(x, z), z}, rnd.range(4, 7), 5200 + static_cast<uint32_t>(k));
    }
    bush(b, p, {-10, ground(-10, -48), -48}, 6, 5301);
    bush(b, p, {2, ground(2, -58), -58}, 5, 5303);
    rock(b, p, {14, ground(14, -52), -52}, {2.6, 1.5, 2.2}, 5304);
    log_on_ground(b, p, {30, ground(30, -60), -60}, {40, ground(40, -63), -63}, 1.2);
    rock(b, p, {58, ground(58, -56), -56}, {3, 1.8, 2.4}, 5302);

    // Facts that depend on the picture: the brook's look zone and the hero's entry place.
    const ScreenPoint a =
        view.screen({0, k_floor_y + 1.2, -10 + 0.35 * (0 - 30) + 3 * std::sin(0 / 9.0)});
    const ScreenPoint c =
        view.screen({60, k_floor_y + 1.2, -10 + 0.35 * (60 - 30) + 3 * std::sin(60 / 9.0)});
    DemoLook& look = scene.looks[0];
    look.x1 = std::max(0, static_cast<int>(std::min(a.x, c.x)) - 10);
    look.x2 = std::min(640, static_cast<int>(std::max(a.x, c.x)) + 10);
    look.y1 = static_cast<int>(std::min(a.y, c.y)) - 14;
    look.y2 = static_cast<int>(std::max(a.y, c.y)) + 14;
    scene.places[0].position = entry - V3d{4, 0.2, 0};
    scene.places[0].position.y =
        ground(scene.places[0].position.x, scene.places[0].position.z) - 0.2;

    SunLight sun;
    sun.to_light = normalized(V3d{-0.3, -0.85, 0.4});
    sun.colour = srgb(255, 238, 206) * 2.6;
    sun.spread = 0.035;
    b.env.suns.push_back(sun);
    b.env.sky_zenith = srgb(120, 160, 220);
    b.env.sky_horizon = srgb(190, 205, 215);
    b.env.ground = srgb(60, 70, 40);
    b.env.sky_strength = 1.3;
}

} // namespace

const SceneRecipe k_recipe_005 = {5, describe, build};
