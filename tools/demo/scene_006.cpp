// Scene 6: the ruin of a small stone chapel in the wood. A candle burns on the altar under the
// broken roof; the path from the clearing (scene 4) comes in at the lower left.
#include <cmath>

#include "tools/demo/noise.h"
#include "tools/demo/random.h"
#include "tools/demo/scenery.h"
#include "tools/demo/scenes.h"

namespace {

enum Tag : uint16_t {
    tag_candle = 1, // look zone, text 8
    tag_path = 2,   // exit 0, to scene 4
};

constexpr double k_floor_y = 10.0;
const V3d k_altar{34, k_floor_y, 20};

double ground(double x, double z) {
    return k_floor_y + 0.3 * fbm2(x / 12, z / 12, 3, 601) - 5 * smoothstep(70, 100, x) -
           4 * smoothstep(-10, -40, x);
}

void describe(DemoScene& s) {
    s.description.eye = file_point({30, -14, -56});
    s.description.target = file_point({34, k_floor_y - 4, 12});
    s.description.angle = 58;
    s.description.factor = 1;
    s.description.scale = 1;
    s.description.ambient = {80, 76, 70};
    const V3d sun = normalized(V3d{0.4, -0.8, -0.2});
    s.description.point_lights.push_back(
        {file_point(V3d{34, k_floor_y, 0} + sun * 1000), 0.0009f, 220, 206, 176});
    // The candle on the altar: a small flame that lights what is near it.
    s.description.fires.push_back(
        {file_point(k_altar + V3d{0, -6.9, -1.5}), 0.25f, 0.4f, 0.15f, 1, 1});
    s.walk.clearance = 2.0;
    s.walk.region = [](const V3d& p) { return p.x > 0 && p.x < 66 && p.z > -44 && p.z < 14; };
    s.exits.push_back({0, 330, 150, 480, 4, 60, 440, tag_path});
    s.looks.push_back({0, 0, 0, 0, 8, tag_candle});
    s.places.push_back({"hero from scene 4", {0, 0, 0}, 1.2});
}

void build(const SceneView& view, SceneBuilder& b, DemoScene& scene) {
    const ForestPalette p = forest_palette(b);
    SceneMaterial grass;
    grass.kind = MaterialKind::grass;
    grass.colour = srgb(72, 94, 38);
    grass.colour2 = srgb(118, 112, 62);
    grass.bump = 0.5;
    grass.seed = 611;
    SceneMaterial flags;
    flags.kind = MaterialKind::stone;
    flags.colour = srgb(112, 106, 96);
    flags.colour2 = srgb(58, 66, 40);
    flags.scale = 3.0;
    flags.seed = 612;
    const uint16_t flags_m = b.material(flags);
    grass.blend_with = flags_m;
    grass.blend = [](const V3d& q) {
        const bool inside = q.x > 18 && q.x < 50 && q.z > -6 && q.z < 30;
        const double edge = 0.8 * fbm2(q.x / 3, q.z / 3, 3, 613);
        return inside
                   ? smoothstep(-0.5, 0.5, std::min({q.x - 18, 50 - q.x, q.z + 6, 30 - q.z}) + edge)
                   : 0.0;
    };
    const uint16_t ground_m = b.material(grass);
    SceneMaterial wall;
    wall.kind = MaterialKind::stone;
    wall.colour = srgb(150, 142, 128);
    wall.colour2 = srgb(80, 76, 68);
    wall.scale = 1.4;
    wall.seed = 614;
    const uint16_t wall_m = b.material(wall);
    SceneMaterial wax;
    wax.kind = MaterialKind::plaster;
    wax.colour = srgb(240, 230, 200);
    wax.colour2 = srgb(220, 206, 170);
    wax.scale = 0.3;
    const uint16_t wax_m = b.material(wax);
    SceneMaterial flame;
    flame.colour = srgb(60, 40, 10);
    flame.emission = srgb(255, 200, 110) * 4;
    const uint16_t flame_m = b.material(flame);

    const DemoExit& exit = scene.exits[0];
    const V3d entry = view.on_level(exit.walk_x, exit.walk_y, k_floor_y);
    b.terrain(-60, -90, 130, 110, 1.0, ground, ground_m, k_floor, nullptr,
              [&](double x, double z) -> uint16_t {
                  return std::hypot(x - entry.x, z - entry.z) < 10 && z < entry.z + 6 ? tag_path
                                                                                      : 0;
              });

    // The chapel: three walls, broken to different heights, and the stumps of the front wall.
    const double x0 = 18, x1 = 50, z0 = -6, z1 = 30, t = 1.0;
    b.box({(x0 + x1) / 2, k_floor_y - 11, z1}, {(x1 - x0) / 2 + t, 11, t}, 0, wall_m);
    for (int k = 0; k < 6; ++k) {
        const double z = z0 + 1 + k * 6, h = 12 - k % 3 * 3 + (k > 3 ? 4 : 0);
        b.box({x0, k_floor_y - h / 2, z + 3}, {t, h / 2, 3}, 0, wall_m);
        b.box({x1, k_floor_y - (h + 2) / 2, z + 3}, {t, (h + 2) / 2, 3}, 0, wall_m);
    }
    b.box({x0 + 4, k_floor_y - 2.5, z0}, {4, 2.5, t}, 0, wall_m);
    b.box({x1 - 4, k_floor_y - 4, z0}, {4, 4, t}, 0, wall_m);
    // A pointed window in the back wall (dark) and a roof beam that still stands.
    SceneMaterial dark;
    dark.colour = srgb(20, 22, 18);
    b.box({(x0 + x1) / 2, k_floor_y - 14, z1 - 1.05}, {2, 4, 0.1}, 0, b.material(dark), k_decor);
    b.cylinder({x0, k_floor_y - 12, 18}, {x1, k_floor_y - 13, 18}, 0.7, p.log, k_decor);
    // The altar and its candle.
    b.box(k_altar + V3d{0, -2.5, 0}, {5, 2.5, 2.5}, 0, wall_m);
    b.tag = tag_candle;
    b.cylinder(k_altar + V3d{0, -5, -1.5}, k_altar + V3d{0, -6.6, -1.5}, 0.35, wax_m, k_decor);
    b.blob(k_altar + V3d{0, -7.0, -1.5}, {0.15, 0.35, 0.15}, 0.1, 615, 1, flame_m, 0);
    b.tag = 0;
    // Ivy and bushes, trees around.
    SeqRandom rnd(6006);
    for (int k = 0; k < 36; ++k) {
        const double x = rnd.range(-60, 130), z = rnd.range(-20, 110);
        if (x > 10 && x < 58 && z < 40) continue;
        if (rnd.uniform() < 0.55)
            sapling(b, p, {x, ground(x, z), z}, rnd.range(16, 26), rnd.range(6, 10),
                    6100 + static_cast<uint32_t>(k));
        else
            bush(b, p, {x, ground(x, z), z}, rnd.range(4, 7), 6200 + static_cast<uint32_t>(k));
    }
    bush(b, p, {x1 + 2, ground(x1 + 2, z0 - 3), z0 - 3}, 4, 6301);
    rock(b, p, {10, ground(10, -30), -30}, {2.4, 1.4, 2.0}, 6302);

    // The candle's look zone: its box on the screen, with a little room around.
    double sx0 = 640, sy0 = 480, sx1 = 0, sy1 = 0;
    for (int k = 0; k < 8; ++k) {
        const ScreenPoint c = view.screen(
            k_altar + V3d{k & 1 ? 0.4 : -0.4, k & 2 ? -7.4 : -5.0, k & 4 ? -1.1 : -1.9});
        sx0 = std::min(sx0, static_cast<double>(c.x)),
        sy0 = std::min(sy0, static_cast<double>(c.y));
        sx1 = std::max(sx1, static_cast<double>(c.x)),
        sy1 = std::max(sy1, static_cast<double>(c.y));
    }
    scene.looks[0] = {static_cast<int>(sx0) - 3,
                      static_cast<int>(sy0) - 3,
                      static_cast<int>(sx1) + 4,
                      static_cast<int>(sy1) + 4,
                      8,
                      tag_candle};
    scene.places[0].position = entry + V3d{3, 0, 2};
    scene.places[0].position.y =
        ground(scene.places[0].position.x, scene.places[0].position.z) - 0.2;

    SunLight sun;
    sun.to_light = normalized(V3d{0.4, -0.8, -0.2});
    sun.colour = srgb(255, 232, 196) * 2.5;
    sun.spread = 0.035;
    b.env.suns.push_back(sun);
    LampLight candle;
    candle.position = k_altar + V3d{0, -7.2, -1.5};
    candle.radius = 0.3;
    candle.colour = srgb(255, 190, 110) * 1.5;
    candle.falloff = 6;
    b.env.lamps.push_back(candle);
    b.env.sky_zenith = srgb(120, 160, 220);
    b.env.sky_horizon = srgb(190, 205, 215);
    b.env.ground = srgb(60, 70, 40);
    b.env.sky_strength = 1.25;
}

} // namespace

const SceneRecipe k_recipe_006 = {6, describe, build};
