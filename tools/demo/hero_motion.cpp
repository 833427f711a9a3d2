#include "tools/demo/hero_motion.h"

#include <algorithm>
#include <cmath>

namespace {

double smooth(double t) {
    t = clamp01(t);
    return t * t * (3 - 2 * t);
}

double frac(double x) {
    return x - std::floor(x);
}

// Piecewise smooth interpolation through keyed poses at times 0..1.
Pose keyed(double t, const std::vector<std::pair<double, Pose>>& keys) {
    if (t <= keys.front().first) return keys.front().second;
    for (size_t i = 0; i + 1 < keys.size(); ++i)
        if (t <= keys[i + 1].first) {
            const double span = keys[i + 1].first - keys[i].first;
            return blend(keys[i].second, keys[i + 1].second, smooth((t - keys[i].first) / span));
        }
    return keys.back().second;
}

struct Motions {
    const BodyShape& body;

    Pose neutral() const { return standing_pose(body); }

    // The standing pose with a breath at phase t (0 and 1: neutral).
    Pose breathing(double t, double depth = 1) const {
        Pose p = neutral();
        const double b = std::sin(2 * k_pi * t) * depth;
        p.spine_pitch = -0.015 * b;
        p.neck_pitch = 0.01 * b;
        p.root.y -= 0.04 * (1 - std::cos(2 * k_pi * t)) * depth;
        for (int s = 0; s < 2; ++s) p.arm[s].spread += 0.015 * (1 - std::cos(2 * k_pi * t)) * depth;
        return p;
    }

    double foot_x(int s) const { return (s == 0 ? 1 : -1) * body.hip_width * 0.95; }

    // One leg of a cycle: `q` is the leg's own phase since its foot came down, the foot is on the
    // ground for the first `stance` of the cycle, moving back by `stride` (the ground passing
    // under the moving body), then swings forward, lifted by `lift`.
    void cycle_leg(Pose& p, int s, double q, double stance, double stride, double lift) const {
        LegPose& l = p.leg[s];
        const double ankle = -body.ankle_height;
        if (q < stance) {
            const double w = q / stance;
            l.ankle = {foot_x(s), ankle - 0.8 * smooth((w - 0.65) / 0.35),
                       -stride / 2 + stride * w};
            l.foot_pitch = 0.3 * (1 - smooth(w / 0.2)) - 0.6 * smooth((w - 0.6) / 0.4);
        } else {
            const double w = (q - stance) / (1 - stance);
            l.ankle = {foot_x(s), ankle - 0.8 * (1 - smooth(w / 0.3)) - lift * std::sin(k_pi * w),
                       stride / 2 - stride * smooth(w)};
            l.foot_pitch = -0.6 * (1 - smooth(w / 0.4)) + 0.3 * smooth((w - 0.6) / 0.4);
        }
    }

    // Walking (run = false) or running, at cycle phase `phase` (0: left foot comes down).
    Pose locomotion(double phase, bool run) const {
        Pose p = neutral();
        const double frames = run ? 20 : 30;
        const double speed = run ? k_run_speed : k_walk_speed;
        const double stance = run ? 0.36 : 0.56;
        const double stride = speed * frames * stance;
        const double reach = body.thigh + body.shin;
        // Low enough that the legs reach both ends of the stride.
        const double hip =
            std::sqrt(reach * reach * 0.985 - stride * stride / 4) + body.ankle_height;
        p.root.y = -(hip + 0.3) + (run ? 0.3 : 0.15) * std::cos(4 * k_pi * phase);
        if (run) p.root.y -= 0.5 * std::max(0.0, std::sin(2 * k_pi * frac(2 * phase + 0.1)));
        p.root.z = run ? -0.5 : -0.15;
        p.pitch = run ? 0.22 : 0.05;
        p.yaw = (run ? 0.12 : 0.08) * std::sin(2 * k_pi * phase);
        p.roll = 0.04 * std::sin(2 * k_pi * phase + k_pi / 2);
        p.spine_yaw = -p.yaw * 0.9;
        p.spine_pitch = run ? 0.1 : 0.02;
        p.neck_pitch = -p.pitch - p.spine_pitch + 0.05;
        for (int s = 0; s < 2; ++s) {
            const double q = frac(phase - (s == 0 ? 0 : 0.5));
            cycle_leg(p, s, q, stance, stride, run ? 2.2 : 1.1);
            // Arms swing against the legs.
            const double swing = std::cos(2 * k_pi * q) * (run ? 0.7 : 0.38);
            p.arm[s].swing = -swing + (run ? 0.2 : 0);
            p.arm[s].bend = run ? 1.5 + 0.3 * swing : 0.25 + 0.2 * std::max(0.0, -swing);
            p.arm[s].spread = run ? 0.18 : 0.1;
        }
        return p;
    }

    // The pelvis as high as the legs allow for feet at these places: a little below the
    // height at which the lower-lying foot would need a straight leg.
    void settle_pelvis(Pose& p) const {
        const double reach = (body.thigh + body.shin) * 0.97;
        double root = body.hip_height;
        for (int s = 0; s < 2; ++s) {
            const V3d a = p.leg[s].ankle;
            const double horizontal =
                std::hypot(a.x - p.root.x - (s == 0 ? 1 : -1) * body.hip_width, a.z - p.root.z);
            const double up = std::sqrt(std::max(0.0, reach * reach - horizontal * horizontal));
            root = std::min(root, -a.y + up + 0.3);
        }
        p.root.y = -root;
    }
};

// A whole climb up or down a stair of `steps` steps, frame by frame, as the game moves the
// character: each frame of a stair state moves it by that state's move and rise words, and
// the feet land on the treads (tread_depth deep, rise high) at the frames where the footstep
// sounds are. Feet are planted while on a tread and swing between treads.
struct StairClimb {
    struct Landing {
        double frame;
        int foot;
        double along, height; // climb coordinates: distance from the start, height (up +)
    };
    std::vector<double> along, height; // the character's origin per frame
    std::vector<Landing> landings;
    int frames = 0;

    StairClimb(bool up, int steps) {
        // Per-frame movement of the states, from the set-up's move and rise words.
        struct Phase {
            int frames;
            double move, rise;
        };
        std::vector<Phase> phases;
        const int half = steps / 2;
        const bool odd = steps % 2 != 0;
        const int loops = odd ? half : half - 1;
        if (up) {
            phases.push_back({8, 0.1654, 0}); // start of the climb
            for (int k = 0; k < loops; ++k) phases.push_back({25, 0.24, 0.16});
            phases.push_back({odd ? 15 : 26, 0.24, 0.155}); // the end
        } else {
            phases.push_back({9 + 25 * loops, 0.24, -0.16});
            phases.push_back({odd ? 12 : 24, 0.2, -0.1});
        }
        double d = 0, h = 0;
        for (const Phase& ph : phases)
            for (int f = 0; f < ph.frames; ++f) {
                along.push_back(d);
                height.push_back(h);
                d += ph.move;
                h += ph.rise;
            }
        along.push_back(d);
        height.push_back(h);
        frames = static_cast<int>(along.size()) - 1;
        // The foot that does not step first starts where the repeated steps would have put it,
        // so that the cycle that follows joins up with the start.
        const double first_lead = up ? 1.8 : 1.2;
        const double first_frame = up ? 8 : 9;
        landings.push_back(
            {-1, 1, along[static_cast<size_t>(first_frame)] + first_lead - k_stair_tread, 0});
        // Landings: up, the first foot on the first tread at frame 8, then one foot per 12.5
        // frames, each 1.8 ahead of the origin and one rise above it; down, from frame 9, each
        // 1.2 ahead and 0.56 below. The last landing brings the other foot alongside.
        const double first = up ? 8 : 9;
        const int climbing_landings = up ? 1 + 2 * loops : 1 + 2 * loops + 1;
        for (int j = 0; j < climbing_landings; ++j) {
            const double f = first + 12.5 * j;
            const int fi = std::min(static_cast<int>(f), frames);
            const double lead = up ? 1.8 : 1.2;
            const double tread = up ? (j + 1) * k_stair_rise : -(j + 1) * k_stair_rise;
            landings.push_back(
                {f, j % 2, along[static_cast<size_t>(fi)] + lead + (f - fi) * 0.24, tread});
        }
        const Landing last = landings.back();
        const double end = frames - 2;
        if (up && !odd) {
            // Two steps in the end state: the other foot to the top, then this one beside it.
            const double f = first + 12.5 * climbing_landings;
            landings.push_back({f, 1 - last.foot, last.along + 3, last.height + k_stair_rise});
            landings.push_back({end, last.foot, last.along + 3, last.height + k_stair_rise});
        } else if (!up && !odd) {
            const double f = first + 12.5 * climbing_landings;
            landings.push_back({f, 1 - last.foot, last.along + 3, last.height - k_stair_rise});
            landings.push_back({end, last.foot, last.along + 3, last.height - k_stair_rise});
        } else {
            landings.push_back({end, 1 - last.foot, last.along, last.height});
        }
    }

    // Where foot `s` is at frame f (climb coordinates) and how far into a swing it is.
    void foot(int s, double f, double& a, double& h, double& swing) const {
        a = 0, h = 0, swing = 0;
        double planted_a = 0, planted_h = 0, planted_at = -1e9; // both feet start at the start
        for (const Landing& l : landings) {
            if (l.foot != s) continue;
            if (l.frame <= f) {
                planted_a = l.along, planted_h = l.height, planted_at = l.frame;
                continue;
            }
            // The next landing of this foot: it swings for the 10 frames before it.
            const double lift_off = std::max(planted_at, l.frame - 10.0);
            if (f > lift_off) {
                const double t = (f - lift_off) / (l.frame - lift_off);
                swing = t;
                const double e = t * t * (3 - 2 * t);
                a = planted_a + (l.along - planted_a) * e;
                h = planted_h + (l.height - planted_h) * e;
                return;
            }
            break;
        }
        a = planted_a, h = planted_h;
    }
};

Pose stair_pose(const Motions& m, const StairClimb& climb, double f, bool up) {
    Pose p = m.neutral();
    const int fi = std::clamp(static_cast<int>(f), 0, climb.frames);
    const double origin_a = climb.along[static_cast<size_t>(fi)];
    const double origin_h = climb.height[static_cast<size_t>(fi)];
    for (int s = 0; s < 2; ++s) {
        double a, h, swing;
        climb.foot(s, f, a, h, swing);
        LegPose& l = p.leg[s];
        const double lift = (up ? 0.9 : 0.7) * std::sin(k_pi * swing);
        l.ankle = {m.foot_x(s), -m.body.ankle_height - (h - origin_h) - lift, -(a - origin_a)};
        l.foot_pitch = (up ? 0.15 : -0.3) * std::sin(k_pi * swing);
        p.arm[s].swing = 0.25 * std::sin(k_pi * (f / 12.5 - s));
        p.arm[s].bend = 0.35;
    }
    p.pitch = up ? 0.16 : -0.02;
    p.spine_pitch = up ? 0.05 : 0.06;
    p.neck_pitch = up ? -0.1 : 0.08;
    m.settle_pelvis(p);
    return p;
}

Pose with_arm(Pose p, int s, double swing, double spread, double bend, double twist = 0,
              double wrist = 0) {
    p.arm[s].swing = swing;
    p.arm[s].spread = spread;
    p.arm[s].bend = bend;
    p.arm[s].twist = twist;
    p.arm[s].wrist = wrist;
    return p;
}

// Crouch: lower the pelvis and put the feet a little apart.
Pose crouched(const Motions& m, double depth, double lean) {
    Pose p = m.neutral();
    p.root.y += depth;
    p.root.z += depth * 0.25;
    p.pitch = lean;
    for (int s = 0; s < 2; ++s) p.leg[s].ankle.z = -0.4;
    return p;
}

// Kneeling on the right knee, the left foot planted in front.
Pose kneeling(const Motions& m) {
    Pose p = m.neutral();
    const BodyShape& b = m.body;
    p.root.y = -(b.shin + 0.9);
    p.root.z = 0.6;
    p.pitch = 0.1;
    p.spine_pitch = 0.05;
    p.leg[0].ankle = {m.foot_x(0), -b.ankle_height, -2.6};
    p.leg[1].ankle = {m.foot_x(1), -1.0, b.shin * 0.95};
    p.leg[1].foot_pitch = -1.3;
    p.arm[0] = {0.5, 0.2, 0, 1.2, 0};
    p.arm[1] = {0.1, 0.12, 0, 0.3, 0};
    return p;
}

} // namespace

HeroAnimation tovi_animation() {
    HeroAnimation a;
    a.frame_count = 2029;
    a.clips = {
        {8, 0, 38, Motion::walk, 8},
        {20, 126, 236, Motion::pick_up},
        {21, 237, 311, Motion::use},
        // A timed action of the scene code plays 312..458 as one take; state 22 plays its end
        // from 323.
        {-1, 312, 458, Motion::take},
        {1, 459, 533, Motion::fidget_look},
        {2, 534, 672, Motion::fidget_scratch},
        {3, 673, 747, Motion::fidget_stretch},
        {0, 748, 783, Motion::rest, 748},
        {10, 784, 804, Motion::turn_right},
        {9, 804, 824, Motion::turn_left},
        {17, 845, 853, Motion::stair_up_start},
        {11, 854, 879, Motion::stair_up, 854},
        {13, 904, 918, Motion::stair_up_end1},
        {12, 919, 953, Motion::stair_down, 928},
        {15, 960, 971, Motion::stair_down_end1},
        {16, 980, 1003, Motion::stair_down_end2},
        {32, 1063, 1165, Motion::talk_long},
        {33, 1168, 1218, Motion::talk_nod},
        {34, 1218, 1267, Motion::talk_point},
        {14, 1269, 1294, Motion::stair_up_end2},
        {35, 1296, 1412, Motion::kneel_down},
        {40, 1413, 1468, Motion::kneel_hold, 1413},
        {45, 1469, 1521, Motion::kneel_look},
        {46, 1522, 1571, Motion::kneel_search},
        {36, 1572, 1670, Motion::stand_up},
        {47, 1672, 1731, Motion::kneel_reach},
        {48, 1732, 1795, Motion::kneel_dig},
        {49, 1795, 1859, Motion::kneel_wave},
        {23, 1873, 1951, Motion::push},
        {24, 1952, 1997, Motion::throw_high},
        {18, 1999, 2028, Motion::run, 2008},
    };
    return a;
}

HeroAnimation brask_animation() {
    HeroAnimation a;
    a.frame_count = 2029;
    a.clips = {
        {8, 0, 38, Motion::walk, 8},
        {9, 46, 59, Motion::turn_left},
        {10, 59, 76, Motion::turn_right},
        {0, 172, 214, Motion::rest, 172},
        {1, 215, 300, Motion::fidget_look},
        {2, 301, 380, Motion::fidget_scratch},
        {3, 381, 460, Motion::fidget_stretch},
        {20, 461, 570, Motion::pick_up},
        {21, 571, 645, Motion::use},
        {22, 646, 766, Motion::take},
        {18, 767, 796, Motion::run, 776},
        {17, 808, 816, Motion::stair_up_start},
        {11, 817, 842, Motion::stair_up, 817},
        {13, 866, 880, Motion::stair_up_end1},
        {14, 884, 909, Motion::stair_up_end2},
        {12, 912, 946, Motion::stair_down, 921},
        {15, 950, 961, Motion::stair_down_end1},
        {16, 965, 988, Motion::stair_down_end2},
        {32, 1000, 1100, Motion::talk_long},
        {33, 1101, 1150, Motion::talk_nod},
        {34, 1151, 1200, Motion::talk_point},
        {35, 1201, 1310, Motion::kneel_down},
        {36, 1311, 1400, Motion::stand_up},
        {40, 1401, 1456, Motion::kneel_hold, 1401},
        {45, 1457, 1510, Motion::kneel_look},
        {48, 1511, 1575, Motion::kneel_dig},
        {25, 1576, 1650, Motion::push},
        {26, 1651, 1720, Motion::throw_high},
        {27, 1721, 1800, Motion::lift},
        {23, 1801, 1880, Motion::strike},
    };
    return a;
}

HeroAnimation choice_animation() {
    HeroAnimation a;
    a.frame_count = 501;
    a.clips = {
        {0, 0, 55, Motion::choice_rest, 0}, {3, 56, 261, Motion::choice_gesture},
        {4, 262, 390, Motion::choice_step}, {12, 391, 411, Motion::choice_back},
        {1, 412, 500, Motion::choice_idle},
    };
    return a;
}

namespace {

Pose clip_pose(const Motions& m, const Clip& c, int frame) {
    const double span = std::max(1, c.last - c.first);
    const double t = (frame - c.first) / span;
    const Pose n = m.neutral();
    switch (c.motion) {
    case Motion::rest:
    case Motion::choice_rest:
        return m.breathing(t, c.motion == Motion::choice_rest ? 1.3 : 1);
    case Motion::walk:
    case Motion::run: {
        const bool run = c.motion == Motion::run;
        const double cycle = run ? 20 : 30;
        // From the loop frame on the cycle runs; before it the body sets off from standing.
        // The left foot comes down two frames into the cycle.
        const double phase = frac((frame - c.loop_to - 2) / cycle);
        const Pose moving = m.locomotion(phase, run);
        if (frame >= c.loop_to) return moving;
        return blend(n, moving, smooth((frame - c.first) / double(c.loop_to - c.first)));
    }
    case Motion::turn_left:
    case Motion::turn_right: {
        // Two small steps on the spot; the heading itself turns the body.
        const double sign = c.motion == Motion::turn_left ? 1 : -1;
        Pose p = n;
        for (int s = 0; s < 2; ++s) {
            const double w = clamp01(t * 2 - s);
            p.leg[s].ankle.y -= 0.9 * std::sin(k_pi * w);
            p.leg[s].foot_yaw = sign * 0.25 * std::sin(k_pi * w);
        }
        p.yaw = sign * 0.12 * std::sin(k_pi * t);
        p.neck_yaw = sign * 0.25 * std::sin(k_pi * t);
        return p;
    }
    case Motion::stair_up_start:
    case Motion::stair_up:
    case Motion::stair_up_end1:
    case Motion::stair_up_end2:
    case Motion::stair_down:
    case Motion::stair_down_end1:
    case Motion::stair_down_end2: {
        // Each clip is a stretch of a whole climb of three (odd) or four (even) steps: the
        // start, one cycle of the repeated steps, and the ends.
        const bool up = c.motion <= Motion::stair_up_end2;
        const bool even = c.motion == Motion::stair_up_end2 || c.motion == Motion::stair_down_end2;
        const StairClimb climb(up, even ? 4 : 3);
        double offset = 0;
        switch (c.motion) {
        case Motion::stair_up_start:
            offset = 0;
            break;
        case Motion::stair_up:
            offset = 8;
            break;
        case Motion::stair_down:
            offset = 0;
            break;
        default:
            offset = climb.frames - span;
            break; // the ends close their climbs
        }
        Pose p = stair_pose(m, climb, offset + (frame - c.first), up);
        // The clip's first frame of the start and its last frame of the ends meet the standing
        // pose.
        if (c.motion == Motion::stair_up_start) return blend(n, p, smooth(t * 3));
        if (c.motion != Motion::stair_up && c.motion != Motion::stair_down)
            return blend(p, n, smooth((t - 0.8) * 5));
        if (c.motion == Motion::stair_down) return blend(n, p, smooth(t * 6));
        return p;
    }
    case Motion::fidget_look: {
        Pose l = n, r = n;
        l.neck_yaw = 0.7, l.spine_yaw = 0.15, l.neck_pitch = -0.05;
        r.neck_yaw = -0.7, r.spine_yaw = -0.15;
        return keyed(t, {{0, n}, {0.2, l}, {0.4, l}, {0.6, r}, {0.8, r}, {1, n}});
    }
    case Motion::fidget_scratch: {
        Pose up = with_arm(n, 1, 2.2, 0.5, 2.2, 0.3, 0.3);
        up.neck_pitch = 0.15, up.neck_roll = 0.15;
        Pose up2 = up;
        up2.arm[1].bend = 2.0;
        up2.arm[1].wrist = 0.6;
        return keyed(t, {{0, n},
                         {0.15, up},
                         {0.25, up2},
                         {0.35, up},
                         {0.45, up2},
                         {0.55, up},
                         {0.65, up2},
                         {0.8, up},
                         {1, n}});
    }
    case Motion::fidget_stretch: {
        Pose s = with_arm(with_arm(n, 0, 2.9, 0.35, 0.3), 1, 2.9, 0.35, 0.3);
        s.spine_pitch = -0.15;
        s.neck_pitch = -0.3;
        s.root.y -= 0.2;
        Pose shift = n;
        shift.root.x = 0.35;
        shift.roll = 0.06;
        return keyed(t, {{0, n}, {0.25, s}, {0.45, s}, {0.65, n}, {0.8, shift}, {1, n}});
    }
    case Motion::pick_up: {
        Pose down = crouched(m, 3.2, 0.75);
        down.spine_pitch = 0.45;
        down.neck_pitch = -0.5;
        down = with_arm(down, 1, 0.9, 0.15, 0.2, 0, 0.3);
        Pose up = with_arm(n, 1, 0.6, 0.1, 1.7);
        up.neck_pitch = 0.25;
        return keyed(t, {{0, n}, {0.3, down}, {0.45, down}, {0.7, up}, {0.85, up}, {1, n}});
    }
    case Motion::use: {
        Pose reach = with_arm(n, 1, 1.3, 0.1, 0.5, 0.2);
        reach.spine_pitch = 0.15;
        reach.neck_pitch = 0.2;
        Pose turn = reach;
        turn.arm[1].twist = 0.9;
        turn.arm[1].wrist = 0.5;
        return keyed(t, {{0, n}, {0.25, reach}, {0.45, turn}, {0.6, reach}, {0.75, turn}, {1, n}});
    }
    case Motion::take: {
        Pose reach = with_arm(crouched(m, 1.2, 0.35), 1, 1.2, 0.05, 0.35, 0, 0.2);
        reach.neck_pitch = 0.3;
        Pose hold = with_arm(n, 1, 0.7, 0.1, 1.9);
        hold.neck_pitch = 0.3;
        Pose stow = with_arm(n, 1, -0.1, 0.35, 1.2, 0.6);
        return keyed(t, {{0, n}, {0.35, reach}, {0.48, reach}, {0.65, hold}, {0.85, stow}, {1, n}});
    }
    case Motion::push: {
        Pose lean = with_arm(with_arm(n, 0, 1.45, 0.1, 0.6), 1, 1.45, 0.1, 0.6);
        lean.pitch = 0.2;
        lean.leg[0].ankle.z = -2.5;
        lean.leg[1].ankle.z = 1.5;
        Pose push = lean;
        push.arm[0].bend = push.arm[1].bend = 0.1;
        push.root.z -= 0.8;
        return keyed(t, {{0, n}, {0.25, lean}, {0.45, push}, {0.55, lean}, {0.7, push}, {1, n}});
    }
    case Motion::throw_high: {
        Pose wind = with_arm(n, 1, -0.6, 0.3, 1.2);
        wind.spine_yaw = -0.3;
        Pose out = with_arm(n, 1, 2.6, 0.2, 0.1);
        out.spine_yaw = 0.2;
        out.neck_pitch = -0.4;
        return keyed(t, {{0, n}, {0.35, wind}, {0.55, out}, {0.7, out}, {1, n}});
    }
    case Motion::lift: {
        Pose down = with_arm(with_arm(crouched(m, 3.0, 0.5), 0, 0.9, 0.3, 0.3), 1, 0.9, 0.3, 0.3);
        Pose up = with_arm(with_arm(n, 0, 1.0, 0.3, 1.5), 1, 1.0, 0.3, 1.5);
        up.spine_pitch = -0.1;
        return keyed(t, {{0, n}, {0.3, down}, {0.45, down}, {0.7, up}, {0.85, up}, {1, n}});
    }
    case Motion::strike: {
        Pose raise = with_arm(with_arm(n, 0, 2.9, 0.0, 0.5), 1, 2.9, 0.0, 0.5);
        raise.spine_pitch = -0.15;
        Pose hit = with_arm(with_arm(crouched(m, 1.0, 0.4), 0, 0.8, 0.0, 0.1), 1, 0.8, 0.0, 0.1);
        return keyed(t, {{0, n}, {0.35, raise}, {0.5, hit}, {0.65, hit}, {1, n}});
    }
    case Motion::talk_long: {
        Pose a = with_arm(with_arm(n, 0, 0.8, 0.4, 1.3, 0.5), 1, 0.5, 0.3, 1.0);
        Pose b = with_arm(with_arm(n, 0, 0.4, 0.3, 1.0), 1, 0.9, 0.5, 1.4, 0.5);
        a.neck_yaw = 0.15, b.neck_yaw = -0.15;
        a.neck_pitch = 0.08;
        return keyed(t, {{0, n}, {0.15, a}, {0.3, b}, {0.45, a}, {0.6, b}, {0.75, a}, {1, n}});
    }
    case Motion::talk_nod: {
        Pose nod = n;
        nod.neck_pitch = 0.3;
        Pose shrug = with_arm(with_arm(n, 0, 0.3, 0.5, 1.4, 0.8), 1, 0.3, 0.5, 1.4, 0.8);
        shrug.root.y -= 0.2;
        shrug.neck_roll = 0.15;
        return keyed(t, {{0, n}, {0.2, nod}, {0.35, n}, {0.5, nod}, {0.75, shrug}, {1, n}});
    }
    case Motion::talk_point: {
        Pose point = with_arm(n, 1, 1.5, 0.25, 0.05, 0, -0.2);
        point.spine_yaw = -0.15;
        point.neck_yaw = -0.2;
        return keyed(t, {{0, n}, {0.25, point}, {0.75, point}, {1, n}});
    }
    case Motion::kneel_down:
        return keyed(t,
                     {{0, n}, {0.35, crouched(m, 2.5, 0.4)}, {0.7, kneeling(m)}, {1, kneeling(m)}});
    case Motion::stand_up:
        return keyed(t,
                     {{0, kneeling(m)}, {0.3, kneeling(m)}, {0.65, crouched(m, 2.5, 0.4)}, {1, n}});
    case Motion::kneel_hold: {
        Pose p = kneeling(m);
        p.spine_pitch += 0.02 * std::sin(2 * k_pi * t);
        p.root.y -= 0.05 * (1 - std::cos(2 * k_pi * t));
        return p;
    }
    case Motion::kneel_look: {
        const Pose k = kneeling(m);
        Pose l = k, r = k;
        l.neck_yaw = 0.6, r.neck_yaw = -0.6;
        return keyed(t, {{0, k}, {0.3, l}, {0.6, r}, {1, k}});
    }
    case Motion::kneel_search:
    case Motion::kneel_dig: {
        const Pose k = kneeling(m);
        Pose a = with_arm(k, 1, 0.9, 0.1, 0.3, 0, 0.4);
        a.spine_pitch = 0.4;
        a.neck_pitch = 0.3;
        Pose b = a;
        b.arm[1].swing = 0.5;
        b.arm[1].bend = 0.8;
        return keyed(t, {{0, k}, {0.2, a}, {0.35, b}, {0.5, a}, {0.65, b}, {0.8, a}, {1, k}});
    }
    case Motion::kneel_reach: {
        const Pose k = kneeling(m);
        Pose a = with_arm(k, 1, 1.4, 0.1, 0.1);
        a.spine_pitch = 0.3;
        return keyed(t, {{0, k}, {0.4, a}, {0.6, a}, {1, k}});
    }
    case Motion::kneel_wave: {
        const Pose k = kneeling(m);
        Pose a = with_arm(k, 1, 2.5, 0.6, 0.6, 0, 0);
        Pose b = a;
        b.arm[1].spread = 0.3;
        return keyed(t, {{0, k}, {0.2, a}, {0.35, b}, {0.5, a}, {0.65, b}, {0.8, a}, {1, k}});
    }
    case Motion::choice_gesture: {
        // Conjure (reach out), catch the cube at 75, juggle it over the head, throw at 141,
        // then a bow.
        auto at = [&](int f) { return (f - c.first) / span; };
        Pose reach = with_arm(n, 1, 1.3, 0.5, 0.2, 0.5, -0.3);
        reach.spine_yaw = -0.2;
        Pose caught = with_arm(n, 1, 2.2, 0.3, 1.0);
        caught.neck_pitch = -0.25;
        Pose high = with_arm(with_arm(n, 0, 2.7, 0.5, 0.6), 1, 2.9, -0.1, 0.5);
        high.neck_pitch = -0.5;
        high.spine_pitch = -0.1;
        Pose thrown = with_arm(with_arm(n, 0, 2.3, 0.7, 0.3), 1, 2.6, 0.3, 0.2);
        thrown.neck_pitch = -0.2;
        Pose bow = with_arm(with_arm(n, 0, 0.5, 0.5, 1.6), 1, -0.3, 0.4, 0.6);
        bow.pitch = 0.15;
        bow.spine_pitch = 0.45;
        bow.neck_pitch = 0.2;
        bow.leg[1].ankle.z = 1.6;
        return keyed(t, {{0, n},
                         {at(70), reach},
                         {at(k_cube_caught), caught},
                         {at(100), high},
                         {at(120), caught},
                         {at(k_cube_thrown), high},
                         {at(160), thrown},
                         {at(190), n},
                         {at(215), bow},
                         {at(235), bow},
                         {1, n}});
    }
    case Motion::choice_step: {
        // Step forward (262..284), hold proudly (to 327), flourish (to 390) back to the hold.
        Pose forward = n;
        forward.root.z = -2.5;
        for (int s = 0; s < 2; ++s) forward.leg[s].ankle.z = -2.5;
        Pose hold = forward;
        hold.arm[0] = {0.2, 0.55, 0.6, 1.9, 0};
        hold.arm[1] = {0.2, 0.55, 0.6, 1.9, 0};
        hold.spine_pitch = -0.08;
        hold.neck_pitch = -0.12;
        Pose mid = blend(n, forward, 0.5);
        mid.leg[0].ankle = {m.foot_x(0), -m.body.ankle_height - 1.2, -2.5};
        Pose flourish = with_arm(forward, 1, 2.7, 0.8, 0.3);
        flourish.neck_yaw = -0.3;
        auto at = [&](int f) { return (f - c.first) / span; };
        if (frame <= 284) return keyed(t, {{0, n}, {at(273), mid}, {at(284), hold}});
        if (frame <= 327) {
            Pose p = hold;
            p.spine_pitch += 0.02 * std::sin(2 * k_pi * (frame - 284) / 43.0);
            return p;
        }
        return keyed(t, {{at(327), hold}, {at(345), flourish}, {at(365), flourish}, {1, hold}});
    }
    case Motion::choice_back: {
        Pose hold = n;
        hold.root.z = -2.5;
        for (int s = 0; s < 2; ++s) hold.leg[s].ankle.z = -2.5;
        hold.arm[0] = {0.2, 0.55, 0.6, 1.9, 0};
        hold.arm[1] = {0.2, 0.55, 0.6, 1.9, 0};
        Pose mid = blend(hold, n, 0.5);
        mid.leg[1].ankle.y -= 1.2;
        return keyed(t, {{0, hold}, {0.5, mid}, {1, n}});
    }
    case Motion::choice_idle: {
        Pose l = n, r = n;
        l.neck_yaw = 0.5, l.spine_yaw = 0.1;
        r.neck_yaw = -0.5, r.spine_yaw = -0.1;
        Pose hip = n;
        hip.arm[0] = {0.1, 0.5, 0.3, 1.8, 0};
        hip.root.x = 0.3;
        return keyed(t, {{0, n}, {0.2, l}, {0.4, l}, {0.55, hip}, {0.7, r}, {0.85, r}, {1, n}});
    }
    }
    return n;
}

} // namespace

PoseTrack hero_track(const HeroLook& look, const HeroAnimation& animation) {
    return [body = look.body, clips = animation.clips](int frame) {
        const Motions m{body};
        // A frame shared by two clips is the end of one and the start of the next; both are
        // the neutral pose, so either serves.
        for (const Clip& c : clips)
            if (frame >= c.first && frame <= c.last) return clip_pose(m, c, frame);
        return m.neutral();
    };
}

Frame3 cube_in_hand(int frame, const std::array<Frame3, bone_count>& bones) {
    // The cube rides just beyond the right hand's palm, spinning slowly, and at the throw it
    // is above the head, on the model's vertical axis, where the flight takes over.
    const Frame3& hand = bones[bone_hand_r];
    const V3d palm = hand.apply({0, 1.9, -0.2});
    const double spin = 0.12 * (frame - k_cube_caught);
    const double to_axis = smooth((frame - 125) / double(k_cube_thrown - 125));
    const V3d above_head{0, -20.5, 0};
    Frame3 f = rot_yaw(spin);
    f.t = lerp(palm, above_head, to_axis);
    return f;
}

Frame3 cube_flight(int frame) {
    // Thrown up from above the head, it falls four and a half units in front of the thrower
    // (along the heading, towards the rival), bounces once and settles.
    const double h = k_cube_size / 2;
    // The held cube turns with the model, which the two choice models turn differently; this
    // starts the flight halfway between their two quarter-turn remainders.
    const double quarter = k_pi / 2;
    const double remainder_t =
        k_choice_turn_tovi - quarter * std::floor(k_choice_turn_tovi / quarter);
    const double remainder_b =
        k_choice_turn_brask - quarter * std::floor(k_choice_turn_brask / quarter);
    const double spin0 = 0.12 * (k_cube_thrown - k_cube_caught) + (remainder_t + remainder_b) / 2;
    const V3d start{0, -20.5, 0}, rest{0, -h, -4.5};
    Frame3 f;
    if (frame <= k_cube_thrown) {
        f = rot_yaw(spin0);
        f.t = start;
        return f;
    }
    if (frame >= k_cube_rests) {
        f = rot_yaw(spin0 + 3.0);
        f.t = rest;
        return f;
    }
    const double land = 181, bounce_end = 191;
    V3d p;
    double spin;
    if (frame <= land) {
        const double t = (frame - k_cube_thrown) / (land - k_cube_thrown);
        p = lerp(start, rest, t);
        p.y -= 9.0 * std::sin(k_pi * t) * (1 - t * 0.3); // the arc of the throw
        spin = spin0 + 2.6 * t;
    } else if (frame <= bounce_end) {
        const double t = (frame - land) / (bounce_end - land);
        p = rest + V3d{0, -1.2 * std::sin(k_pi * t), -0.6 * t};
        spin = spin0 + 2.6 + 0.3 * t;
    } else {
        const double t = (frame - bounce_end) / (k_cube_rests - bounce_end);
        p = lerp(rest + V3d{0, 0, -0.6}, rest, smooth(t));
        spin = spin0 + 2.9 + 0.1 * t;
    }
    f = rot_yaw(spin);
    f.t = p;
    return f;
}
