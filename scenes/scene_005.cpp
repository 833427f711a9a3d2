// Scene 5: the brook ford, at the end of the path that leaves the clearing to the left.
#include "app/game.h"
#include "scenes/scene_list.h"
#include "scenes/simple_scene.h"

namespace {

constexpr WalkExit k_exits[] = {{560, 220, 640, 400, 4, 610, 330}};
constexpr SimpleScene k_ford = {0,
                                "sound/scn005/step1.wav",
                                "sound/scn005/step2.wav",
                                "sound/scn005/brook.wav",
                                -500,
                                k_exits,
                                {50.315f, 13.775f, -27.059f},
                                4.7f,
                                {-90, -330, 140}};

void load_assets(Game& game) {
    load_simple_scene_assets(game, k_ford);
}

void run_logic(Game& game) {
    run_simple_scene(game, k_ford);
}

} // namespace

const SceneBranches k_scene_005 = {load_assets, setup_hero_alone, run_logic};
