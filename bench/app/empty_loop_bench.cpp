// The main loop on the headless machine: program start, passes of the menu step, orderly quit.
// Every pass reads the mouse, flips and paces; the virtual clock makes pacing free, so this
// measures the loop's own cost.
#include <benchmark/benchmark.h>

#include "app/game.h"
#include "platform/headless/headless_platform.h"

namespace {

void run_passes(benchmark::State& state) {
    const auto passes = static_cast<uint64_t>(state.range(0));
    for (auto _ : state) {
        headless::machine() = {};
        auto game = std::make_unique<Game>();
        Game& g = *game;
        headless::machine().pump = [&g, passes](headless::PumpPoint) {
            if (g.app.passes >= passes) g.app.quit_requested = 1;
        };
        benchmark::DoNotOptimize(app_main(g));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(passes));
}

} // namespace

BENCHMARK(run_passes)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
