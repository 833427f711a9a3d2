// Path search, actor updates, character drawing on both paths and edge smoothing, on the test
// stage of the render tests (a floor with a pillar, the test hero).
#include <benchmark/benchmark.h>

#include <memory>

#include "app/smoothing.h"
#include "render/walk.h"
#include "tests/render/render_harness.h"

namespace {

HarnessOptions options(DrawPath path, int smoothing) {
    HarnessOptions o;
    o.path = path;
    o.bpp = 32;
    o.settings.smoothing = smoothing;
    o.settings.stencil_shadows = 1;
    return o;
}

// Start on the left of the floor, target on the right.
struct PathStage {
    std::unique_ptr<RenderHarness> h =
        std::make_unique<RenderHarness>(options(DrawPath::device, 0));
    Actor& a = h->place_hero(0, 40, 400, 0);
    void clear() {
        std::fill(h->scene.scene_walk_map.begin(), h->scene.scene_walk_map.end(), uint8_t{0});
    }
    void run(benchmark::State& state, int tx, int ty) {
        auto ctx = h->actor_context();
        for (auto _ : state) {
            find_path(ctx, a, tx, ty);
            benchmark::DoNotOptimize(a.path_length);
        }
        state.counters["path_length"] = a.path_length;
    }
};

void BM_FindPathOpenFloor(benchmark::State& state) {
    PathStage s;
    s.clear();
    s.run(state, 600, 140);
}
BENCHMARK(BM_FindPathOpenFloor)->Unit(benchmark::kMicrosecond);

// A serpentine maze over the whole walk map: walls every 8 columns, gaps at alternate ends.
void BM_FindPathMaze(benchmark::State& state) {
    PathStage s;
    s.clear();
    auto& map = s.h->scene.scene_walk_map;
    for (int wx = 24; wx < 312; wx += 8)
        for (int cy = 0; cy < 240; ++cy) {
            const bool gap = ((wx / 8) % 2 == 0) ? cy < 6 : cy >= 234;
            if (!gap) map[size_t(cy) * 320 + size_t(wx)] = 255;
        }
    s.run(state, 630, 240);
}
BENCHMARK(BM_FindPathMaze)->Unit(benchmark::kMicrosecond);

// The start walled in: the search from the target fills every other cell of the map and finds
// nothing (a walled-in target would end the search at once).
void BM_FindPathNoPath(benchmark::State& state) {
    PathStage s;
    s.clear();
    auto& map = s.h->scene.scene_walk_map;
    const ScreenPoint p = project_point(s.h->camera.view_projection, s.a.position);
    const int cx = int(p.x) / 2, cy = int(p.y) / 2;
    for (int c = cx - 10; c <= cx + 10; ++c)
        map[size_t(cy - 10) * 320 + size_t(c)] = map[size_t(cy + 10) * 320 + size_t(c)] = 255;
    for (int r = cy - 10; r <= cy + 10; ++r)
        map[size_t(r) * 320 + size_t(cx - 10)] = map[size_t(r) * 320 + size_t(cx + 10)] = 255;
    s.run(state, 590, 230);
}
BENCHMARK(BM_FindPathNoPath)->Unit(benchmark::kMicrosecond);

void place_thirteen(RenderHarness& h) {
    for (int i = 0; i < 13; ++i) {
        Actor& a = h.place_hero(i, 60 + (i % 7) * 80, 240 + (i / 7) * 120, float(i) * 0.5f);
        a.collision_radius_sq = 0;
    }
}

void BM_ActorUpdateThirteenWalking(benchmark::State& state) {
    auto h = std::make_unique<RenderHarness>(options(DrawPath::device, 0));
    place_thirteen(*h);
    auto ctx = h->actor_context();
    int n = 0;
    for (auto _ : state) {
        actors_begin_frame(*h->actors);
        for (int i = 0; i < 13; ++i) {
            Actor& a = h->actors->actors[size_t(i)];
            if (!a.walking && !a.retarget)
                actor_walk_to(a, (n * 97 + i * 131) % 600 + 20, 200 + (n * 53 + i * 71) % 260, 10);
            actor_update(ctx, a);
        }
        ++n;
    }
}
BENCHMARK(BM_ActorUpdateThirteenWalking)->Unit(benchmark::kMicrosecond);

void draw_thirteen(benchmark::State& state, DrawPath path) {
    auto h = std::make_unique<RenderHarness>(options(path, 2));
    place_thirteen(*h);
    // Only the drawing is timed: the picture copy and depth upload belong to the frame, not to
    // the characters.
    for (auto _ : state) {
        state.PauseTiming();
        h->begin_pass();
        state.ResumeTiming();
        h->draw_pass(true);
    }
}

void BM_DrawThirteenDevice(benchmark::State& state) {
    draw_thirteen(state, DrawPath::device);
}
BENCHMARK(BM_DrawThirteenDevice)->Unit(benchmark::kMillisecond);

void BM_DrawThirteenSoftware(benchmark::State& state) {
    draw_thirteen(state, DrawPath::software);
}
BENCHMARK(BM_DrawThirteenSoftware)->Unit(benchmark::kMillisecond);

void BM_SmoothOutlinesThirteen(benchmark::State& state) {
    auto h = std::make_unique<RenderHarness>(options(DrawPath::device, 2));
    place_thirteen(*h);
    h->frame(); // characters on the back buffer
    const SmoothReference ref{h->scene.scene_picture_work, h->scene.scene_picture_16};
    for (auto _ : state) {
        for (int i = 0; i < 13; ++i) {
            const auto& r = h->actors->actors[size_t(i)].draw_rect;
            add_smooth_rect(h->draw->smooth_rects, 2, r[0], r[2], r[1], r[3]);
        }
        smooth_outlines(h->draw->smooth_rects, 2, 32, *h->back_buffer, *h->work, ref);
    }
}
BENCHMARK(BM_SmoothOutlinesThirteen)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
