// Scene 86: the hero choice. The two heroes stand on a round wooden dais in a stone hall, each
// in front of his banner, between two burning braziers; the camera looks along -x, so both
// face it (their choice models turn to it).
#include <cmath>

#include "tools/demo/noise.h"
#include "tools/demo/painter.h"
#include "tools/demo/scenes.h"

namespace {

enum Tag : uint16_t {
    tag_dais = 1,
    tag_brazier = 2,
};

constexpr double k_dais = 8.85;  // the dais floor
constexpr double k_hall = 11.85; // the hall floor, a step of three below
const V3d k_centre{18.5, k_dais, -16};
constexpr double k_radius = 15;
const V3d k_braziers[2] = {{10, k_hall, -1}, {10, k_hall, -31}};

void describe(DemoScene& s) {
    s.description.eye = file_point({84, -5, -16});
    s.description.target = file_point({19.5, 2.5, -16});
    s.description.angle = 56;
    s.description.factor = 1;
    s.description.scale = 1;
    s.description.ambient = {70, 62, 58}; // blue, green, red: a dim warm hall
    for (const V3d& b : k_braziers) {
        // The fire burns in the bowl; it lights the heroes and flickers.
        const V3d flame = b + V3d{0, -7.2, 0};
        s.description.fires.push_back({file_point(flame), 1.0f, 1.2f, 1.4f, 1, 1});
    }
    // A cool light from a high window behind the camera, as a spot on the dais.
    s.description.spot_lights.push_back(
        {1, file_point({60, -40, -16}), file_point(k_centre), 30, 120, 130, 150});
    s.walk.clearance = 1.5;
    s.walk.region = [](const V3d& p) {
        return std::hypot(p.x - k_centre.x, p.z - k_centre.z) < k_radius - 1;
    };
    s.places.push_back({"Tovi (choice)", {19, 8.65, -10}, 6.1});
    s.places.push_back({"Brask (choice)", {20, 8.65, -22}, 3.1});
    s.places.push_back({"cube", {19, 8.65, -10}, 6.1});
}

// A hero's emblem on a plaque: Tovi's is a golden leaf on green, Brask's a silver hammer on blue.
uint16_t emblem(SceneBuilder& b, bool leaf) {
    constexpr int n = 64;
    Canvas c(n * 2, n * 2, leaf ? rgb8(40, 96, 46) : rgb8(44, 56, 110));
    const V3d gold = rgb8(222, 184, 84), silver = rgb8(210, 214, 222);
    for (int k = 0; k < 4; ++k) {
        const double lo = 6, hi = n * 2 - 6;
        const double pts[4][4] = {
            {lo, lo, hi, lo}, {hi, lo, hi, hi}, {hi, hi, lo, hi}, {lo, hi, lo, lo}};
        c.line(pts[k][0], pts[k][1], pts[k][2], pts[k][3], 7, gold);
    }
    if (leaf) {
        c.ellipse(n, n, 22, 40, gold, 2);
        c.line(n, n + 52, n, n - 34, 4, rgb8(140, 100, 30));
        for (int k = -3; k <= 3; ++k)
            c.line(n, n + k * 10, n + 18, n + k * 10 - 12, 2.5, rgb8(140, 100, 30));
        for (int k = -3; k <= 3; ++k)
            c.line(n, n + k * 10, n - 18, n + k * 10 - 12, 2.5, rgb8(140, 100, 30));
    } else {
        c.line(n, n - 10, n, n + 48, 9, rgb8(120, 80, 44));
        c.line(n - 32, n - 26, n + 32, n - 26, 26, silver);
        c.line(n - 32, n - 26, n + 32, n - 26, 6, rgb8(150, 154, 164));
    }
    const RgbPicture p = c.downsampled(2);
    std::vector<V3d> pixels;
    for (size_t i = 0; i < p.rgb.size(); i += 3)
        pixels.push_back(rgb8(p.rgb[i], p.rgb[i + 1], p.rgb[i + 2]));
    return b.picture_material(p.width, p.height, pixels);
}

void banner(SceneBuilder& b, const V3d& top_centre, uint16_t cloth, uint16_t trim, uint16_t pole,
            uint16_t plaque) {
    b.cylinder(top_centre + V3d{0, 0, -4.2}, top_centre + V3d{0, 0, 4.2}, 0.3, pole, k_decor);
    const double w = 3.4, h = 17;
    // The cloth hangs in gentle folds: a strip of quads.
    for (int i = 0; i < 8; ++i) {
        const double z0 = -w + 2 * w * i / 8, z1 = -w + 2 * w * (i + 1) / 8;
        const double x0 = 0.25 * std::sin(i * 1.7), x1 = 0.25 * std::sin((i + 1) * 1.7);
        b.quad(top_centre + V3d{x0 + 0.4, 0.3, z0}, top_centre + V3d{x1 + 0.4, 0.3, z1},
               top_centre + V3d{x1 + 0.4, h, z1}, top_centre + V3d{x0 + 0.4, h, z0}, cloth,
               k_decor);
    }
    // A pointed end and a trim stripe.
    b.triangle(top_centre + V3d{0.45, h, -w}, top_centre + V3d{0.45, h, w},
               top_centre + V3d{0.45, h + 3, 0}, cloth, k_decor);
    b.quad(top_centre + V3d{0.5, h - 1.5, -w}, top_centre + V3d{0.5, h - 1.5, w},
           top_centre + V3d{0.5, h - 0.8, w}, top_centre + V3d{0.5, h - 0.8, -w}, trim, k_decor);
    // The plaque in the middle, facing the hall.
    const std::array<float, 4> uv{0, 0, 1, 1};
    b.quad(top_centre + V3d{0.75, 5.5, 2.6}, top_centre + V3d{0.75, 5.5, -2.6},
           top_centre + V3d{0.75, 10.7, -2.6}, top_centre + V3d{0.75, 10.7, 2.6}, plaque, k_decor,
           &uv);
}

void build(const SceneView&, SceneBuilder& b, DemoScene&) {
    SceneMaterial boards;
    boards.kind = MaterialKind::planks;
    boards.colour = srgb(150, 104, 62);
    boards.colour2 = srgb(96, 62, 36);
    boards.scale = 1.4;
    boards.specular = 0.15;
    boards.shininess = 30;
    boards.seed = 861;
    const uint16_t boards_m = b.material(boards);
    SceneMaterial stone;
    stone.kind = MaterialKind::stone;
    stone.colour = srgb(120, 112, 104);
    stone.colour2 = srgb(62, 58, 54);
    stone.scale = 2.0;
    stone.bump = 0.3;
    stone.seed = 862;
    const uint16_t wall_m = b.material(stone);
    stone.colour = srgb(104, 98, 92);
    stone.scale = 4.0;
    stone.seed = 863;
    const uint16_t floor_m = b.material(stone);
    SceneMaterial green;
    green.kind = MaterialKind::cloth;
    green.colour = srgb(50, 112, 56);
    green.colour2 = srgb(200, 170, 80);
    green.scale = 1.5;
    const uint16_t green_m = b.material(green);
    SceneMaterial blue = green;
    blue.colour = srgb(54, 70, 130);
    blue.colour2 = srgb(170, 170, 180);
    const uint16_t blue_m = b.material(blue);
    SceneMaterial gold;
    gold.kind = MaterialKind::metal;
    gold.colour = srgb(200, 160, 70);
    gold.colour2 = srgb(140, 100, 40);
    gold.specular = 0.6;
    gold.shininess = 40;
    const uint16_t gold_m = b.material(gold);
    SceneMaterial iron;
    iron.kind = MaterialKind::metal;
    iron.colour = srgb(70, 68, 66);
    iron.colour2 = srgb(90, 60, 40);
    iron.specular = 0.4;
    iron.shininess = 30;
    const uint16_t iron_m = b.material(iron);
    SceneMaterial embers;
    embers.kind = MaterialKind::flat;
    embers.colour = srgb(40, 20, 10);
    embers.emission = srgb(255, 140, 40) * 2.5;
    const uint16_t embers_m = b.material(embers);
    SceneMaterial curtain = green;
    curtain.colour = srgb(120, 28, 30);
    curtain.colour2 = srgb(70, 14, 16);
    const uint16_t curtain_m = b.material(curtain);

    // The hall: floor, back wall with pillars, side walls out of view.
    b.box({30, k_hall + 1, -16}, {60, 1, 60}, 0, floor_m, k_floor);
    b.box({1, k_hall - 25, -16}, {1.5, 25, 60}, 0, wall_m, k_solid);
    for (double z : {-46.0, -16.0, 14.0})
        b.box({3.5, k_hall - 25, z}, {1.8, 25, 1.8}, 0, wall_m, k_solid);
    // Curtains between the pillars at the far sides.
    for (double z : {-38.0, 6.0})
        for (int i = 0; i < 6; ++i) {
            const double z0 = z - 6 + 2 * i, z1 = z0 + 2;
            const double x0 = 3 + 0.6 * (i % 2), x1 = 3 + 0.6 * ((i + 1) % 2);
            b.quad({x0, k_hall - 40, z0}, {x1, k_hall - 40, z1}, {x1, k_hall, z1}, {x0, k_hall, z0},
                   curtain_m, k_decor);
        }
    // The dais: a disc of boards on a stone ring, a step down to the hall.
    b.tag = tag_dais;
    b.cylinder(k_centre + V3d{0, 3.5, 0}, k_centre + V3d{0, 0.4, 0}, k_radius + 0.6, wall_m,
               k_solid);
    b.cylinder(k_centre + V3d{0, 0.5, 0}, k_centre, k_radius, boards_m, k_floor | shape_obstacle);
    b.tag = 0;
    // The heroes' banners behind them.
    banner(b, {3.0, k_hall - 34, -4}, green_m, gold_m, gold_m, emblem(b, true));
    banner(b, {3.0, k_hall - 34, -28}, blue_m, gold_m, gold_m, emblem(b, false));
    // Braziers: a tripod of iron legs and a bowl of glowing coals.
    b.tag = tag_brazier;
    for (const V3d& base : k_braziers) {
        for (int k = 0; k < 3; ++k) {
            const double a = k * 2 * k_pi / 3;
            b.cylinder(base + V3d{std::cos(a) * 2, 0, std::sin(a) * 2}, base + V3d{0, -5.5, 0},
                       0.25, iron_m);
        }
        b.lathe(base + V3d{0, -5.5, 0},
                {{0.0, 0.0}, {1.0, 0.1}, {2.2, 0.8}, {2.6, 1.6}, {2.4, 1.7}, {0.0, 1.5}}, 14,
                iron_m, k_decor);
        b.blob(base + V3d{0, -7.1, 0}, {1.9, 0.4, 1.9}, 0.4, 864, 2, embers_m, k_decor);
    }
    b.tag = 0;

    // Light: the two fires, and a cool fill from a high window.
    for (const V3d& base : k_braziers) {
        LampLight lamp;
        lamp.position = base + V3d{0, -9, 0};
        lamp.radius = 1.5;
        lamp.colour = srgb(255, 170, 90) * 2.4;
        lamp.falloff = 24;
        b.env.lamps.push_back(lamp);
    }
    SunLight window;
    window.to_light = normalized(V3d{0.7, -0.65, 0.2});
    window.colour = srgb(170, 185, 220) * 0.9;
    window.spread = 0.05;
    b.env.suns.push_back(window);
    b.env.sky_zenith = srgb(60, 60, 70);
    b.env.sky_horizon = srgb(50, 46, 44);
    b.env.ground = srgb(40, 32, 26);
    b.env.sky_strength = 0.9;
    b.env.background = srgb(10, 8, 8);
    b.env.ao_distance = 12;
}

} // namespace

const SceneRecipe k_recipe_086 = {86, describe, build};
