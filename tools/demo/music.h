// The demo's music: a track for every music number the demo scenes choose, synthesised as
// seamless loops. Each is a 44.1 kHz stereo 16-bit wave file in "music/", left loose, as the game
// streams it from disk.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/demo/demo_output.h"

struct MusicTrackInfo {
    int number;     // the `music_track` that plays it
    double seconds; // length of the loop
};

// The tracks make_music writes: 0 in the woods (scenes 3 to 6) and 11 in the hall of the hero
// choice and on the start screen.
std::vector<MusicTrackInfo> demo_music_tracks();

void make_music(DemoOutput& out);
