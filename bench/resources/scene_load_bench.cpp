// Loading a whole scene background (picture, both depth pictures, walk map, description) from
// loose files and from an archive, as a scene change does.
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>

#include <benchmark/benchmark.h>

#include "app/game.h"
#include "resources/archive.h"
#include "resources/msk.h"
#include "resources/scene_background.h"
#include "resources/scene_description.h"
#include "resources/tiff_picture.h"
#include "resources/zbf.h"

namespace fs = std::filesystem;

namespace {

void write(const fs::path& path, const std::vector<uint8_t>& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

// A rendered-looking scene: smooth shading with some texture, a floor whose depth grows towards
// the horizon, furniture-like blocks in front.
std::vector<ArchiveFile> scene_files(const std::string& stem, TiffCompression compression) {
    RgbPicture picture{640, 480, std::vector<uint8_t>(640 * 480 * 3)};
    std::vector<uint16_t> depth(k_depth_pixels);
    std::vector<float> depth_float(k_depth_pixels);
    std::vector<uint8_t> walk(k_walk_map_bytes, 0);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            const size_t k = static_cast<size_t>(y) * 640 + x;
            const bool block = (x / 80) % 3 == 1 && y > 260 && y < 400;
            const float z = block ? 40.0f + x * 0.01f : 200.0f - y * 0.3f + std::sin(x * 0.05f);
            depth_float[k] = z;
            depth[k] = static_cast<uint16_t>(z / 256.0f * 65535.0f);
            uint8_t* p = picture.rgb.data() + k * 3;
            p[0] = static_cast<uint8_t>(120 + 60 * std::sin(x * 0.02f) + (x * y % 7));
            p[1] = static_cast<uint8_t>(block ? 60 : 100 + y / 8);
            p[2] = static_cast<uint8_t>(80 + 40 * std::cos(y * 0.03f));
            if (block) walk[walk_map_cell(x, y)] = 255;
        }
    std::vector<uint8_t> zbf, msk, tif;
    encode_zbf(std::span<const uint16_t, k_depth_pixels>(depth), zbf);
    encode_msk(std::span<const float, k_depth_pixels>(depth_float), msk);
    encode_tiff(picture, compression, 90, tif);
    SceneDescriptionSource src;
    src.eye = {120, -300, 95};
    src.target = {118, -250, 90};
    for (int i = 0; i < 3; ++i) src.fires.push_back({{10.0f * i, 5, 0}, 1, 2, 3, 1, 1});
    for (int i = 0; i < 4; ++i) src.point_lights.push_back({{1.0f * i, 2, 3}, 4, 200, 150, 100});
    const std::string text = encode_scene_description(src);
    return {{stem + ".zbf", zbf},
            {stem + ".tif", tif},
            {stem + "m.raw", walk},
            {stem + "m.msk", msk},
            {stem + ".txt", std::vector<uint8_t>(text.begin(), text.end())}};
}

// Two data folders side by side: one with loose files, one with only data.res (the scene after
// 500 other entries, as in a full game's archive).
struct Fixture {
    fs::path root;
    Fixture() {
        root = fs::temp_directory_path() / ("vantor_bench_" + std::to_string(getpid()));
        for (auto [name, compression] : {std::pair{"jpeg", TiffCompression::jpeg},
                                         std::pair{"plain", TiffCompression::none}}) {
            const auto files = scene_files("data/scr_004", compression);
            for (const ArchiveFile& f : files) write(root / "loose" / name / f.name, f.data);
            std::vector<ArchiveFile> archive;
            for (int i = 0; i < 500; ++i)
                archive.push_back(
                    {"data/other_" + std::to_string(i) + ".bin", std::vector<uint8_t>(64, 1)});
            archive.insert(archive.end(), files.begin(), files.end());
            std::vector<uint8_t> bytes;
            encode_archive(archive, bytes);
            write(root / "archive" / name / "data.res", bytes);
        }
    }
    ~Fixture() {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

void load_scene(benchmark::State& state, const char* where, const char* kind) {
    const fs::path previous = fs::current_path();
    fs::current_path(fixture().root / where / kind);
    auto game = std::make_unique<Game>();
    DisplayDevice& dev = game->display;
    dev.display.pool = std::make_shared<VideoMemoryPool>();
    dev.display.pool->total = dev.display.pool->free = 64ull << 20;
    dev.display.mode_format = k_format_xrgb8888;
    dev.display_bpp = 32;
    display_create_surface(dev.display, {640, 480, {}, Memory::video}, dev.background_surface);
    display_create_surface(dev.display, {640, 480, {}, Memory::system}, dev.background_pristine);
    game->story.current_scene = 4;
    for (auto _ : state) {
        game->lighting = Lighting{}; // the scene change empties the light table first
        if (load_scene_background(*game) != SceneLoad::complete)
            state.SkipWithError("scene incomplete");
    }
    fs::current_path(previous);
}

} // namespace

BENCHMARK_CAPTURE(load_scene, loose_jpeg, "loose", "jpeg")
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(load_scene, archive_jpeg, "archive", "jpeg")
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(load_scene, loose_plain, "loose", "plain")
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(load_scene, archive_plain, "archive", "plain")
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
