#include "tools/demo/scenes.h"

const std::vector<const SceneRecipe*>& demo_scenes() {
    static const std::vector<const SceneRecipe*> scenes = {&k_scene_004};
    return scenes;
}
