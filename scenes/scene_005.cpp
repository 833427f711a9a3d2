// Scene 5: the brook ford, at the end of the path that leaves the clearing to the left.
#include "app/game.h"
#include "scenes/scene_assets.h"
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

// Mist over the brook: the hero walking down to the water's edge goes into it.
constexpr Vec3 k_mist_centre{32, 14, -22};
constexpr float k_mist_radius = 13;
constexpr float k_mist_density = 1.0f / 20;
constexpr uint32_t k_mist_colour = 0x00B4BEC8;
constexpr float k_mist_factor = 1.0f;
// Short shadow volumes: the low evening sun would stretch them over the whole ford.
constexpr float k_shadow_reach = 0.12f;

void load_assets(Game& game) {
    load_simple_scene_assets(game, k_ford);
    add_fog_volume(game, k_mist_centre, k_mist_radius, k_mist_density, k_mist_colour,
                   k_mist_factor);
    prepare_scene_fog(game);
    set_shadow_extrusion(game, k_shadow_reach);
}

void run_logic(Game& game) {
    run_simple_scene(game, k_ford);
}

} // namespace

const SceneBranches k_scene_005 = {load_assets, setup_hero_alone, run_logic};
