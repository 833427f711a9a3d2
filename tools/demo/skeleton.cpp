#include "tools/demo/skeleton.h"

#include <algorithm>
#include <cmath>

Frame3 rot_pitch(double a) {
    return frame_rotation_x(a);
}
Frame3 rot_yaw(double a) {
    return frame_rotation_y(-a);
}
Frame3 rot_roll(double a) {
    return frame_rotation_z(-a);
}

namespace {

// A frame whose local +y runs along `down_axis` and whose local -z leans towards `forward`.
Frame3 aim_frame(const V3d& origin, const V3d& down_axis, const V3d& forward) {
    const V3d y = normalized(down_axis);
    V3d z = -(forward - y * dot(forward, y));
    if (length(z) < 1e-9) z = {0, 0, 1};
    z = normalized(z);
    const V3d x = cross(y, z);
    Frame3 f;
    f.r[0] = x;
    f.r[1] = y;
    f.r[2] = z;
    f.t = origin;
    return f;
}

// Upper leg and lower leg frames that put the ankle on `target` (as near as the leg reaches),
// the knee bending towards `forward`.
void solve_leg(const BodyShape& body, const V3d& hip, const V3d& target, const V3d& forward,
               Frame3& thigh, Frame3& shin) {
    const double l1 = body.thigh, l2 = body.shin;
    V3d to = target - hip;
    double d = length(to);
    const double reach = l1 + l2 - 1e-4;
    const double least = std::fabs(l1 - l2) + 0.3;
    if (d < 1e-6) to = {0, 1, 0}, d = least;
    const V3d u = to / d;
    d = std::clamp(d, least, reach);
    const double cos_a = std::clamp((l1 * l1 + d * d - l2 * l2) / (2 * l1 * d), -1.0, 1.0);
    const double sin_a = std::sqrt(1 - cos_a * cos_a);
    V3d w = forward - u * dot(forward, u);
    if (length(w) < 1e-9) w = {0, 0, -1};
    w = normalized(w);
    const V3d knee = hip + u * (l1 * cos_a) + w * (l1 * sin_a);
    const V3d ankle = hip + u * d;
    thigh = aim_frame(hip, knee - hip, forward);
    shin = aim_frame(knee, ankle - knee, forward);
}

Frame3 arm_rotation(const ArmPose& a, bool left) {
    // Swing about x (forward is -z for a bone hanging along +y), spread about z away from the
    // body, twist about the bone.
    const Frame3 twist = frame_rotation_y(left ? a.twist : -a.twist);
    const Frame3 swing = frame_rotation_x(-a.swing);
    const Frame3 spread = frame_rotation_z(left ? -a.spread : a.spread);
    return compose(compose(twist, swing), spread);
}

} // namespace

Pose standing_pose(const BodyShape& body) {
    Pose p;
    p.root = {0, -body.hip_height, 0};
    for (int s = 0; s < 2; ++s) {
        const double side = s == 0 ? 1 : -1;
        p.leg[s].ankle = {side * body.hip_width * 1.05, -body.ankle_height, 0};
        p.arm[s].spread = 0.1;
        p.arm[s].bend = 0.12;
    }
    return p;
}

Pose blend(const Pose& a, const Pose& b, double t) {
    Pose p;
    auto m = [t](double x, double y) { return x + (y - x) * t; };
    p.root = lerp(a.root, b.root, t);
    p.pitch = m(a.pitch, b.pitch);
    p.yaw = m(a.yaw, b.yaw);
    p.roll = m(a.roll, b.roll);
    p.spine_pitch = m(a.spine_pitch, b.spine_pitch);
    p.spine_yaw = m(a.spine_yaw, b.spine_yaw);
    p.spine_roll = m(a.spine_roll, b.spine_roll);
    p.neck_pitch = m(a.neck_pitch, b.neck_pitch);
    p.neck_yaw = m(a.neck_yaw, b.neck_yaw);
    p.neck_roll = m(a.neck_roll, b.neck_roll);
    for (int s = 0; s < 2; ++s) {
        p.arm[s].swing = m(a.arm[s].swing, b.arm[s].swing);
        p.arm[s].spread = m(a.arm[s].spread, b.arm[s].spread);
        p.arm[s].twist = m(a.arm[s].twist, b.arm[s].twist);
        p.arm[s].bend = m(a.arm[s].bend, b.arm[s].bend);
        p.arm[s].wrist = m(a.arm[s].wrist, b.arm[s].wrist);
        p.leg[s].ankle = lerp(a.leg[s].ankle, b.leg[s].ankle, t);
        p.leg[s].foot_pitch = m(a.leg[s].foot_pitch, b.leg[s].foot_pitch);
        p.leg[s].foot_yaw = m(a.leg[s].foot_yaw, b.leg[s].foot_yaw);
        p.leg[s].knee_out = m(a.leg[s].knee_out, b.leg[s].knee_out);
    }
    return p;
}

std::array<Frame3, bone_count> solve_pose(const BodyShape& body, const Pose& pose) {
    std::array<Frame3, bone_count> g;
    // Pelvis: yaw, then pitch, then roll, at the root.
    Frame3 pelvis = compose(compose(rot_roll(pose.roll), rot_pitch(pose.pitch)), rot_yaw(pose.yaw));
    pelvis.t = pose.root;
    g[bone_pelvis] = pelvis;

    const Frame3 spine = compose(compose(rot_roll(pose.spine_roll), rot_pitch(pose.spine_pitch)),
                                 rot_yaw(pose.spine_yaw));
    g[bone_torso] = compose(compose(spine, frame_translation({0, -0.5, 0})), pelvis);

    const Frame3 neck = compose(compose(rot_roll(pose.neck_roll), rot_pitch(pose.neck_pitch)),
                                rot_yaw(pose.neck_yaw));
    g[bone_head] =
        compose(compose(neck, frame_translation({0, -body.torso_length, 0})), g[bone_torso]);

    for (int s = 0; s < 2; ++s) {
        const bool left = s == 0;
        const double side = left ? 1 : -1;
        const int upper = left ? bone_upper_arm_l : bone_upper_arm_r;
        const ArmPose& a = pose.arm[s];
        const V3d shoulder{side * body.shoulder_width, -body.torso_length + body.shoulder_drop, 0};
        g[static_cast<size_t>(upper)] =
            compose(compose(arm_rotation(a, left), frame_translation(shoulder)), g[bone_torso]);
        g[static_cast<size_t>(upper + 1)] =
            compose(compose(frame_rotation_x(-a.bend), frame_translation({0, body.upper_arm, 0})),
                    g[static_cast<size_t>(upper)]);
        g[static_cast<size_t>(upper + 2)] =
            compose(compose(frame_rotation_x(-a.wrist), frame_translation({0, body.forearm, 0})),
                    g[static_cast<size_t>(upper + 1)]);
    }

    // Legs: hips on the pelvis, knees bent towards where the pelvis faces.
    const V3d forward = normalized(pelvis.apply_dir({0, 0, -1}) * V3d{1, 0, 1});
    for (int s = 0; s < 2; ++s) {
        const bool left = s == 0;
        const double side = left ? 1 : -1;
        const int thigh = left ? bone_thigh_l : bone_thigh_r;
        const LegPose& l = pose.leg[s];
        const V3d hip = pelvis.apply({side * body.hip_width, 0.3, 0});
        const V3d outward = pelvis.apply_dir({side, 0, 0});
        Frame3 upper, lower;
        solve_leg(body, hip, l.ankle, normalized(forward + outward * l.knee_out), upper, lower);
        g[static_cast<size_t>(thigh)] = upper;
        g[static_cast<size_t>(thigh + 1)] = lower;
        // The foot: level (or pitched), turned with the pelvis.
        Frame3 foot = compose(rot_pitch(-l.foot_pitch), rot_yaw(pose.yaw + l.foot_yaw));
        foot.t = lower.apply({0, body.shin, 0});
        g[static_cast<size_t>(thigh + 2)] = foot;
    }
    return g;
}
