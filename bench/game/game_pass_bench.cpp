// A whole game pass of the demo's scene 4 (the hero and the boar, shadows, smoothing 2) on each
// drawing path. The headless clock makes the pacing free, so this is the pass's own work.
// Needs the demo data: `build/vantor-tool make-demo build/demo` (or VANTOR_DEMO_DIR).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "app/game.h"
#include "app/game_frame.h"
#include "platform/headless/headless_platform.h"
#include "platform/text.h"
#include "scenes/scene_change.h"

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
    headless::machine() = {};
    headless::machine().knobs.device_stencil = path == device_stencil;
    auto game = std::make_unique<Game>();
    Game& g = *game;
    g.config.hardware_acceleration = path != software_blob;
    g.config.true_colour = 1;
    g.config.stencil_shadows = path == device_stencil ? 4 : 1;
    g.config.smoothing = 2;
    create_window(g, 1);
    if (create_display(g) != 0 || create_mouse(g) != 0 || acquire_mouse(g) != 0 ||
        init_globals(g) != 0) {
        state.SkipWithError("the game did not start");
        return;
    }
    g.app.ui_font = font_open("tovi.ttf", 18);
    g.app.menu_mode = 0;
    start_game_in_scene(g, 4, 0);
    for (int i = 0; i < 40; ++i) run_game_frame(g); // past the fade-in
    for (auto _ : state) run_game_frame(g);
    release_display(g);
}

} // namespace

BENCHMARK(game_pass)
    ->ArgName("path")
    ->Arg(device_stencil)
    ->Arg(device_blob)
    ->Arg(software_blob)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
