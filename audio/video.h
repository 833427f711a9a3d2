// Full-screen films: the start-up logos, the credits and the scenes' cut-scenes.
//
// Playing a film switches the frame into video mode (`Minigame` 2). Whichever step runs, game
// or menu, then calls video_step once a pass: it decodes a picture when the film's clock says
// so and stretches it over the whole back buffer; the step's own flip and a 10 ms pacing
// follow. The sound slots are silenced and the music paused while a film plays; the film's own
// sound goes through the mixer. Space (and Escape) end a film at the next pass.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/surface.h"
#include "platform/video_decoder.h"

struct Display;
struct MusicState;
struct SoundState;

struct VideoState {
    VideoDecoderPtr handle;   // the open film; null while none plays
    SurfacePtr video_surface; // the film's size, receives its pictures
    PixelFormat surface_type; // the format the pictures are copied out in
    std::string path;         // of the film last started
};

// What playing a film touches besides its own state, handed in by the game.
struct VideoHost {
    bool video_enabled = true;
    bool hardware = false; // drawn by the 3D device: the software pass holds no lock
    bool music_enabled = true;
    int& Minigame;
    int32_t& INTRO;
    int& skip_requested;
    SoundState& sound;
    MusicState& music;
    Display& display;
    Surface* back_buffer = nullptr;
    // The back buffer's lock of the software pass in progress (null when not locked). A film
    // started by the scene logic releases it, since the pass's end leaves a video pass alone.
    uint8_t** pass_lock = nullptr;
};

// Start a film; it plays over the following passes. With videos switched off, or when the
// file cannot be opened, the mode goes back to 0 at once (and the sound comes back), so a
// sequence of films simply moves on.
void play_video(VideoState& video, VideoHost& host, std::string_view path);
// One pass of playback while `Minigame` is 2: the film ends at the frame before its last or
// when a skip was asked for, else a picture is decoded when it is due; the current picture is
// stretched over the back buffer.
void video_step(VideoState& video, VideoHost& host);
// End a running film at once.
void stop_video(VideoState& video, VideoHost& host);
