#include "platform/sdl/sdl_window_size.h"

#include <SDL_syswm.h>

bool sdl_window_pixel_size(SDL_Window* window, SDL_Renderer* renderer, int& w, int& h) {
#if defined(VANTOR_HAVE_X11) && defined(SDL_VIDEO_DRIVER_X11)
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11) {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(info.info.x11.display, info.info.x11.window, &attributes)) {
            w = attributes.width;
            h = attributes.height;
            return true;
        }
    }
#else
    (void)window;
#endif
    return SDL_GetRendererOutputSize(renderer, &w, &h) == 0;
}
