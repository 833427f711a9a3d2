#include "tools/demo/scenery.h"

#include <cmath>

#include "tools/demo/noise.h"
#include "tools/demo/random.h"

ForestPalette forest_palette(SceneBuilder& b) {
    ForestPalette p;
    SceneMaterial bark;
    bark.kind = MaterialKind::bark;
    bark.colour = srgb(110, 90, 70);
    bark.colour2 = srgb(84, 70, 56);
    bark.scale = 1;
    bark.bump = 0.6;
    bark.seed = 31;
    p.bark = b.material(bark);

    SceneMaterial leaves;
    leaves.kind = MaterialKind::leaves;
    leaves.colour = srgb(58, 88, 30);
    leaves.colour2 = srgb(104, 128, 44);
    leaves.scale = 1.6;
    leaves.bump = 0.9;
    leaves.seed = 41;
    p.leaves = b.material(leaves);
    leaves.colour = srgb(36, 62, 26);
    leaves.colour2 = srgb(66, 92, 34);
    leaves.seed = 43;
    p.leaves_dark = b.material(leaves);

    SceneMaterial rock;
    rock.kind = MaterialKind::rock;
    rock.colour = srgb(128, 124, 114);
    rock.colour2 = srgb(74, 96, 40);
    rock.scale = 3;
    rock.bump = 0.5;
    rock.seed = 51;
    p.rock = b.material(rock);
    rock.colour = srgb(118, 116, 108);
    rock.seed = 53;
    p.moss_rock = b.material(rock);

    SceneMaterial spots;
    spots.kind = MaterialKind::flat;
    spots.colour = srgb(236, 230, 214);
    const uint16_t white = b.material(spots);
    SceneMaterial cap;
    cap.kind = MaterialKind::flat;
    cap.colour = srgb(196, 36, 24);
    cap.specular = 0.25;
    cap.shininess = 30;
    cap.blend_with = white;
    cap.blend = [](const V3d& q) {
        const CellularResult c = cellular3(q * 1.3, 61);
        return smoothstep(0.26, 0.2, c.f1);
    };
    p.cap = b.material(cap);
    SceneMaterial stem;
    stem.kind = MaterialKind::plaster;
    stem.colour = srgb(228, 220, 196);
    stem.colour2 = srgb(200, 188, 160);
    stem.scale = 0.5;
    stem.bump = 0.1;
    p.stem = b.material(stem);

    SceneMaterial wood;
    wood.kind = MaterialKind::planks;
    wood.colour = srgb(140, 104, 66);
    wood.colour2 = srgb(96, 68, 42);
    wood.scale = 1.2;
    wood.seed = 71;
    p.wood = b.material(wood);
    SceneMaterial log;
    log.kind = MaterialKind::log;
    log.colour = srgb(196, 158, 112);
    log.colour2 = srgb(96, 76, 58);
    log.scale = 1;
    log.bump = 0.5;
    log.seed = 73;
    p.log = b.material(log);
    return p;
}

void tree(SceneBuilder& b, const ForestPalette& p, const V3d& base, double height, double trunk,
          double crown, uint32_t seed) {
    SeqRandom r(seed);
    const V3d lean{r.range(-0.08, 0.08) * height, 0, r.range(-0.08, 0.08) * height};
    const V3d top = base + V3d{0, -height, 0} + lean;
    // The trunk flares at the foot and sinks a little into the ground.
    b.cone(base + V3d{0, 1.5, 0}, base + V3d{0, -2, 0} + lean * 0.1, trunk * 1.6, trunk, p.bark);
    b.cone(base + V3d{0, -2, 0} + lean * 0.1, top, trunk, trunk * 0.55, p.bark);
    const int limbs = 2 + static_cast<int>(r.uniform() * 2);
    for (int i = 0; i < limbs; ++i) {
        const double a = r.uniform() * 2 * k_pi;
        const double h = height * r.range(0.55, 0.8);
        const V3d from = base + V3d{0, -h, 0} + lean * (h / height);
        const V3d to =
            from + V3d{std::cos(a) * crown * 0.6, -crown * 0.5, std::sin(a) * crown * 0.6};
        b.cone(from, to, trunk * 0.45, trunk * 0.2, p.bark, k_decor);
        b.blob(to + V3d{0, -crown * 0.2, 0}, V3d{crown * 0.6, crown * 0.45, crown * 0.6}, 0.35,
               seed * 7 + static_cast<uint32_t>(i), 2, i % 2 ? p.leaves_dark : p.leaves, k_decor);
    }
    b.blob(top + V3d{0, -crown * 0.25, 0}, V3d{crown, crown * 0.7, crown}, 0.3, seed * 13, 2,
           p.leaves, k_decor);
}

void sapling(SceneBuilder& b, const ForestPalette& p, const V3d& base, double height, double crown,
             uint32_t seed) {
    SeqRandom r(seed);
    const V3d top = base + V3d{r.range(-1, 1), -height, r.range(-1, 1)};
    b.cone(base + V3d{0, 1, 0}, top, crown * 0.09, crown * 0.05, p.bark);
    b.blob(top + V3d{0, crown * 0.25, 0}, V3d{crown, crown * 0.8, crown}, 0.4, seed * 3 + 1, 2,
           r.uniform() < 0.5 ? p.leaves : p.leaves_dark, k_decor);
    b.blob(top + V3d{r.range(-0.5, 0.5) * crown, crown * 0.75, r.range(-0.5, 0.5) * crown},
           V3d{crown * 0.7, crown * 0.5, crown * 0.7}, 0.4, seed * 3 + 2, 2, p.leaves_dark,
           k_decor);
}

void bush(SceneBuilder& b, const ForestPalette& p, const V3d& base, double radius, uint32_t seed,
          uint8_t flags) {
    b.blob(base + V3d{0, -radius * 0.55, 0}, V3d{radius, radius * 0.75, radius}, 0.35, seed, 2,
           seed % 2 ? p.leaves : p.leaves_dark, flags);
}

void rock(SceneBuilder& b, const ForestPalette& p, const V3d& base, const V3d& radii, uint32_t seed,
          uint8_t flags) {
    b.blob(base + V3d{0, -radii.y * 0.6, 0}, radii, 0.25, seed, 2, seed % 2 ? p.rock : p.moss_rock,
           flags);
}

void toadstool(SceneBuilder& b, const ForestPalette& p, const V3d& base, double height, double cap,
               uint8_t flags) {
    const double stem = cap * 0.32;
    b.cone(base + V3d{0, 0.5, 0}, base + V3d{0, -height * 0.8, 0}, stem * 1.35, stem * 0.85, p.stem,
           flags);
    // A ring on the stem and a domed cap.
    b.cone(base + V3d{0, -height * 0.62, 0}, base + V3d{0, -height * 0.66, 0}, stem * 1.1,
           stem * 1.7, p.stem, k_decor);
    b.lathe(base + V3d{0, -height * 0.78, 0},
            {{cap * 0.2, -0.05},
             {cap * 0.95, 0.0},
             {cap, height * 0.06},
             {cap * 0.9, height * 0.13},
             {cap * 0.65, height * 0.19},
             {cap * 0.3, height * 0.22},
             {0.0, height * 0.225}},
            18, p.cap, k_decor);
}

void log_on_ground(SceneBuilder& b, const ForestPalette& p, const V3d& a, const V3d& c, double r) {
    b.cylinder(a + V3d{0, -r * 0.9, 0}, c + V3d{0, -r * 0.9, 0}, r, p.log);
}
