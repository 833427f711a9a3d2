// State shared by the SDL backend's files. Nothing outside platform/sdl includes this.
#pragma once

#include <SDL.h>

#include <deque>

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

    bool mouse_created = false;
    bool mouse_acquired = false;
    int motion_x = 0, motion_y = 0;
    uint8_t buttons[4] = {};
};

SdlState& sdl_state();
bool sdl_ensure_video();
