// The size a window really has on the screen, in pixels.
#pragma once

#include <SDL.h>

// SDL records the size it asked for when it makes a window full-screen, whether or not a window
// manager carried the request out (with none, nothing does). On X11 the server is asked instead;
// elsewhere SDL's own figure is the window system's answer. False when neither is known.
bool sdl_window_pixel_size(SDL_Window* window, SDL_Renderer* renderer, int& w, int& h);
