// Background music: one numbered track at a time, "music/NNN.wav", streamed from disk into the
// mixer's music stream a second ahead of what plays. Scenes choose the track by setting
// `music_track`; the main loop hands it to music_step every pass, which changes the track when
// the number changes and restarts a track that has played to its end.
//
// The player exists only when music was switched on at start-up and there is a sound device;
// with `music_enabled` off every call returns at once, so switching it on takes effect at the
// next start.
#pragma once

#include <cstdint>
#include <string>

#include "platform/music_reader.h"

struct Mixer;

struct MusicState {
    bool graph = false;     // the player exists
    Mixer* mixer = nullptr; // while it does
    int32_t loaded_track = -1;
    int32_t music_paused = 0; // set while a video has paused the music
    MusicReaderPtr reader;    // the current track's file
    uint64_t length = 0;      // frames the file announces; 0 = none
    uint64_t pushed = 0;      // frames of the track given to the mixer since its start
    bool file_ended = false;  // everything the track holds has been given
};

// Music volume by the `music_volume` level 0..4, in hundredths of a decibel.
int32_t music_volume_of_level(int32_t level);

// "music/000.wav" with the track number written over the digits ("%3.3d").
std::string music_track_path(int track);

void start_music_graph(MusicState& music, Mixer* mixer, bool music_enabled);
// 0, or 2 when the wanted track's file does not exist (the old track plays on).
int music_step(MusicState& music, bool music_enabled, int32_t music_volume, int track);
void pause_music(MusicState& music, bool music_enabled);
// Read the track on ahead of what plays. music_step does it every pass; call it also where the
// game waits without passes for a while.
void music_feed(MusicState& music, bool music_enabled);
void apply_music_volume(MusicState& music, bool music_enabled, int32_t music_volume);
// At exit, before the sound device closes. The player goes whatever the setting says by then: it
// exists only when music was on at start-up.
void stop_music(MusicState& music);

// Frames of the current track played since its start (or since it last restarted).
uint64_t music_position(const MusicState& music);
// A track plays while it is loaded, not paused and not at its end.
bool music_playing(const MusicState& music);
