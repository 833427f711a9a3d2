// What the effects cost in a game pass of the demo's hero choice (scene 86): its two braziers
// with their flames, lights, glows, sparkles and hot air, on each drawing path, against the same
// pass with the fires out and no shimmer; and, on the device, 256 smoke particles and all 16
// fires burning. Needs the demo data: `build/vantor-tool make-demo build/demo` (or
// VANTOR_DEMO_DIR).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "app/game_frame.h"
#include "tests/support/demo_game.h"

namespace {

std::string demo_dir() {
    const char* env = std::getenv("VANTOR_DEMO_DIR");
    return env ? env : VANTOR_BINARY_DIR "/demo";
}

enum Load : int64_t {
    no_effects,
    braziers,       // the scene as it is
    smoke_and_fires // 256 smoke particles and 16 fires
};

std::unique_ptr<Game> start(benchmark::State& state, bool hardware) {
    if (chdir(demo_dir().c_str()) != 0 || access("data.res", R_OK) != 0) {
        state.SkipWithError("no demo data; run vantor-tool make-demo first");
        return nullptr;
    }
    DemoGameOptions o;
    o.hardware = hardware;
    o.stencil_shadows = 1;
    std::unique_ptr<Game> game = start_demo_game(o, 86, 1);
    if (!game) state.SkipWithError("the game did not start");
    return game;
}

// All 16 fire slots burn, spread along the hall between the two braziers, and the smoke table is
// full of particles that stay on the screen: a column of chimney smoke (blend mode 0), each
// particle some 20 to 40 pixels across.
void load_everything(Game& g) {
    const SceneFire a = g.fires[0], b = g.fires[1];
    for (int i = 0; i < k_fire_count; ++i) {
        SceneFire& f = g.fires[size_t(i)];
        f = i % 2 == 0 ? a : b;
        f.position.z = a.position.z + (b.position.z - a.position.z) * float(i) / 15;
    }
    for (int i = 0; i < k_smoke_count; ++i) {
        const Vec3 at{a.position.x, a.position.y - 2, a.position.z - 2 - 0.1f * float(i)};
        spawn_smoke(g.effects.smoke_particles, g.random, at, 0.5f,
                    {0, 0x60606060, 0x20202020, 150});
    }
    for (SmokeParticle& p : g.effects.smoke_particles) {
        p.lifetime = -1;
        p.size_step = 0; // they keep their size while they rise
    }
}

// Particles that rose far are put back at their start, so the table stays full on the screen.
void keep_smoke_in_view(Game& g, const SmokeTable& start) {
    for (size_t i = 0; i < start.size(); ++i)
        if (g.effects.smoke_particles[i].age > 2.5f) g.effects.smoke_particles[i] = start[i];
}

void scene86_pass(benchmark::State& state) {
    const bool hardware = state.range(0) != 0;
    const auto load = static_cast<Load>(state.range(1));
    std::unique_ptr<Game> game = start(state, hardware);
    if (!game) return;
    Game& g = *game;
    for (int i = 0; i < 40; ++i) run_game_frame(g); // past the fade-in
    if (load == no_effects) {
        clear_effect_tables(g.effects);
        for (SceneFire& f : g.fires) f.lifetime = 0;
        g.hot_air.shimmer_regions = {};
    } else if (load == smoke_and_fires) {
        load_everything(g);
    }
    const SmokeTable start_smoke = g.effects.smoke_particles;
    for (auto _ : state) {
        if (load == smoke_and_fires) keep_smoke_in_view(g, start_smoke);
        run_game_frame(g);
    }
    stop_demo_game(g);
}

} // namespace

BENCHMARK(scene86_pass)
    ->ArgNames({"device", "load"})
    ->Args({1, no_effects})
    ->Args({1, braziers})
    ->Args({1, smoke_and_fires})
    ->Args({0, no_effects})
    ->Args({0, braziers})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
