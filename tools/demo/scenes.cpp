#include "tools/demo/scenes.h"

const std::vector<const SceneRecipe*>& demo_scenes() {
    static const std::vector<const SceneRecipe*> scenes = {
        &k_recipe_003, &k_recipe_004, &k_recipe_005, &k_recipe_006, &k_recipe_086};
    return scenes;
}
