// vantor-headless: the game or the setup program on the headless machine, driven by a script.
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/game.h"
#include "platform/headless/headless_platform.h"
#include "setup/setup_main.h"
#include "tools/headless/runner.h"

namespace {

const char* k_usage =
    "usage: vantor-headless [--data DIR] [--program game|setup] [--seed N]\n"
    "                       [--video-memory BYTES] [--pixel-format 565|555] [--no-sound]\n"
    "                       [--capture-audio FILE.wav]\n"
    "                       [--device full|no32|none] [--stencil yes|no]\n"
    "                       [--start-scene N --hero 0|1] [--max-passes N] SCRIPT\n";

constexpr uint64_t k_no_start_scene = ~uint64_t{0};

bool parse_number(const char* text, uint64_t& out) {
    const char* end = text + std::strlen(text);
    auto [p, ec] = std::from_chars(text, end, out);
    return ec == std::errc() && p == end;
}

int usage(const char* problem) {
    std::fprintf(stderr, "vantor-headless: %s\n%s", problem, k_usage);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    std::string data_dir, program = "game", script_path;
    uint64_t seed = 1;
    uint64_t start_scene = k_no_start_scene, hero = 0;
    RunnerOptions options;
    headless::Knobs& knobs = headless::machine().knobs;

    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        auto number = [&](uint64_t& out) {
            const char* v = value();
            return v && parse_number(v, out);
        };
        if (arg == "--data") {
            const char* v = value();
            if (!v) return usage("--data needs a folder");
            data_dir = v;
        } else if (arg == "--program") {
            const char* v = value();
            if (!v || (std::strcmp(v, "game") != 0 && std::strcmp(v, "setup") != 0))
                return usage("--program is game or setup");
            program = v;
        } else if (arg == "--seed") {
            if (!number(seed)) return usage("--seed needs a number");
        } else if (arg == "--video-memory") {
            if (!number(knobs.video_memory)) return usage("--video-memory needs a number of bytes");
        } else if (arg == "--pixel-format") {
            const char* v = value();
            if (!v || (std::strcmp(v, "565") != 0 && std::strcmp(v, "555") != 0))
                return usage("--pixel-format is 565 or 555");
            knobs.rgb555 = std::strcmp(v, "555") == 0;
        } else if (arg == "--device") {
            const char* v = value();
            const std::string d = v ? v : "";
            if (d != "full" && d != "no32" && d != "none")
                return usage("--device is full, no32 or none");
            knobs.device_32_bits = d == "full";
            knobs.device_16_bits = d != "none";
        } else if (arg == "--stencil") {
            const char* v = value();
            const std::string st = v ? v : "";
            if (st != "yes" && st != "no") return usage("--stencil is yes or no");
            knobs.device_stencil = st == "yes";
        } else if (arg == "--no-sound") {
            knobs.sound = false;
        } else if (arg == "--capture-audio") {
            const char* v = value();
            if (!v || !*v) return usage("--capture-audio needs a file name");
            options.capture_path = std::filesystem::absolute(v).string();
            headless::machine().capture = true;
        } else if (arg == "--start-scene") {
            if (!number(start_scene) || start_scene > 86) return usage("--start-scene is 0..86");
        } else if (arg == "--hero") {
            if (!number(hero) || hero > 1) return usage("--hero is 0 or 1");
        } else if (arg == "--max-passes") {
            if (!number(options.max_passes)) return usage("--max-passes needs a number");
        } else if (!arg.empty() && arg[0] == '-') {
            return usage(("unknown option " + arg).c_str());
        } else if (script_path.empty()) {
            script_path = arg;
        } else {
            return usage("one script only");
        }
    }
    if (script_path.empty()) return usage("no script");

    std::ifstream in(script_path, std::ios::binary);
    if (!in) return usage(("cannot read " + script_path).c_str());
    std::stringstream text;
    text << in.rdbuf();
    std::vector<ScriptCommand> script;
    std::string error;
    if (!parse_script(text.str(), script, error)) {
        std::fprintf(stderr, "%s: %s\n", script_path.c_str(), error.c_str());
        return 2;
    }

    options.output_dir = std::filesystem::current_path().string();
    if (!data_dir.empty() && chdir(data_dir.c_str()) != 0)
        return usage(("cannot enter " + data_dir).c_str());

    static Game game;
    random_seed(game.random, static_cast<uint32_t>(seed));
    if (start_scene != k_no_start_scene) {
        game.app.start_scene = static_cast<int32_t>(start_scene);
        game.app.start_hero = static_cast<int32_t>(hero);
    }
    Runner runner(game, std::move(script), options);
    runner.attach();
    const int code =
        program == "setup" ? setup_main(game.config, game.app.clean_exit_written) : app_main(game);
    runner.finish(code);
    std::printf("vantor-headless: %s returned %d after %llu passes, clock %u ms\n", program.c_str(),
                code, static_cast<unsigned long long>(game.app.passes),
                headless::machine().clock_ms);
    return 0;
}
