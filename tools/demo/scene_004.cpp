// Scene 4: a forest clearing. A stone stair climbs to a terrace at the back, where the path to
// scene 3 starts; a path leaves to the left for scene 5 and one to the lower right for scene 6.
// An old well stands at the right with a jug on the ledge beside it, the remains of a campfire
// lie at the left, two toadstools grow in the grass and an axe is stuck in a chopping block on
// the terrace.
//
// Floor heights are those of the places where the scene code puts characters: they are stored
// 0.2 above the floor (as unproject() returns floor points), so the floor is 0.2 lower.
#include <cmath>

#include "tools/demo/noise.h"
#include "tools/demo/random.h"
#include "tools/demo/scenery.h"
#include "tools/demo/scenes.h"

namespace {

enum Tag : uint16_t {
    tag_stair = 1,           // look zone, text 3
    tag_well = 2,            // look zone, text 4
    tag_campfire = 3,        // look zone, text 5
    tag_toadstool_right = 4, // look zone, text 6
    tag_toadstool_left = 5,  // look zone, text 6
    tag_axe = 6,             // object 5
    tag_jug = 7,             // object 40
    tag_path_back = 8,       // exit 0, to scene 3
    tag_path_left = 9,       // exit 1, to scene 5
    tag_path_right = 10,     // exit 2, to scene 6
};

constexpr double k_ground = 16.4;  // main floor
constexpr double k_terrace = 10.4; // upper floor, three steps of 2.0 higher
// The terrace's front edge and the stair in front of it (x 35..43), climbing towards +z.
constexpr double k_edge_z = -41.6;
constexpr double k_stair_x0 = 35, k_stair_x1 = 43;
constexpr double k_tread = 3.0, k_rise = 2.0;
constexpr double k_terrace_x0 = 18, k_terrace_x1 = 62;

struct Anchor {
    double x, z, floor;
};
// Floor heights that must hold exactly: the hero's entry places and the animal's place.
constexpr Anchor k_anchors[] = {{7.4, -44.8, 16.196 + 0.2},
                                {66, -46, 16 + 0.2},
                                {53, -73, 16.268 + 0.2},
                                {32, -57, 16.232 + 0.2}};

double segment_distance(double px, double pz, double ax, double az, double bx, double bz) {
    const double dx = bx - ax, dz = bz - az;
    const double t = std::clamp(((px - ax) * dx + (pz - az) * dz) / (dx * dx + dz * dz), 0.0, 1.0);
    return std::hypot(px - (ax + t * dx), pz - (az + t * dz));
}

// Distance to the trodden paths of the main level.
double path_left(double x, double z) {
    return std::min(segment_distance(x, z, 16, -48, 2, -36),
                    segment_distance(x, z, 2, -36, -6, 30));
}
double path_right(double x, double z) {
    return std::min(segment_distance(x, z, 36, -54, 52, -70),
                    segment_distance(x, z, 52, -70, 66, -110));
}
double path_centre(double x, double z) {
    return std::min(segment_distance(x, z, 16, -48, 36, -54),
                    segment_distance(x, z, 36, -54, 39, -50));
}
double path_back(double x, double z) {
    return std::min(segment_distance(x, z, 39, -41, 43, -20),
                    segment_distance(x, z, 43, -20, 47, 30));
}

bool on_terrace(double x, double z) {
    return x > k_terrace_x0 && x < k_terrace_x1 && z > k_edge_z;
}

double ground_height(double x, double z) {
    double h = k_ground + 0.35 * fbm2(x / 14, z / 14, 4, 401);
    // The wood rises beyond the clearing on the right and at the back.
    h -= 7 * smoothstep(78, 110, x) + 4 * smoothstep(-20, -50, x) * smoothstep(-60, 0, z);
    // Trodden paths are a little lower and smoother.
    const double trodden = std::min({path_left(x, z), path_right(x, z), path_centre(x, z)});
    h += 0.12 * smoothstep(3, 0, trodden);
    // Exact heights where characters are placed.
    for (const Anchor& a : k_anchors) {
        double raw = k_ground + 0.35 * fbm2(a.x / 14, a.z / 14, 4, 401);
        raw += 0.12 * smoothstep(3, 0,
                                 std::min({path_left(a.x, a.z), path_right(a.x, a.z),
                                           path_centre(a.x, a.z)}));
        const double d2 = (x - a.x) * (x - a.x) + (z - a.z) * (z - a.z);
        h += (a.floor - raw) * std::exp(-d2 / 20);
    }
    return h;
}

double terrace_height(double x, double z) {
    return k_terrace + 0.12 * fbm2(x / 10, z / 10, 3, 402) * smoothstep(0, 4, z - k_edge_z);
}

void describe(DemoScene& s) {
    s.description.eye = file_point({30, -26, -110});
    s.description.target = file_point({42, 16, -40});
    s.description.angle = 65;
    s.description.factor = 1;
    s.description.scale = 1;
    s.description.ambient = {84, 84, 74}; // blue, green, red: the greenish shade under trees
    // The sun, far away along its direction, as a point light whose range keeps it at full
    // strength over the whole clearing.
    const V3d sun = normalized(V3d{-0.45, -0.78, 0.32});
    s.description.point_lights.push_back(
        {file_point(V3d{40, k_ground, -50} + sun * 1000), 0.0009f, 226, 206, 168});
    s.walk.clearance = 1.6;
    s.walk.region = [](const V3d& p) {
        // Keep characters off the banks of the wood and out of the far trees.
        if (p.y < k_terrace + 1) return on_terrace(p.x, p.z) && p.z < 24;
        return p.x > -14 && p.x < 80 && p.z > -96 && (p.z < -28 || path_left(p.x, p.z) < 5);
    };
    s.exits = {{273, 116, 350, 185, 3, 302, 199, tag_path_back},
               {0, 117, 86, 212, 5, 15, 238, tag_path_left},
               {464, 340, 640, 480, 6, 440, 420, tag_path_right}};
    s.looks = {{260, 216, 352, 297, 3, tag_stair},
               {544, 207, 637, 345, 4, tag_well},
               {31, 237, 121, 291, 5, tag_campfire},
               {470, 259, 496, 309, 6, tag_toadstool_right},
               {137, 251, 163, 295, 6, tag_toadstool_left}};
    s.places = {{"hero from scene 3 or 5", {7.4, 16.196, -44.8}, 0.5},
                {"hero from scene 3 with bit 0 of the scene's flags set", {66, 16, -46}, 5.3},
                {"hero from scene 6", {53, 16.268, -73}, 3.25},
                {"boar", {32, 16.232, -57}, 0}};
    // The stair: a climb starts 2.37 in front of the first riser (the climb's first state
    // puts a foot on the first tread from there), a descent 1.86 behind the top edge.
    const double bottom_z = k_edge_z - 2 * k_tread - 2.37;
    s.stairs = {{{39, k_ground - 0.2, bottom_z},
                 {39, k_terrace - 0.2, bottom_z + 2 * k_tread + 2.37 + 1.86},
                 k_pi,
                 0,
                 3}};
    s.objects.push_back({5, "gfx/scr_004/topor.bmp", 160, 145, tag_axe});
    s.objects.push_back({40, "gfx/scr_004/kuvsh.bmp", 538, 263, tag_jug, true});
}

void well(SceneBuilder& b, const ForestPalette& p, uint16_t stone, uint16_t water) {
    const V3d c{69.5, k_ground, -62.5};
    b.tag = tag_well;
    // The shaft: an outer wall with the dark water inside, read as a solid for the walk map.
    b.cylinder(c + V3d{0, 1, 0}, c + V3d{0, -4.5, 0}, 4.6, stone);
    b.cylinder(c + V3d{0, -4.4, 0}, c + V3d{0, -4.55, 0}, 3.5, water, k_decor);
    // The ledge at its left where things are put down.
    b.box({62.8, k_ground - 2.25, -62.8}, {1.9, 2.25, 1.7}, 0, stone);
    // Posts, beam, winch and a little gabled roof.
    for (double dx : {-4.0, 4.0}) b.box(c + V3d{dx, -5.6, 0}, {0.4, 5.6, 0.4}, 0, p.wood);
    b.cylinder(c + V3d{-4.4, -9.0, 0}, c + V3d{4.4, -9.0, 0}, 0.45, p.log, k_decor);
    b.cylinder(c + V3d{0.8, -9.0, 0}, c + V3d{0.8, -6.2, 0}, 0.07, p.wood, k_decor);
    b.cone(c + V3d{0.8, -5.0, 0}, c + V3d{0.8, -6.2, 0}, 0.65, 0.8, p.wood, k_decor);
    // Two roof boards leaning together over the beam.
    for (double side : {-1.0, 1.0})
        b.quad(c + V3d{-5.4, -12.2, 0}, c + V3d{5.4, -12.2, 0}, c + V3d{5.4, -9.4, side * 3.2},
               c + V3d{-5.4, -9.4, side * 3.2}, p.wood, k_decor);
    b.tag = 0;
}

void stair_and_terrace(SceneBuilder& b, uint16_t stone, uint16_t steps) {
    const double cx = (k_stair_x0 + k_stair_x1) / 2, half = (k_stair_x1 - k_stair_x0) / 2;
    b.tag = tag_stair;
    for (int k = 1; k <= 2; ++k) {
        const double top = k_ground - k * k_rise;
        const double z0 = k_edge_z - (3 - k) * k_tread, z1 = k_edge_z - (2 - k) * k_tread;
        b.box({cx, (top + k_ground + 1.5) / 2, (z0 + z1) / 2},
              {half, (k_ground + 1.5 - top) / 2, (z1 - z0) / 2}, 0, steps, k_solid);
    }
    // Low side walls of the stair, as deep as its treads.
    for (double x : {k_stair_x0 - 0.7, k_stair_x1 + 0.7})
        b.box({x, k_ground - 1.6, k_edge_z - k_tread}, {0.7, 3.2, k_tread}, 0, stone, k_solid);
    b.tag = 0;
    // The terrace's retaining walls, their tops level with the terrace floor.
    const double fill = k_ground + 1.5;
    const double mid = (k_terrace + fill) / 2, depth = (fill - k_terrace) / 2;
    // The front wall's top is the terrace's edge: floor to stand on.
    b.box({(k_terrace_x0 + k_terrace_x1) / 2, mid, k_edge_z + 0.4},
          {(k_terrace_x1 - k_terrace_x0) / 2, depth, 0.4}, 0, stone, k_solid | shape_floor);
    for (double x : {k_terrace_x0 + 0.4, k_terrace_x1 - 0.4})
        b.box({x, mid, k_edge_z + 40.8}, {0.4, depth, 40.8}, 0, stone, k_solid);
}

void campfire(SceneBuilder& b, const ForestPalette& p, uint16_t ash) {
    const V3d c{10.9, ground_height(10.9, -36.6), -36.6};
    b.tag = tag_campfire;
    for (int i = 0; i < 9; ++i) {
        const double a = i * 2 * k_pi / 9 + 0.2;
        rock(b, p, c + V3d{std::cos(a) * 3.1, 0.2, std::sin(a) * 3.1}, {0.9, 0.7, 0.8},
             static_cast<uint32_t>(500 + i));
    }
    b.cylinder(c + V3d{0, 0.3, 0}, c + V3d{0, -0.12, 0}, 2.5, ash, k_decor);
    b.cylinder(c + V3d{-1.4, -0.35, -0.6}, c + V3d{1.2, -0.45, 0.8}, 0.35, p.log, k_decor);
    b.cylinder(c + V3d{-1.0, -0.4, 0.9}, c + V3d{1.1, -0.7, -0.9}, 0.3, p.log, k_decor);
    b.tag = 0;
}

void axe(SceneBuilder& b, const ForestPalette& p, uint16_t iron) {
    // The chopping block is scenery; the axe stuck in it is the object.
    const V3d block{26.0, k_terrace, -30.8};
    b.cylinder(block + V3d{0, 0.5, 0}, block + V3d{0, -2.5, 0}, 1.9, p.log);
    b.tag = tag_axe;
    const V3d bite = block + V3d{0.3, -2.5, -0.2};
    const V3d grip = bite + V3d{-3.6, -3.1, -1.0};
    b.cylinder(bite + V3d{0.3, -0.2, 0}, grip, 0.24, p.wood, k_decor);
    b.box(bite + V3d{0.2, -0.25, 0}, {0.75, 0.55, 0.16}, 0.35, iron, k_decor);
    b.tag = 0;
}

void jug(SceneBuilder& b, uint16_t clay) {
    const V3d c{62.0, k_ground - 4.5, -62.8};
    b.tag = tag_jug;
    b.lathe(c,
            {{0.0, 0.0},
             {0.9, 0.0},
             {1.25, 0.7},
             {1.35, 1.6},
             {1.1, 2.6},
             {0.55, 3.2},
             {0.5, 3.7},
             {0.65, 3.95},
             {0.45, 4.0},
             {0.0, 3.9}},
            20, clay, k_decor);
    // The handle.
    b.cylinder(c + V3d{0.55, -3.6, 0}, c + V3d{1.55, -3.0, 0}, 0.16, clay, k_decor);
    b.cylinder(c + V3d{1.55, -3.0, 0}, c + V3d{1.3, -1.7, 0}, 0.16, clay, k_decor);
    b.tag = 0;
}

void build(const SceneView&, SceneBuilder& b, DemoScene&) {
    const ForestPalette p = forest_palette(b);

    SceneMaterial grass;
    grass.kind = MaterialKind::grass;
    grass.colour = srgb(70, 94, 36);
    grass.colour2 = srgb(122, 118, 62);
    grass.scale = 1;
    grass.bump = 0.5;
    grass.seed = 11;
    SceneMaterial dirt;
    dirt.kind = MaterialKind::dirt;
    dirt.colour = srgb(124, 100, 72);
    dirt.colour2 = srgb(150, 142, 128);
    dirt.scale = 1;
    dirt.bump = 0.4;
    dirt.seed = 12;
    const uint16_t dirt_m = b.material(dirt);
    grass.blend_with = dirt_m;
    grass.blend = [](const V3d& q) {
        const double d = std::min({path_left(q.x, q.z), path_right(q.x, q.z), path_centre(q.x, q.z),
                                   path_back(q.x, q.z)});
        const double wobble = 0.9 * fbm2(q.x / 3, q.z / 3, 3, 77);
        const double width = q.y < k_terrace + 1 ? 2.6 : 3.2;
        return smoothstep(width + 0.8, width - 0.6, d + wobble);
    };
    const uint16_t ground = b.material(grass);

    SceneMaterial stone;
    stone.kind = MaterialKind::stone;
    stone.colour = srgb(136, 128, 114);
    stone.colour2 = srgb(74, 70, 62);
    stone.scale = 1.1;
    stone.bump = 0.35;
    stone.seed = 21;
    const uint16_t stone_m = b.material(stone);
    stone.colour = srgb(150, 142, 128);
    stone.scale = 3.0;
    stone.seed = 22;
    const uint16_t steps_m = b.material(stone);
    SceneMaterial ash;
    ash.kind = MaterialKind::dirt;
    ash.colour = srgb(58, 54, 50);
    ash.colour2 = srgb(30, 28, 26);
    ash.scale = 0.5;
    const uint16_t ash_m = b.material(ash);
    SceneMaterial water;
    water.kind = MaterialKind::water;
    water.colour = srgb(16, 24, 22);
    water.scale = 2;
    const uint16_t water_m = b.material(water);
    SceneMaterial iron;
    iron.kind = MaterialKind::metal;
    iron.colour = srgb(96, 98, 104);
    iron.colour2 = srgb(70, 58, 48);
    iron.specular = 0.5;
    iron.shininess = 40;
    const uint16_t iron_m = b.material(iron);
    SceneMaterial clay;
    clay.kind = MaterialKind::plaster;
    clay.colour = srgb(176, 104, 62);
    clay.colour2 = srgb(130, 74, 44);
    clay.scale = 0.6;
    clay.bump = 0.1;
    clay.specular = 0.15;
    clay.shininess = 20;
    const uint16_t clay_m = b.material(clay);

    // The main floor, with holes where the terrace stands, and the terrace floor.
    b.terrain(
        -70, -118, 140, 130, 1.0, ground_height, ground, k_floor,
        [](double x, double z) { return !(on_terrace(x, z) && z > k_edge_z + 0.8); },
        [](double x, double z) -> uint16_t {
            if (path_left(x, z) < 3.5 && z > -40) return tag_path_left;
            if (path_right(x, z) < 3.5 && z < -62) return tag_path_right;
            return 0;
        });
    b.terrain(k_terrace_x0, k_edge_z + 0.8, k_terrace_x1, 40, 0.8, terrace_height, ground, k_floor,
              nullptr, [](double x, double z) -> uint16_t {
                  return path_back(x, z) < 3.2 && z > -36 ? tag_path_back : 0;
              });
    stair_and_terrace(b, stone_m, steps_m);
    well(b, p, stone_m, water_m);
    campfire(b, p, ash_m);
    axe(b, p, iron_m);
    jug(b, clay_m);
    b.tag = tag_toadstool_right;
    toadstool(b, p, {57.6, ground_height(57.6, -57.4), -57.4}, 6.2, 1.7);
    b.tag = tag_toadstool_left;
    toadstool(b, p, {20.5, ground_height(20.5, -48.4), -48.4}, 5.8, 1.6);
    b.tag = 0;

    // The wood around the clearing: tall trees whose crowns are out of the picture, and below
    // them young trees and bushes that close the clearing in.
    struct TreeAt {
        double x, z, height, trunk, crown;
    };
    const TreeAt trees[] = {
        {-24, -52, 58, 2.6, 16}, {-30, -8, 62, 2.8, 18}, {-16, 24, 60, 2.4, 16},
        {8, 34, 66, 3.0, 18},    {24, 8, 60, 2.6, 15},   {56, 14, 64, 2.8, 17},
        {70, -20, 60, 2.5, 16},  {92, -44, 64, 3.0, 18}, {98, -80, 58, 2.7, 16},
        {-60, -20, 66, 3.0, 20},
    };
    uint32_t seed = 900;
    auto floor_at = [](double x, double z) {
        return on_terrace(x, z) ? terrace_height(x, z) : ground_height(x, z);
    };
    for (const TreeAt& t : trees)
        tree(b, p, {t.x, floor_at(t.x, t.z), t.z}, t.height, t.trunk, t.crown, seed++);
    // Undergrowth, kept off the paths and the open floor.
    SeqRandom r(4004);
    int placed = 0;
    for (int attempt = 0; attempt < 4000 && placed < 150; ++attempt) {
        // Half of them in the band behind the clearing that closes the picture's top.
        const bool back = placed % 2 == 0;
        const double x = back ? r.range(-40, 110) : r.range(-70, 130);
        const double z = back ? r.range(15, 95) : r.range(-110, 120);
        const double size = r.range(0.7, 1.3);
        const double kind = r.uniform();
        const bool open_floor = (x > -10 && x < 78 && z > -100 && z < -30) ||
                                (on_terrace(x, z) && z < 2) || path_left(x, z) < 7 ||
                                path_back(x, z) < 6 || path_right(x, z) < 8;
        if (open_floor) continue;
        // Nothing in front of the camera's near corners.
        if (z < -92 && x > 0 && x < 70) continue;
        const V3d base{x, floor_at(x, z), z};
        if (kind < 0.45)
            sapling(b, p, base, 14 * size + 6, 6 * size + 2, seed++);
        else
            bush(b, p, base, 5 * size, seed++);
        ++placed;
    }
    SunLight sun;
    sun.to_light = normalized(V3d{-0.45, -0.78, 0.32});
    sun.colour = srgb(255, 236, 200) * 2.7;
    sun.spread = 0.035;
    b.env.suns.push_back(sun);
    b.env.sky_zenith = srgb(120, 160, 220);
    b.env.sky_horizon = srgb(190, 205, 215);
    b.env.ground = srgb(60, 70, 40);
    b.env.sky_strength = 1.35;
    b.env.ao_distance = 16;
}

} // namespace

const SceneRecipe k_recipe_004 = {4, describe, build};
