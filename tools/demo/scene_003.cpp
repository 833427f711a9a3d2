// Scene 3: the yard in front of the woodcutter's hut, where the path from the clearing (scene
// 4) arrives at the bottom of the picture. The hut's door (the way into scene 1) is at the back
// right, a woodpile lies against the rock at the back left, and a bird's nest sits in the tree
// beside it.
#include <cmath>

#include "tools/demo/noise.h"
#include "tools/demo/random.h"
#include "tools/demo/scenery.h"
#include "tools/demo/scenes.h"

namespace {

enum Tag : uint16_t {
    tag_nest = 1,     // look zone, text 0
    tag_woodpile = 2, // look zone, text 1
    tag_path = 3,     // exit 0, to scene 4
    tag_door = 4,     // exit 1, to scene 1
};

constexpr double k_floor_y = 12.0;

double segment_distance(double px, double pz, double ax, double az, double bx, double bz) {
    const double dx = bx - ax, dz = bz - az;
    const double t = std::clamp(((px - ax) * dx + (pz - az) * dz) / (dx * dx + dz * dz), 0.0, 1.0);
    return std::hypot(px - (ax + t * dx), pz - (az + t * dz));
}

double path_distance(double x, double z) {
    return std::min(segment_distance(x, z, 22, -60, 26, -30),
                    segment_distance(x, z, 26, -30, 40, 14));
}

double ground(double x, double z) {
    return k_floor_y + 0.3 * fbm2(x / 12, z / 12, 3, 301) - 6 * smoothstep(-10, -40, x) -
           5 * smoothstep(70, 100, x);
}

void describe(DemoScene& s) {
    s.description.eye = file_point({24, -18, -72});
    s.description.target = file_point({28, k_floor_y, 0});
    s.description.angle = 60;
    s.description.factor = 1;
    s.description.scale = 1;
    s.description.ambient = {84, 84, 76};
    const V3d sun = normalized(V3d{0.5, -0.8, 0.25});
    s.description.point_lights.push_back(
        {file_point(V3d{28, k_floor_y, -10} + sun * 1000), 0.0009f, 228, 210, 172});
    s.walk.clearance = 2.2;
    s.walk.region = [](const V3d& p) { return p.x > -2 && p.x < 62 && p.z > -70 && p.z < 16; };
    s.exits.push_back({200, 400, 400, 480, 4, 300, 460, tag_path});
    s.looks.push_back({172, 86, 190, 110, 0, tag_nest});
    s.looks.push_back({28, 125, 112, 153, 1, tag_woodpile});
    s.places.push_back({"hero from scene 4", {0, 0, 0}, 0.1}); // placed on the path in build()
}

void build(const SceneView& view, SceneBuilder& b, DemoScene& scene) {
    const ForestPalette p = forest_palette(b);
    SceneMaterial grass;
    grass.kind = MaterialKind::grass;
    grass.colour = srgb(78, 98, 40);
    grass.colour2 = srgb(128, 116, 64);
    grass.bump = 0.5;
    grass.seed = 311;
    SceneMaterial dirt;
    dirt.kind = MaterialKind::dirt;
    dirt.colour = srgb(120, 96, 70);
    dirt.colour2 = srgb(150, 130, 100);
    dirt.seed = 312;
    grass.blend_with = b.material(dirt);
    grass.blend = [](const V3d& q) {
        const double d = path_distance(q.x, q.z) + 0.8 * fbm2(q.x / 3, q.z / 3, 3, 313);
        const double yard = std::hypot((q.x - 38) / 18, (q.z - 4) / 12);
        return std::max(smoothstep(3.6, 2.2, d),
                        smoothstep(1.1, 0.8, yard + 0.2 * fbm2(q.x / 4, q.z / 4, 3, 314)));
    };
    const uint16_t ground_m = b.material(grass);
    SceneMaterial logs = {};
    logs.kind = MaterialKind::log;
    logs.colour = srgb(186, 146, 100);
    logs.colour2 = srgb(104, 80, 56);
    logs.bump = 0.4;
    logs.seed = 315;
    const uint16_t logs_m = b.material(logs);
    SceneMaterial thatch;
    thatch.kind = MaterialKind::planks;
    thatch.colour = srgb(150, 130, 80);
    thatch.colour2 = srgb(100, 84, 50);
    thatch.scale = 0.7;
    thatch.seed = 316;
    const uint16_t roof_m = b.material(thatch);
    SceneMaterial dark;
    dark.colour = srgb(24, 18, 14);
    const uint16_t dark_m = b.material(dark);

    b.terrain(-60, -90, 120, 110, 1.0, ground, ground_m, k_floor, nullptr,
              [](double x, double z) -> uint16_t {
                  return path_distance(x, z) < 3.2 && z < -28 ? tag_path : 0;
              });

    // The hut: log walls, a roof of boards, a door in the front wall.
    const double x0 = 34, x1 = 62, z0 = 14, z1 = 34, wall = 14;
    for (int k = 0; k < 10; ++k) {
        const double y = k_floor_y - 0.7 - k * 1.4;
        if (y > k_floor_y - 11.4) {
            // The doorway: the front logs stop at its posts.
            b.cylinder({x0 - 1.5, y, z0}, {38.8, y, z0}, 0.75, logs_m);
            b.cylinder({45.2, y, z0}, {x1 + 1.5, y, z0}, 0.75, logs_m);
        } else {
            b.cylinder({x0 - 1.5, y, z0}, {x1 + 1.5, y, z0}, 0.75, logs_m);
        }
        b.cylinder({x0, y - 0.7, z0 - 1.5}, {x0, y - 0.7, z1 + 1.5}, 0.75, logs_m);
        b.cylinder({x1, y - 0.7, z0 - 1.5}, {x1, y - 0.7, z1 + 1.5}, 0.75, logs_m);
    }
    b.quad({x0 - 3, k_floor_y - wall, z0 - 4}, {x1 + 3, k_floor_y - wall, z0 - 4},
           {x1 + 3, k_floor_y - wall - 9, (z0 + z1) / 2},
           {x0 - 3, k_floor_y - wall - 9, (z0 + z1) / 2}, roof_m, k_decor);
    b.quad({x0 - 3, k_floor_y - wall - 9, (z0 + z1) / 2},
           {x1 + 3, k_floor_y - wall - 9, (z0 + z1) / 2}, {x1 + 3, k_floor_y - wall, z1 + 4},
           {x0 - 3, k_floor_y - wall, z1 + 4}, roof_m, k_decor);
    // Inside: a floor of boards.
    b.box({(x0 + x1) / 2, k_floor_y - 0.1, (z0 + z1) / 2}, {(x1 - x0) / 2, 0.3, (z1 - z0) / 2}, 0,
          p.wood, k_decor);
    // The doorway: a lintel, posts, the dark room behind; the door itself is the strip.
    b.box({42, k_floor_y - 11.3, z0 - 0.9}, {3.4, 0.3, 0.4}, 0, p.wood, k_decor);
    for (double x : {38.6, 45.4})
        b.box({x, k_floor_y - 5.5, z0 - 0.6}, {0.35, 5.5, 0.6}, 0, p.wood, k_solid);
    b.quad({38.5, k_floor_y, z0 + 5}, {45.5, k_floor_y, z0 + 5}, {45.5, k_floor_y - 12, z0 + 5},
           {38.5, k_floor_y - 12, z0 + 5}, dark_m, k_decor);
    // The door opens inwards about its left edge in eight frames (the scene code shows the
    // strip when the hero goes in).
    DemoStrip door;
    door.picture = "amovie/scr_003/door.bmp";
    door.frames = 8;
    door.tag = tag_door;
    const uint16_t wood = p.wood;
    door.build_frame = [wood, z0](SceneBuilder& sb, int k) {
        const double a = 1.7 * k / 7.0;
        const V3d hinge{39, k_floor_y - 5.5, z0 - 0.9};
        sb.box(hinge + V3d{3.0 * std::cos(a), 0, 3.0 * std::sin(a)}, {3.0, 5.5, 0.25}, -a, wood,
               k_solid);
    };
    scene.strips.push_back(door);
    b.box({54, k_floor_y - 7, z0 - 0.8}, {2.0, 1.8, 0.2}, 0, dark_m, k_decor); // a window

    // The woodpile against the rock, filling the picture's rectangle (28..112, 125..153).
    const V3d pile = view.on_level(70, 153, k_floor_y);
    const double depth = view.trace.camera_depth(pile);
    const V3d pile_top = view.at_depth(70, 127, depth);
    const V3d left = view.at_depth(30, 153, depth), right = view.at_depth(110, 153, depth);
    const double rows = 4, height = pile.y - pile_top.y, r = height / rows / 2;
    b.tag = tag_woodpile;
    for (int row = 0; row < rows; ++row)
        for (int k = 0;; ++k) {
            const double x = left.x + r * (1 + 2 * k + (row % 2));
            if (x + r > right.x) break;
            const double y = pile.y - r - row * r * 1.8;
            b.cylinder({x, y, pile.z - 3}, {x, y, pile.z + 3}, r, logs_m);
        }
    b.tag = 0;
    rock(b, p, {pile.x - 4, ground(pile.x - 4, pile.z + 9), pile.z + 9}, {18, 10, 6}, 317);

    // A tree beside it with a nest in its fork at (172..190, 86..110).
    const V3d trunk = view.on_level(150, 160, k_floor_y);
    const double trunk_depth = view.trace.camera_depth(trunk);
    const V3d nest = view.at_depth(181, 101, trunk_depth);
    b.cone({trunk.x, k_floor_y + 1, trunk.z}, {trunk.x, nest.y - 14, trunk.z}, 1.6, 0.8, p.bark);
    b.cone({trunk.x, nest.y + 1.5, trunk.z}, nest + V3d{0.6, 0.6, 0}, 0.6, 0.35, p.bark, k_decor);
    b.blob({trunk.x - 2, nest.y - 16, trunk.z}, {9, 6, 9}, 0.35, 318, 2, p.leaves, k_decor);
    b.tag = tag_nest;
    b.lathe(nest + V3d{0, 0.6, 0},
            {{0.3, 0.0}, {1.0, 0.2}, {1.2, 0.8}, {1.05, 1.0}, {0.7, 0.9}, {0.0, 0.7}}, 12, p.log,
            k_decor);
    b.tag = 0;

    SeqRandom rnd(3003);
    for (int k = 0; k < 40; ++k) {
        const double x = rnd.range(-60, 120), z = rnd.range(-10, 100);
        if (x > 20 && x < 70 && z < 40) continue;
        if (std::fabs(x - trunk.x) < 6 && std::fabs(z - trunk.z) < 6) continue;
        if (rnd.uniform() < 0.5)
            sapling(b, p, {x, ground(x, z), z}, rnd.range(16, 26), rnd.range(6, 9),
                    3100 + static_cast<uint32_t>(k));
        else
            bush(b, p, {x, ground(x, z), z}, rnd.range(4, 7), 3200 + static_cast<uint32_t>(k));
    }
    bush(b, p, {-4, ground(-4, -50), -50}, 6, 3301);
    bush(b, p, {60, ground(60, -52), -52}, 5, 3302);
    log_on_ground(b, p, {48, ground(48, -6), -6}, {56, ground(56, -2), -2}, 1.2);

    SunLight sun;
    sun.to_light = normalized(V3d{0.5, -0.8, 0.25});
    sun.colour = srgb(255, 236, 200) * 2.7;
    sun.spread = 0.035;
    b.env.suns.push_back(sun);
    b.env.sky_zenith = srgb(120, 160, 220);
    b.env.sky_horizon = srgb(190, 205, 215);
    b.env.ground = srgb(60, 70, 40);
    b.env.sky_strength = 1.3;
    // The door into the hut (scene 1): its rectangle on the screen, and a point in front of it.
    double sx0 = 640, sy0 = 480, sx1 = 0, sy1 = 0;
    for (int k = 0; k < 4; ++k) {
        const ScreenPoint c =
            view.screen({k & 1 ? 45.0 : 39.0, k & 2 ? k_floor_y : k_floor_y - 11.0, z0 - 1.1});
        sx0 = std::min(sx0, static_cast<double>(c.x)),
        sy0 = std::min(sy0, static_cast<double>(c.y));
        sx1 = std::max(sx1, static_cast<double>(c.x)),
        sy1 = std::max(sy1, static_cast<double>(c.y));
    }
    const V3d step{42, ground(42, z0 - 6), z0 - 6};
    const ScreenPoint front = view.screen(step);
    scene.exits.push_back({static_cast<int>(sx0), static_cast<int>(sy0), static_cast<int>(sx1),
                           static_cast<int>(sy1), 1, static_cast<int>(front.x),
                           static_cast<int>(front.y), tag_door});
    scene.places.push_back({"hero from scene 1", step - V3d{0, 0.2, 0}, 3.14});
    // The hero comes up the path from the clearing at the bottom of the picture.
    const V3d entry = view.on_level(300, 420, k_floor_y);
    scene.places[0].position = {entry.x, ground(entry.x, entry.z) - 0.2, entry.z};
}

} // namespace

const SceneRecipe k_recipe_003 = {3, describe, build};
