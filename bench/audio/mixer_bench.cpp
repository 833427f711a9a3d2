// The mixer's cost for one game pass of sound: 32 ms of output (1,411 frames) with a number of
// sounds playing at different volumes and pans, and the music stream fed as the music player
// feeds it.
#include <benchmark/benchmark.h>

#include <vector>

#include "platform/mixer.h"

namespace {

constexpr size_t k_pass_frames = 32 * 44100 / 1000;

std::vector<int16_t> noise(size_t frames, uint32_t seed) {
    std::vector<int16_t> s(frames * 2);
    for (int16_t& v : s) {
        seed = seed * 1664525u + 1013904223u;
        v = static_cast<int16_t>(seed >> 16);
    }
    return s;
}

void mix_one_pass(benchmark::State& state) {
    const int sounds = static_cast<int>(state.range(0));
    auto m = mixer_create();
    for (int i = 0; i < sounds; ++i) {
        const int id = mixer_create_buffer(*m, noise(44100 + 997 * size_t(i), uint32_t(i)));
        mixer_set_volume(*m, id, -300 * (i % 8));
        mixer_set_pan(*m, id, (i % 5 - 2) * 2500);
        mixer_play(*m, id, true);
    }
    const std::vector<int16_t> music = noise(k_pass_frames, 99);
    mixer_stream_set_volume(*m, MixerStream::music, -500);
    std::vector<int16_t> out(k_pass_frames * 2);
    for (auto _ : state) {
        mixer_stream_push(*m, MixerStream::music, music);
        mixer_render(*m, out.data(), k_pass_frames);
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["sounds"] = sounds;
}

} // namespace

BENCHMARK(mix_one_pass)->Arg(0)->Arg(16)->Arg(64)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
