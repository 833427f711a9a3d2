// The latency from a play call to its first sample reaching the sound device, on the SDL backend.
//
// Unless SDL_AUDIODRIVER names another, the device is SDL's disk driver, which writes what it
// plays to a file (SDL_DISKAUDIOFILE, by default /tmp/vantor_latency.raw) at the pace of a real
// device. Each iteration plays a short click at a moment that falls anywhere in the device's
// block; afterwards the clicks are read back from the file, and each one's first frame is matched
// with the moment the mixer handed the block holding it to the device. The time reported per
// iteration is that latency; a real sound card plays the block after the one it is playing, so
// its listener hears it at most one block (11.6 ms) later again.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "platform/mixer.h"
#include "platform/system.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Handover {
    Clock::time_point when;
    uint64_t frames; // frames the mixer had rendered by then
};

// Frames of the raw file where a click starts: loud after a stretch of silence.
std::vector<uint64_t> click_starts(const char* path, uint64_t& frames) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    frames = bytes.size() / 4;
    std::vector<uint64_t> starts;
    uint64_t quiet = 256; // clicks are 64 frames long and start a block of 512
    for (size_t f = 0; 4 * f + 3 < bytes.size(); ++f) {
        const auto left = static_cast<int16_t>(bytes[4 * f] | bytes[4 * f + 1] << 8);
        if (left > 10000 && quiet >= 256) starts.push_back(f);
        quiet = left == 0 ? quiet + 1 : 0;
    }
    return starts;
}

void play_to_device(benchmark::State& state) {
    setenv("SDL_AUDIODRIVER", "disk", 0);
    setenv("SDL_DISKAUDIOFILE", "/tmp/vantor_latency.raw", 0);
    const bool to_file = std::string(std::getenv("SDL_AUDIODRIVER")) == "disk";
    Mixer* m = sys_sound_open();
    if (!m) {
        state.SkipWithError("no sound device");
        return;
    }
    const int click = mixer_create_buffer(*m, std::vector<int16_t>(64 * 2, 20000));
    std::vector<Handover> handovers;
    auto poll_until = [&](Clock::time_point until) {
        for (Clock::time_point now = Clock::now(); now < until; now = Clock::now()) {
            const uint64_t f = m->frames_rendered.load();
            if (handovers.empty() || f != handovers.back().frames) handovers.push_back({now, f});
            std::this_thread::sleep_for(std::chrono::microseconds(20));
        }
    };
    poll_until(Clock::now() + std::chrono::milliseconds(300)); // the device is running
    std::vector<Clock::time_point> plays;
    uint32_t jitter = 12345;
    for (auto _ : state) {
        jitter = jitter * 1664525u + 1013904223u;
        poll_until(Clock::now() + std::chrono::microseconds(60000 + jitter % 20000));
        const Clock::time_point t0 = Clock::now();
        mixer_play(*m, click, false);
        plays.push_back(t0);
        // The click is shorter than a block, so it is over when the render that started it is.
        while (mixer_is_playing(*m, click)) poll_until(Clock::now());
        const auto handed = std::chrono::duration<double>(Clock::now() - t0);
        state.SetIterationTime(handed.count());
    }
    poll_until(Clock::now() + std::chrono::milliseconds(100));
    sys_sound_close();

    if (!to_file) return;
    uint64_t file_frames = 0;
    const std::vector<uint64_t> starts =
        click_starts(std::getenv("SDL_DISKAUDIOFILE"), file_frames);
    state.counters["file_seconds"] = double(file_frames) / k_mixer_rate;
    state.counters["clicks_in_file"] = double(starts.size());
    if (starts.size() != plays.size()) {
        state.SkipWithError("the file does not hold every click");
        return;
    }
    std::vector<double> latencies;
    for (size_t k = 0; k < starts.size(); ++k) {
        size_t h = 0;
        while (h < handovers.size() && handovers[h].frames <= starts[k]) ++h;
        if (h == handovers.size()) continue;
        const double ms =
            std::chrono::duration<double, std::milli>(handovers[h].when - plays[k]).count();
        latencies.push_back(ms);
    }
    if (latencies.empty()) return;
    std::sort(latencies.begin(), latencies.end());
    double sum = 0;
    for (double ms : latencies) sum += ms;
    state.counters["file_mean_ms"] = sum / double(latencies.size());
    state.counters["file_median_ms"] = latencies[latencies.size() / 2];
    state.counters["file_max_ms"] = latencies.back();
}

} // namespace

BENCHMARK(play_to_device)->UseManualTime()->Iterations(60)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
