// Scene 6: the old chapel, down the path to the lower right of the clearing. A candle burns on
// its altar.
#include "app/game.h"
#include "scenes/scene_list.h"
#include "scenes/simple_scene.h"

namespace {

constexpr WalkExit k_exits[] = {{0, 330, 150, 480, 4, 60, 440}};
constexpr SimpleScene k_chapel = {0,
                                  "sound/scn006/step1.wav",
                                  "sound/scn006/step2.wav",
                                  "sound/scn006/fire.wav",
                                  -500,
                                  k_exits,
                                  {20.959f, 9.86f, -11.166f},
                                  1.2f,
                                  {194, -310, -80}};

void load_assets(Game& game) {
    load_simple_scene_assets(game, k_chapel);
}

void run_logic(Game& game) {
    run_simple_scene(game, k_chapel);
}

} // namespace

const SceneBranches k_scene_006 = {load_assets, setup_hero_alone, run_logic};
