// A whole game pass of the demo's scene 4 (the hero walking and the boar, shadows, smoothing 2)
// on each drawing path. The headless clock makes the pacing free, so this is the pass's own work.
// Needs the demo data: `build/vantor-tool make-demo build/demo` (or VANTOR_DEMO_DIR).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "app/game_frame.h"
#include "app/save_load.h"
#include "tests/support/demo_game.h"

namespace {

std::string demo_dir() {
    const char* env = std::getenv("VANTOR_DEMO_DIR");
    return env ? env : VANTOR_BINARY_DIR "/demo";
}

enum Path : int64_t {
    device_stencil,
    device_blob,
    software_blob,
};

void game_pass(benchmark::State& state) {
    if (chdir(demo_dir().c_str()) != 0 || access("data.res", R_OK) != 0) {
        state.SkipWithError("no demo data; run vantor-tool make-demo first");
        return;
    }
    const auto path = static_cast<Path>(state.range(0));
    DemoGameOptions o;
    o.hardware = path != software_blob;
    o.stencil = path == device_stencil;
    o.stencil_shadows = path == device_stencil ? 4 : 1;
    o.smoothing = 2;
    std::unique_ptr<Game> game = start_demo_game(o, 4, 0);
    if (!game) {
        state.SkipWithError("the game did not start");
        return;
    }
    Game& g = *game;
    for (int i = 0; i < 40; ++i) run_game_frame(g); // past the fade-in
    // The hero walks to and fro over the clearing while the boar roams, as in play.
    Actor& hero = g.actors.actors[0];
    int leg = 0;
    for (auto _ : state) {
        if (!hero.walking) actor_walk_to(hero, leg++ % 2 ? 200 : 470, 420, 10.0f);
        run_game_frame(g);
    }
    stop_demo_game(g);
}

} // namespace

BENCHMARK(game_pass)
    ->ArgName("path")
    ->Arg(device_stencil)
    ->Arg(device_blob)
    ->Arg(software_blob)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();

namespace {

// Saving the clearing's game (the thumbnail and the whole file written into place), and loading
// it back (the scene rebuilt by its loaders, the characters' models read again).
void save_and_load(benchmark::State& state) {
    if (chdir(demo_dir().c_str()) != 0 || access("data.res", R_OK) != 0) {
        state.SkipWithError("no demo data; run vantor-tool make-demo first");
        return;
    }
    std::unique_ptr<Game> game = start_demo_game({}, 4, 0);
    if (!game) {
        state.SkipWithError("the game did not start");
        return;
    }
    Game& g = *game;
    for (int i = 0; i < 5; ++i) run_game_frame(g);
    const bool loading = state.range(0) == 1;
    save_game(g, k_quick_save_path);
    for (auto _ : state) {
        if (loading)
            load_game(g, k_quick_save_path);
        else
            save_game(g, k_quick_save_path);
    }
    stop_demo_game(g);
}

} // namespace

BENCHMARK(save_and_load)->ArgName("load")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
