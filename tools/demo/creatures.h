// The smaller models of the demo: the boar of the forest clearing (a quadruped with a walking
// set-up), the fly of the flying-object effect, and the flat shadow disc.
#pragma once

#include <vector>

#include "resources/model.h"
#include "tools/demo/painter.h"

// The boar's frames: walk 0..38 (cycle from 8, hooves heard at 12 and 22), rest 40..100
// (snorts at 45 and 57), rooting 130..190 (grunts at 137 and 149), looking up 191..250, turns
// 251..271 (heading increasing) and 271..291 (decreasing).
inline constexpr int k_boar_frames = 292;
std::vector<ModelPartSource> boar_model();
Canvas boar_texture();

// A fly: body and two wings beating over 8 frames.
std::vector<ModelPartSource> fly_model();
// A flat dark disc lying on the ground under a character.
std::vector<ModelPartSource> shade_model();
