#include "tools/demo/character.h"

#include <cmath>

#include "tools/demo/noise.h"
#include "tools/demo/random.h"

namespace {

// Texture regions, pixels of the 256x256 texture.
const UvRect k_head = UvRect::pixels(0, 0, 128, 96);
const UvRect k_torso = UvRect::pixels(128, 0, 256, 96);
const UvRect k_pelvis = UvRect::pixels(128, 96, 256, 128);
const UvRect k_upper_arm = UvRect::pixels(0, 96, 64, 160);
const UvRect k_forearm = UvRect::pixels(64, 96, 128, 160);
const UvRect k_hand = UvRect::pixels(0, 160, 32, 192);
const UvRect k_foot = UvRect::pixels(32, 160, 96, 192);
const UvRect k_cube = UvRect::pixels(96, 160, 128, 192);
const UvRect k_thigh = UvRect::pixels(128, 128, 192, 192);
const UvRect k_shin = UvRect::pixels(192, 128, 256, 192);
const UvRect k_cap = UvRect::pixels(0, 192, 64, 256);
const UvRect k_beard = UvRect::pixels(64, 192, 128, 256);
const UvRect k_neck = UvRect::pixels(128, 192, 160, 224);
const UvRect k_nose = UvRect::pixels(160, 192, 176, 208);

MeshBuilder bone_mesh(const HeroLook& look, int bone) {
    const BodyShape& b = look.body;
    const double g = look.girth;
    MeshBuilder m;
    switch (bone) {
    case bone_pelvis:
        m.tube({{-0.55, 1.35 * g, 0.9 * g},
                {0.1, 1.55 * g, 1.0 * g},
                {0.7, 1.45 * g, 0.95 * g},
                {1.25, 0.9 * g, 0.7 * g}},
               10, k_pelvis);
        break;
    case bone_torso: {
        // Wide enough at the top to meet the arms at the shoulder joints.
        const double t = b.torso_length, sw = b.shoulder_width;
        m.tube({{-t - 0.1, 0.55, 0.5, 0, 0.05},
                {-t + 0.3, sw * 0.85, 0.85 * g, 0, 0},
                {-t + 1.2, std::max(1.85 * g, sw * 0.95), 1.15 * g, 0, -0.1},
                {-t * 0.5, 1.7 * g, 1.1 * g, 0, -0.08},
                {0.15, 1.42 * g, 0.95 * g},
                {0.5, 1.36 * g, 0.92 * g}},
               12, k_torso);
        break;
    }
    case bone_head:
        m.tube({{-0.9, 0.5, 0.5}, {0.4, 0.55, 0.55}}, 8, k_neck, true);
        m.ellipsoid({0, -1.95, -0.1}, {1.0, 1.25, 1.1}, 12, 8, k_head);
        m.box({-0.14, -2.05, -1.38}, {0.14, -1.6, -1.05}, k_nose);
        if (look.cap)
            m.tube({{-4.6, 0.05, 0.05, 0, 0.9},
                    {-4.0, 0.35, 0.35, 0, 0.6},
                    {-3.3, 0.8, 0.85, 0, 0.25},
                    {-2.65, 1.12, 1.2, 0, 0.0},
                    {-2.3, 1.16, 1.24, 0, -0.05}},
                   12, k_cap);
        if (look.beard)
            m.tube({{-1.45, 0.98, 0.55, 0, -0.55},
                    {-0.8, 1.02, 0.6, 0, -0.75},
                    {-0.1, 0.8, 0.5, 0, -0.85},
                    {0.45, 0.35, 0.28, 0, -0.9}},
                   10, k_beard);
        break;
    case bone_upper_arm_l:
    case bone_upper_arm_r:
        m.tube({{-0.35, 0.62 * g, 0.62 * g},
                {0.4, 0.6 * g, 0.6 * g},
                {1.8, 0.5 * g, 0.5 * g},
                {b.upper_arm + 0.05, 0.42 * g, 0.42 * g}},
               8, k_upper_arm);
        break;
    case bone_forearm_l:
    case bone_forearm_r:
        m.tube(
            {{-0.15, 0.45 * g, 0.45 * g}, {0.9, 0.46 * g, 0.46 * g}, {b.forearm, 0.3 * g, 0.3 * g}},
            8, k_forearm);
        break;
    case bone_hand_l:
    case bone_hand_r:
        m.tube({{-0.1, 0.15, 0.28}, {0.55, 0.18, 0.36}, {1.2, 0.14, 0.3}, {1.45, 0.08, 0.12}}, 8,
               k_hand);
        m.tube({{0.2, 0.1, 0.1, 0, -0.3}, {0.9, 0.09, 0.09, 0, -0.45}}, 5, k_hand);
        break;
    case bone_thigh_l:
    case bone_thigh_r:
        m.tube(
            {{-0.35, 0.85 * g, 0.85 * g}, {1.2, 0.8 * g, 0.8 * g}, {b.thigh, 0.52 * g, 0.52 * g}},
            8, k_thigh);
        break;
    case bone_shin_l:
    case bone_shin_r:
        m.tube({{-0.2, 0.52 * g, 0.52 * g},
                {1.4, 0.56 * g, 0.56 * g},
                {b.shin * 0.62, 0.5 * g, 0.5 * g},
                {b.shin - 0.2, 0.42 * g, 0.44 * g}},
               8, k_shin);
        break;
    case bone_foot_l:
    case bone_foot_r:
        m.box({-0.45 * g, -0.7, -2.25}, {0.45 * g, b.ankle_height, 0.65}, k_foot);
        break;
    }
    return m;
}

} // namespace

HeroLook tovi_look() {
    HeroLook l;
    l.name = "tovi";
    l.body.hip_height = 8.9;
    l.body.torso_length = 5.2;
    l.body.shoulder_width = 1.95;
    l.body.hip_width = 0.9;
    l.body.thigh = 4.2;
    l.body.shin = 4.0;
    l.body.upper_arm = 2.9;
    l.body.forearm = 2.5;
    l.skin = rgb8(228, 186, 150);
    l.hair = rgb8(214, 170, 84);
    l.tunic = rgb8(62, 120, 66);
    l.tunic_trim = rgb8(196, 164, 80);
    l.trousers = rgb8(118, 92, 62);
    l.boots = rgb8(82, 56, 36);
    l.belt = rgb8(96, 60, 34);
    l.eyes = rgb8(70, 110, 150);
    l.cap = true;
    l.girth = 0.95;
    l.seed = 101;
    return l;
}

HeroLook brask_look() {
    HeroLook l;
    l.name = "brask";
    l.body.hip_height = 9.45;
    l.body.torso_length = 5.7;
    l.body.shoulder_width = 2.45;
    l.body.hip_width = 1.1;
    l.body.thigh = 4.4;
    l.body.shin = 4.3;
    l.body.upper_arm = 3.1;
    l.body.forearm = 2.7;
    l.skin = rgb8(196, 140, 106);
    l.hair = rgb8(168, 70, 36);
    l.tunic = rgb8(70, 84, 128);
    l.tunic_trim = rgb8(150, 150, 160);
    l.trousers = rgb8(70, 64, 58);
    l.boots = rgb8(60, 42, 30);
    l.belt = rgb8(52, 36, 24);
    l.eyes = rgb8(90, 70, 40);
    l.beard = true;
    l.girth = 1.2;
    l.seed = 202;
    return l;
}

UvRect cube_region_in_hero_texture() {
    return k_cube;
}

std::vector<ModelPartSource> hero_model(const HeroLook& look, int frame_count,
                                        const PoseTrack& track, double turn,
                                        const CubeInHand* cube) {
    std::vector<std::vector<Matrix>> frames(bone_count + (cube ? 1 : 0));
    const Frame3 whole = rot_yaw(turn);
    for (int f = 0; f < frame_count; ++f) {
        const auto bones = solve_pose(look.body, track(f));
        for (int b = 0; b < bone_count; ++b)
            frames[static_cast<size_t>(b)].push_back(
                to_matrix(compose(bones[static_cast<size_t>(b)], whole)));
        if (cube) {
            if (f >= cube->first && f <= cube->last)
                frames.back().push_back(to_matrix(compose(cube->place(f, bones), whole)));
            else
                frames.back().push_back(hidden_matrix(whole.apply(bones[bone_hand_r].t)));
        }
    }
    std::vector<ModelPartSource> parts;
    for (int b = 0; b < bone_count; ++b)
        parts.push_back(bone_mesh(look, b).finish(frames[static_cast<size_t>(b)]));
    if (cube) {
        MeshBuilder m;
        const double h = k_cube_size / 2;
        m.box({-h, -h, -h}, {h, h, h}, k_cube);
        parts.push_back(m.finish(frames.back()));
    }
    return parts;
}

std::vector<ModelPartSource> cube_model(int frame_count, const std::function<Frame3(int)>& place) {
    std::vector<Matrix> frames;
    for (int f = 0; f < frame_count; ++f) frames.push_back(to_matrix(place(f)));
    MeshBuilder m;
    const double h = k_cube_size / 2;
    m.box({-h, -h, -h}, {h, h, h}, UvRect{0, 0, 1, 1});
    return {m.finish(frames)};
}

void paint_cube_face(Canvas& c, int x0, int y0, int size) {
    const double s = size / 32.0;
    c.fill(x0, y0, x0 + size, y0 + size, rgb8(170, 120, 60), 0.06, 0.15, 77);
    // A gilded border and a glowing rune.
    const V3d gold = rgb8(236, 196, 90), rune = rgb8(90, 210, 230);
    c.fill(x0, y0, x0 + size, y0 + static_cast<int>(2 * s), gold);
    c.fill(x0, y0 + size - static_cast<int>(2 * s), x0 + size, y0 + size, gold);
    c.fill(x0, y0, x0 + static_cast<int>(2 * s), y0 + size, gold);
    c.fill(x0 + size - static_cast<int>(2 * s), y0, x0 + size, y0 + size, gold);
    const double cx = x0 + size / 2.0, cy = y0 + size / 2.0;
    c.line(cx, cy - 9 * s, cx, cy + 9 * s, 2.2 * s, rune);
    c.line(cx - 7 * s, cy - 4 * s, cx + 7 * s, cy + 4 * s, 2.2 * s, rune);
    c.line(cx - 7 * s, cy + 4 * s, cx + 7 * s, cy - 4 * s, 2.2 * s, rune);
    c.ellipse(cx, cy, 3 * s, 3 * s, rgb8(220, 250, 255), 1);
}

Canvas cube_texture() {
    Canvas c(256, 256);
    paint_cube_face(c, 0, 0, 256);
    return c;
}

Canvas hero_texture(const HeroLook& l) {
    Canvas c(256, 256, rgb8(128, 128, 128));
    const uint32_t s = l.seed;
    // Head: the face looks out of the middle of the region (u = 0.5); v runs from the crown
    // (top) to under the chin.
    c.fill(0, 0, 128, 96, l.skin, 0.03, 0.06, s);
    c.ellipse(64, 62, 26, 16, l.skin * 0.93, 8, 0.5); // cheeks' shade
    c.ellipse(32, 48, 5, 8, l.skin * 0.85, 2);        // ears
    c.ellipse(96, 48, 5, 8, l.skin * 0.85, 2);
    const double hair_line = l.beard ? 22 : 30;
    for (int x = 0; x < 128; ++x) {
        // Hair covers the crown, the back of the head and the nape.
        const double back = std::cos((x + 0.5) / 128.0 * 2 * k_pi); // 1 at the back, -1 at the face
        const double limit = hair_line + (back > 0 ? back * (l.beard ? 20 : 46) : back * 8) +
                             4 * noise2(x / 6.0, 1.0, s + 9);
        for (int y = 0; y < 96 && y < limit; ++y) {
            const double strand =
                0.85 + 0.15 * std::sin(x * 1.7 + 3 * noise2(x / 4.0, y / 9.0, s + 3));
            c.at(x, y) = (l.beard ? l.skin * 0.96 : l.hair) * strand;
        }
    }
    if (l.beard) {
        // A headband over the bald crown.
        c.fill(0, 16, 128, 22, rgb8(140, 40, 30), 0.05, 0, s + 2);
        for (int x = 0; x < 128; ++x)
            for (int y = 58; y < 96; ++y) {
                const double front = -std::cos((x + 0.5) / 128.0 * 2 * k_pi);
                if (front > 0.35 && y > 70 - front * 10)
                    c.at(x, y) = l.hair * (0.8 + 0.3 * noise2(x / 2.0, y / 5.0, s + 4));
            }
        c.line(52, 70, 76, 70, 3, l.hair * 0.9); // moustache
    }
    // Eyes, brows, nose shade and mouth.
    for (double ex : {55.0, 73.0}) {
        c.ellipse(ex, 52, 4.2, 2.8, rgb8(245, 242, 236), 0.8);
        c.ellipse(ex, 52, 2.2, 2.4, l.eyes, 0.6);
        c.ellipse(ex, 52, 1.0, 1.1, rgb8(20, 16, 14), 0.5);
        c.line(ex - 4.5, 46.5, ex + 4.5, 46, 1.8, l.hair * 0.7);
    }
    c.ellipse(64, 60, 3, 5, l.skin * 0.88, 2, 0.8);
    c.line(58, 70, 70, 70, 1.6, rgb8(150, 80, 70));
    // Neck and nose patches: skin.
    c.fill(128, 192, 176, 224, l.skin, 0.03, 0.05, s + 5);
    // Cap: the tunic's green, darker towards the tip, with a trim band at the rim.
    c.fill(0, 192, 64, 256, l.tunic * 0.9, 0.05, 0.2, s + 6);
    c.shade(0, 192, 64, 256, 0.7, 1.05);
    c.fill(0, 246, 64, 256, l.tunic_trim, 0.05, 0, s + 7);
    c.line(40, 232, 48, 205, 2, rgb8(220, 60, 40)); // a feather
    // Beard region.
    c.fill(64, 192, 128, 256, l.hair, 0.1, 0.25, s + 8);
    for (int k = 0; k < 40; ++k) {
        SeqRandom r(s * 100 + static_cast<uint32_t>(k));
        const double x = 64 + r.uniform() * 64, y = 192 + r.uniform() * 50;
        c.line(x, y, x + r.range(-2, 2), y + r.range(6, 14), 1.2, l.hair * 0.75, 0.7);
    }
    // Torso: the tunic, v from the neck (top) to the waist; its front is the middle.
    c.fill(128, 0, 256, 96, l.tunic, 0.05, 0.18, s + 10);
    c.weave(128, 0, 256, 96, 2, 0.06);
    c.fill(128, 0, 256, 8, l.tunic_trim, 0.05, 0, s + 11);  // collar
    c.fill(189, 0, 195, 60, l.tunic_trim, 0.05, 0, s + 12); // front seam
    for (int k = 0; k < 4; ++k) c.ellipse(192, 14 + k * 12, 2.2, 2.2, rgb8(60, 40, 20), 0.6);
    if (l.beard) {
        // A leather jerkin over the tunic.
        c.fill(128, 10, 168, 96, rgb8(110, 74, 46), 0.06, 0.3, s + 13);
        c.fill(216, 10, 256, 96, rgb8(110, 74, 46), 0.06, 0.3, s + 13);
        c.fill(128, 10, 140, 96, rgb8(96, 64, 40), 0.06, 0.3, s + 14);
        c.fill(244, 10, 256, 96, rgb8(96, 64, 40), 0.06, 0.3, s + 14);
    }
    c.shade(128, 0, 256, 96, 1.05, 0.9);
    c.fill(128, 88, 256, 96, l.belt, 0.05, 0.1, s + 15); // belt at the waist
    // Pelvis: belt at the top, then trousers; a buckle at the front.
    c.fill(128, 96, 256, 128, l.trousers, 0.05, 0.2, s + 16);
    c.fill(128, 96, 256, 104, l.belt, 0.05, 0.1, s + 15);
    c.fill(186, 96, 198, 104, rgb8(210, 180, 90), 0.05, 0, s + 17);
    c.fill(128, 104, 256, 112, l.tunic * 0.95, 0.05, 0.1, s + 18); // tunic hem
    // Arms: sleeves, rolled up at the forearm's end; hands bare.
    c.fill(0, 96, 64, 160, l.tunic, 0.05, 0.18, s + 20);
    c.weave(0, 96, 64, 160, 2, 0.06);
    c.shade(0, 96, 64, 160, 1.05, 0.9);
    c.fill(64, 96, 128, 140, l.tunic * 0.97, 0.05, 0.18, s + 21);
    c.fill(64, 134, 128, 140, l.tunic_trim, 0.05, 0, s + 22);
    c.fill(64, 140, 128, 160, l.skin, 0.03, 0.05, s + 23);
    c.fill(0, 160, 32, 192, l.skin, 0.03, 0.08, s + 24);
    c.shade(0, 160, 32, 192, 1.0, 0.85);
    // Legs: trousers and boots.
    c.fill(128, 128, 192, 192, l.trousers, 0.05, 0.2, s + 25);
    c.weave(128, 128, 192, 192, 2, 0.05);
    c.fill(192, 128, 256, 160, l.trousers, 0.05, 0.2, s + 26);
    c.fill(192, 158, 256, 192, l.boots, 0.05, 0.15, s + 27);
    c.fill(192, 158, 256, 162, l.boots * 1.3, 0.05, 0, s + 28); // boot cuff
    c.fill(32, 160, 96, 192, l.boots, 0.05, 0.15, s + 29);
    c.shade(32, 160, 96, 192, 1.1, 0.75);
    paint_cube_face(c, 96, 160, 32);
    return c;
}
