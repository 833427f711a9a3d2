#include "scenes/scene_routines.h"

#include <array>

#include "app/game.h"
#include "scenes/scene_list.h"

namespace {

// One entry per scene number; scenes without content have none.
const std::array<SceneBranches, k_scene_count> k_scenes = [] {
    std::array<SceneBranches, k_scene_count> t{};
    t[3] = k_scene_003;
    t[4] = k_scene_004;
    t[5] = k_scene_005;
    t[6] = k_scene_006;
    t[86] = k_scene_086;
    return t;
}();

} // namespace

const SceneBranches* scene_branches(int scene) {
    if (!scene_in_range(scene)) return nullptr;
    const SceneBranches& b = k_scenes[size_t(scene)];
    return b.run_logic || b.load_assets || b.setup_characters ? &b : nullptr;
}

void load_scene_assets(Game& game) {
    const SceneBranches* b = scene_branches(game.story.current_scene);
    if (b && b->load_assets) b->load_assets(game);
}

void setup_scene_characters(Game& game) {
    const SceneBranches* b = scene_branches(game.story.current_scene);
    if (b && b->setup_characters) b->setup_characters(game);
}

void run_scene_logic(Game& game) {
    const SceneBranches* b = scene_branches(game.story.current_scene);
    if (b && b->run_logic) b->run_logic(game);
}
