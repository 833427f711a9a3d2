#include "tools/demo/scenes.h"

const std::vector<const SceneRecipe*>& demo_scenes() {
    static const std::vector<const SceneRecipe*> scenes = {&k_scene_003, &k_scene_004, &k_scene_005,
                                                           &k_scene_006, &k_scene_086};
    return scenes;
}
