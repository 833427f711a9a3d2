#include "tools/demo/creatures.h"

#include <array>
#include <cmath>

#include "tools/demo/model_mesh.h"
#include "tools/demo/random.h"

namespace {

double smooth(double t) {
    t = clamp01(t);
    return t * t * (3 - 2 * t);
}

// Texture regions of the boar (pixels of 256).
const UvRect k_body = UvRect::pixels(0, 0, 256, 96);
const UvRect k_head = UvRect::pixels(0, 96, 128, 192);
const UvRect k_leg = UvRect::pixels(128, 96, 192, 192);
const UvRect k_hoof = UvRect::pixels(192, 96, 224, 128);
const UvRect k_tusk = UvRect::pixels(224, 96, 256, 128);
const UvRect k_tail = UvRect::pixels(192, 128, 256, 192);

// Bones of the boar: body (root), head, four legs of two parts, tail.
enum BoarBone {
    body,
    head,
    fl_up,
    fl_low,
    fr_up,
    fr_low,
    bl_up,
    bl_low,
    br_up,
    br_low,
    tail,
    boar_bone_count
};

constexpr double k_shoulder = 6.05; // body axis above the ground
constexpr double k_upper = 2.5, k_lower = 2.4;

struct BoarPose {
    V3d root{0, -k_shoulder, 0};
    double pitch = 0, roll = 0;
    double head_pitch = 0, head_yaw = 0;
    double leg[4][2] = {}; // swing of upper and lower leg (forward positive)
    double tail = 0;
};

std::array<Frame3, boar_bone_count> solve(const BoarPose& p) {
    std::array<Frame3, boar_bone_count> g;
    Frame3 b = compose(frame_rotation_z(-p.roll), frame_rotation_x(p.pitch));
    b.t = p.root;
    g[body] = b;
    Frame3 h = compose(frame_rotation_x(p.head_pitch), frame_rotation_y(-p.head_yaw));
    h.t = {0, -0.6, -4.6};
    g[head] = compose(h, b);
    const V3d hips[4] = {{1.4, 0.9, -3.2}, {-1.4, 0.9, -3.2}, {1.4, 0.9, 3.2}, {-1.4, 0.9, 3.2}};
    for (int l = 0; l < 4; ++l) {
        Frame3 up = frame_rotation_x(-p.leg[l][0]);
        up.t = hips[l];
        g[static_cast<size_t>(fl_up + 2 * l)] = compose(up, b);
        Frame3 low = frame_rotation_x(-p.leg[l][1]);
        low.t = {0, k_upper, 0};
        g[static_cast<size_t>(fl_low + 2 * l)] =
            compose(low, g[static_cast<size_t>(fl_up + 2 * l)]);
    }
    Frame3 t = frame_rotation_x(0.6 + p.tail);
    t.t = {0, -0.4, 4.7};
    g[tail] = compose(t, b);
    return g;
}

BoarPose boar_pose(int f) {
    BoarPose p;
    // Lower legs slightly bent back by default so the hooves sit under the joints.
    for (auto& l : p.leg) l[0] = 0.05, l[1] = -0.1;
    // The body's height keeps the hooves on the ground: legs are upper + lower long, starting
    // 0.9 below the body axis, and a hoof adds a little.
    if (f <= 38) {
        // Walk: diagonal pairs (front left with back right); cycle from frame 8.
        const double start = smooth(f / 8.0);
        const double phase = (f - 8) / 30.0 * 2 * k_pi;
        const double offsets[4] = {0, k_pi, k_pi, 0};
        for (int l = 0; l < 4; ++l) {
            const double s = std::sin(phase + offsets[l]);
            p.leg[l][0] = 0.05 + start * 0.38 * s;
            p.leg[l][1] = -0.1 - start * 0.45 * std::max(0.0, std::cos(phase + offsets[l]));
        }
        p.root.y += start * 0.12 * std::cos(2 * phase);
        p.head_pitch = start * 0.06 * std::sin(2 * phase);
        p.tail = 0.3 * std::sin(phase * 2);
    } else if (f <= 100) {
        // Rest: breathing, a sniff at 45 and 57.
        const double t = (f - 40) / 60.0;
        p.root.y -= 0.05 * std::sin(2 * k_pi * t);
        for (double sniff : {45.0, 57.0})
            p.head_pitch += 0.12 * std::exp(-(f - sniff) * (f - sniff) / 6);
        p.tail = 0.2 * std::sin(2 * k_pi * t * 3);
    } else if (f >= 130 && f <= 190) {
        // Rooting in the ground: head down, pushing twice.
        const double t = (f - 130) / 60.0;
        const double down = smooth(t * 4) * smooth((1 - t) * 4);
        p.head_pitch = 0.75 * down;
        for (double push : {137.0, 149.0})
            p.head_pitch += 0.15 * down * std::exp(-(f - push) * (f - push) / 5);
        p.pitch = 0.1 * down;
        p.leg[0][0] = p.leg[1][0] = 0.05 - 0.1 * down;
    } else if (f >= 191 && f <= 250) {
        const double t = (f - 191) / 59.0;
        const double up = smooth(t * 3) * smooth((1 - t) * 3);
        p.head_pitch = -0.35 * up;
        p.head_yaw = 0.4 * std::sin(2 * k_pi * t) * up;
    } else if (f >= 251 && f <= 291) {
        // Turns: a shuffle of the legs.
        const double t = (f - (f <= 271 ? 251 : 271)) / 20.0;
        for (int l = 0; l < 4; ++l)
            p.leg[l][0] = 0.05 + 0.2 * std::sin(2 * k_pi * (t + l * 0.25)) * std::sin(k_pi * t);
        p.head_yaw = (f <= 271 ? 0.2 : -0.2) * std::sin(k_pi * t);
    }
    return p;
}

MeshBuilder boar_mesh(int bone) {
    MeshBuilder m;
    switch (bone) {
    case body:
        // Along z: from the chest (-z) to the rump; higher and deeper at the shoulders.
        m.tube({{-5.3, 0.4, 0.4},
                {-4.8, 1.6, 1.9},
                {-3.0, 2.1, 2.5},
                {0.0, 2.0, 2.2},
                {2.8, 1.9, 2.0},
                {4.6, 1.4, 1.5},
                {5.2, 0.5, 0.5}},
               12, k_body);
        m.transform(frame_rotation_x(k_pi / 2)); // the tube's axis from y to z
        break;
    case head:
        m.tube({{0.4, 1.3, 1.4},
                {-1.2, 1.15, 1.2},
                {-2.6, 0.75, 0.8},
                {-3.6, 0.55, 0.55},
                {-3.8, 0.5, 0.5}},
               10, k_head);
        m.transform(frame_rotation_x(k_pi / 2));
        // Ears and tusks.
        for (double side : {-1.0, 1.0}) {
            m.box({side * 0.7 - 0.25, -1.8, 0.2}, {side * 0.7 + 0.25, -0.9, 0.6}, k_head);
            m.box({side * 0.45 - 0.08, 0.1, -3.0}, {side * 0.45 + 0.08, 0.5, -2.7}, k_tusk);
        }
        break;
    case fl_up:
    case fr_up:
    case bl_up:
    case br_up:
        m.tube({{-0.4, 0.75, 0.9}, {1.2, 0.55, 0.6}, {k_upper, 0.35, 0.4}}, 8, k_leg);
        break;
    case fl_low:
    case fr_low:
    case bl_low:
    case br_low:
        m.tube({{-0.1, 0.35, 0.38}, {k_lower - 0.6, 0.28, 0.3}}, 8, k_leg, true);
        m.box({-0.33, k_lower - 0.6, -0.45}, {0.33, k_lower + 0.3, 0.35}, k_hoof);
        break;
    case tail:
        m.tube({{0, 0.15, 0.15}, {1.6, 0.08, 0.08}}, 5, k_tail);
        break;
    }
    return m;
}

} // namespace

std::vector<ModelPartSource> boar_model() {
    std::vector<std::vector<Matrix>> frames(boar_bone_count);
    for (int f = 0; f < k_boar_frames; ++f) {
        const auto g = solve(boar_pose(f));
        for (int b = 0; b < boar_bone_count; ++b)
            frames[static_cast<size_t>(b)].push_back(to_matrix(g[static_cast<size_t>(b)]));
    }
    std::vector<ModelPartSource> parts;
    for (int b = 0; b < boar_bone_count; ++b)
        parts.push_back(boar_mesh(b).finish(frames[static_cast<size_t>(b)]));
    return parts;
}

Canvas boar_texture() {
    Canvas c(256, 256, rgb8(80, 60, 44));
    // Bristly coat, darker along the back (the middle of the body region is its underside).
    c.fill(0, 0, 256, 96, rgb8(92, 70, 50), 0.12, 0.3, 301);
    for (int k = 0; k < 900; ++k) {
        SeqRandom r(3000 + static_cast<uint32_t>(k));
        const double x = r.uniform() * 256, y = r.uniform() * 96;
        c.line(x, y, x + r.range(-1, 1), y + r.range(3, 7), 1, rgb8(40, 30, 24), 0.6);
    }
    c.fill(96, 0, 160, 96, rgb8(118, 96, 74), 0.1, 0.2, 302); // lighter belly
    c.fill(0, 0, 24, 96, rgb8(52, 40, 30), 0.1, 0.2, 303);    // dark ridge along the back
    c.fill(232, 0, 256, 96, rgb8(52, 40, 30), 0.1, 0.2, 303);
    // Head: coat, then the snout with its pink disc at the far end (v = 1).
    c.fill(0, 96, 128, 192, rgb8(88, 66, 48), 0.12, 0.3, 304);
    c.fill(0, 160, 128, 192, rgb8(112, 88, 70), 0.08, 0.2, 305);
    c.fill(0, 184, 128, 192, rgb8(190, 130, 120), 0.05, 0, 306);
    for (double ex : {44.0, 84.0}) c.ellipse(ex, 140, 3, 2.5, rgb8(20, 14, 10), 0.6);
    c.fill(128, 96, 192, 192, rgb8(70, 54, 40), 0.12, 0.2, 307);
    c.fill(192, 96, 224, 128, rgb8(34, 28, 24), 0.05, 0, 308);
    c.fill(224, 96, 256, 128, rgb8(236, 228, 206), 0.03, 0, 309);
    c.fill(192, 128, 256, 192, rgb8(60, 46, 34), 0.1, 0.2, 310);
    return c;
}

std::vector<ModelPartSource> fly_model() {
    constexpr int frames = 8;
    std::vector<Matrix> body_frames, left, right;
    for (int f = 0; f < frames; ++f) {
        body_frames.push_back(to_matrix(Frame3{}));
        const double beat = 0.9 * std::sin(2 * k_pi * f / frames);
        Frame3 l = frame_rotation_z(-beat);
        l.t = {0.1, -0.15, 0};
        Frame3 r = frame_rotation_z(beat);
        r.t = {-0.1, -0.15, 0};
        left.push_back(to_matrix(l));
        right.push_back(to_matrix(r));
    }
    MeshBuilder b;
    b.ellipsoid({0, 0, 0}, {0.22, 0.2, 0.5}, 8, 6, UvRect{0, 0, 1, 1});
    b.ellipsoid({0, -0.02, -0.55}, {0.17, 0.16, 0.17}, 6, 4, UvRect{0, 0, 1, 1});
    MeshBuilder wl, wr;
    wl.box({0.0, -0.01, -0.2}, {0.9, 0.01, 0.25}, UvRect{0, 0, 1, 1});
    wr.box({-0.9, -0.01, -0.2}, {0.0, 0.01, 0.25}, UvRect{0, 0, 1, 1});
    return {b.finish(body_frames), wl.finish(left), wr.finish(right)};
}

std::vector<ModelPartSource> shade_model() {
    MeshBuilder m;
    // A thin disc, three units across, lying on the ground.
    m.tube({{-0.3, 1.5, 1.5}, {-0.25, 1.5, 1.5}}, 16, UvRect{0, 0, 1, 1});
    return {m.finish({to_matrix(Frame3{})})};
}
