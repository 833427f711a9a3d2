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

// Replace the demo's own files and folders below `dir` with the output (archives packed, the
// loose copies of archived folders removed); `saves/` is created and kept.
bool write_demo(const DemoOutput& out, const std::string& dir, std::string& error);
