// State shared by the SDL backend's files. Nothing outside platform/sdl includes this.
#pragma once

#include <SDL.h>

#include <deque>

#include "platform/frame_fit.h"
#include "platform/system.h"

struct SdlState {
    bool video_ready = false;
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    bool shown = false;
    bool fullscreen = true;
    bool focused = false;
    bool minimized = false;
    std::deque<Message> queue;
    // Where the last frame went in the window, and since when (milliseconds) SDL's idea of the
    // window's size has differed from the size it really has (0: they agree).
    FrameRect view;
    uint32_t size_mismatch_since = 0;

    bool mouse_created = false;
    bool mouse_acquired = false;
    int motion_x = 0, motion_y = 0;               // frame pixels
    int64_t motion_rest_x = 0, motion_rest_y = 0; // parts of a frame pixel carried over
    uint8_t buttons[4] = {};
};

SdlState& sdl_state();
bool sdl_ensure_video();
