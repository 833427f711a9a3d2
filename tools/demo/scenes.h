// The demo's pre-rendered scenes, one authoring file each.
#pragma once

#include <vector>

#include "tools/demo/demo_scene.h"

extern const SceneRecipe k_recipe_003;
extern const SceneRecipe k_recipe_004;
extern const SceneRecipe k_recipe_005;
extern const SceneRecipe k_recipe_006;
extern const SceneRecipe k_recipe_086;

// Every scene of the demo, in scene-number order.
const std::vector<const SceneRecipe*>& demo_scenes();
