// The scenes with content, one file each (scenes/scene_NNN.cpp), gathered into the scene table.
#pragma once

#include "scenes/scene_routines.h"

extern const SceneBranches k_scene_003;
extern const SceneBranches k_scene_004;
extern const SceneBranches k_scene_005;
extern const SceneBranches k_scene_006;
extern const SceneBranches k_scene_086;
