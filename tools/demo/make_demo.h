// The whole demo data set: everything the game loads at start-up, the heroes and the scenes.
#pragma once

#include <string>
#include <vector>

#include "tools/demo/demo_output.h"
#include "tools/demo/demo_scene.h"

struct DemoOptions {
    std::vector<int> scenes; // scene numbers to make; empty: all
    SceneQuality quality;
    bool models = true, pictures = true, sounds = true, texts = true, voices = true, music = true;
    bool films = true;
    std::string font = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
};

// The folders packed into archives; everything else stays loose.
inline const std::vector<std::string> k_archived_folders = {"data", "sound"};

// Build the data in memory. False, with `error` set, when something it needs is missing.
bool generate_demo(const DemoOptions& options, DemoOutput& out, std::string& error);

// The file each run leaves in its output folder. It lists what the run wrote directly below the
// folder, so that the next run removes exactly that (a file the generator no longer makes goes
// too), and it marks the folder as the generator's to replace.
inline constexpr const char* k_demo_marker = ".vantor-demo";

// Whether `dir` may receive the demo without harm: it does not exist yet, is empty, or holds the
// marker of an earlier run. Any other folder may hold someone's own files.
bool demo_folder_is_ours(const std::string& dir);

// The names an earlier run recorded in the marker below `dir`; empty without a marker. Names
// that could reach outside the folder, `saves` and the marker itself are never returned.
std::vector<std::string> read_demo_marker(const std::string& dir);

// Replace what an earlier run wrote below `dir`, and whatever this output writes, with the
// output (archives packed, the loose copies of archived folders removed), and record it in the
// marker. Other files and `saves/` are kept; `saves/` is created.
bool write_demo(const DemoOutput& out, const std::string& dir, std::string& error);
