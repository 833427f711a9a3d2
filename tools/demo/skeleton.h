// A character's skeleton and poses: fifteen bones (pelvis, torso, head, both arms in three
// parts, both legs in three parts), joint angles for the upper body and ankle targets for the
// legs, which are bent to reach them. A pose gives every bone's placement in model space, which
// is the frame matrix of the part that bone carries.
//
// Model space: feet on y = 0, y grows downwards, the character faces -z, its left is +x.
#pragma once

#include <array>

#include "tools/demo/vec.h"

enum BoneId : int {
    bone_pelvis,
    bone_torso,
    bone_head,
    bone_upper_arm_l,
    bone_forearm_l,
    bone_hand_l,
    bone_upper_arm_r,
    bone_forearm_r,
    bone_hand_r,
    bone_thigh_l,
    bone_shin_l,
    bone_foot_l,
    bone_thigh_r,
    bone_shin_r,
    bone_foot_r,
    bone_count
};

// Lengths of a body, world units (a hero is about 17.5 tall).
struct BodyShape {
    double hip_height = 9.15;    // the pelvis joint above the ground, standing straight
    double torso_length = 5.6;   // lower spine to the base of the neck
    double shoulder_width = 2.1; // half the distance between the shoulder joints
    double shoulder_drop = 0.5;  // shoulders below the neck base
    double hip_width = 0.95;     // half the distance between the hip joints
    double upper_arm = 3.0, forearm = 2.6, hand = 1.4;
    double thigh = 4.3, shin = 4.15;
    double ankle_height = 0.55; // ankle above the sole
};

// Angles are radians. Positive values: pitch bends forward, yaw turns to the character's left,
// roll tilts to its left; for arms, swing raises the arm forward, spread lifts it sideways and
// twist turns it about its own length; bend folds the elbow (or wrist) forwards.
struct ArmPose {
    double swing = 0, spread = 0.12, twist = 0;
    double bend = 0.15;
    double wrist = 0;
};

struct LegPose {
    V3d ankle;             // ankle target in model space
    double foot_pitch = 0; // toe up positive
    double foot_yaw = 0;   // in addition to the pelvis yaw
    double knee_out = 0.1; // how much the knee points outwards
};

struct Pose {
    V3d root;                            // the pelvis joint (between the hips), model space
    double pitch = 0, yaw = 0, roll = 0; // pelvis
    double spine_pitch = 0, spine_yaw = 0, spine_roll = 0;
    double neck_pitch = 0, neck_yaw = 0, neck_roll = 0;
    ArmPose arm[2]; // 0 left, 1 right
    LegPose leg[2];
};

// The standing pose of a body: straight legs, feet under the hips, arms hanging.
Pose standing_pose(const BodyShape& body);

// Componentwise blend of two poses.
Pose blend(const Pose& a, const Pose& b, double t);

// Placement of every bone for a pose (each bone's origin is its joint).
std::array<Frame3, bone_count> solve_pose(const BodyShape& body, const Pose& pose);

// Rotation helpers in the engine's convention.
Frame3 rot_pitch(double a); // forward bend of an upward bone (about x)
Frame3 rot_yaw(double a);   // turn to the left (about y)
Frame3 rot_roll(double a);  // tilt to the left (about z)
