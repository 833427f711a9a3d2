// The SDL implementation of the platform interface: a real window, fullscreen by default with
// the 640x480 frame scaled to the screen (4:3 kept, black bars), Alt+Enter for a window.
#include <SDL.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "platform/codepage.h"
#include "platform/sdl/sdl_state.h"

SdlState& sdl_state() {
    static SdlState s;
    return s;
}

bool sdl_ensure_video() {
    SdlState& s = sdl_state();
    if (!s.video_ready) {
        // Relative motion arrives in the frame's own pixels once a logical size is set.
        SDL_SetHint(SDL_HINT_MOUSE_RELATIVE_SCALING, "1");
        SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "1");
        s.video_ready = SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS | SDL_INIT_TIMER) == 0;
    }
    return s.video_ready;
}

namespace {

uint32_t virtual_key(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z) return static_cast<uint32_t>('A' + (key - SDLK_a));
    if (key >= SDLK_0 && key <= SDLK_9) return static_cast<uint32_t>('0' + (key - SDLK_0));
    if (key >= SDLK_F1 && key <= SDLK_F12) return static_cast<uint32_t>(112 + (key - SDLK_F1));
    switch (key) {
    case SDLK_ESCAPE:
        return 27;
    case SDLK_SPACE:
        return 32;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        return 13;
    case SDLK_BACKSPACE:
        return 8;
    case SDLK_TAB:
        return 9;
    case SDLK_LEFT:
        return 37;
    case SDLK_UP:
        return 38;
    case SDLK_RIGHT:
        return 39;
    case SDLK_DOWN:
        return 40;
    default:
        return 0;
    }
}

void post(MessageKind kind, uint32_t wparam = 0) {
    sdl_state().queue.push_back({kind, wparam});
}

void lose_mouse() {
    SdlState& s = sdl_state();
    s.mouse_acquired = false;
    SDL_SetRelativeMouseMode(SDL_FALSE);
}

// The window for windowed play: the largest whole multiple of 640x480 that fits the desktop's
// usable area (at least 640x480), centred on it.
void size_window_to_desktop(SDL_Window* window) {
    SDL_Rect usable{0, 0, 1280, 960};
    SDL_GetDisplayUsableBounds(std::max(SDL_GetWindowDisplayIndex(window), 0), &usable);
    const int scale = std::max(1, std::min(usable.w / 640, usable.h / 480));
    SDL_SetWindowSize(window, 640 * scale, 480 * scale);
    SDL_SetWindowPosition(window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
}

void toggle_fullscreen() {
    SdlState& s = sdl_state();
    s.fullscreen = !s.fullscreen;
    SDL_SetWindowFullscreen(s.window, s.fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    if (!s.fullscreen) size_window_to_desktop(s.window);
}

void post_text(const char* utf8) {
    for (uint8_t code : utf8_to_cp1251(utf8)) post(MessageKind::character, code);
}

void translate(const SDL_Event& e) {
    SdlState& s = sdl_state();
    switch (e.type) {
    case SDL_QUIT:
        post(MessageKind::close);
        break;
    case SDL_WINDOWEVENT:
        if (s.window == nullptr || e.window.windowID != SDL_GetWindowID(s.window)) break;
        switch (e.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
            post(MessageKind::close);
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            s.focused = false;
            lose_mouse();
            post(MessageKind::activate);
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            s.focused = true;
            post(MessageKind::size, SIZE_RESTORED);
            break;
        case SDL_WINDOWEVENT_MINIMIZED:
            s.minimized = true;
            lose_mouse();
            post(MessageKind::size, SIZE_MINIMIZED);
            break;
        case SDL_WINDOWEVENT_RESTORED:
            s.minimized = false;
            post(MessageKind::size, SIZE_RESTORED);
            break;
        default:
            break;
        }
        break;
    case SDL_KEYDOWN: {
        const SDL_Keycode key = e.key.keysym.sym;
        if ((key == SDLK_RETURN) && (e.key.keysym.mod & KMOD_ALT)) {
            if (!e.key.repeat) toggle_fullscreen();
            break;
        }
        if (uint32_t vk = virtual_key(key)) post(MessageKind::key_down, vk);
        // Enter and Backspace also arrive as characters, as they do on the game's system.
        if (key == SDLK_RETURN || key == SDLK_KP_ENTER) post(MessageKind::character, 13);
        if (key == SDLK_BACKSPACE) post(MessageKind::character, 8);
        break;
    }
    case SDL_TEXTINPUT:
        post_text(e.text.text);
        break;
    case SDL_MOUSEMOTION:
        if (s.mouse_acquired) {
            s.motion_x += e.motion.xrel;
            s.motion_y += e.motion.yrel;
        }
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        const int b = e.button.button == SDL_BUTTON_LEFT    ? 0
                      : e.button.button == SDL_BUTTON_RIGHT ? 1
                                                            : -1;
        if (b >= 0 && s.mouse_acquired) s.buttons[b] = e.type == SDL_MOUSEBUTTONDOWN ? 0x80 : 0;
        break;
    }
    default:
        break;
    }
}

void pump_events() {
    SDL_Event e;
    while (SDL_PollEvent(&e)) translate(e);
}

} // namespace

bool sys_create_window(const char* title) {
    if (!sdl_ensure_video()) return false;
    SdlState& s = sdl_state();
    if (s.window) return true;
    s.window = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 640, 480,
                                SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
    return s.window != nullptr;
}

void sys_destroy_window() {
    SdlState& s = sdl_state();
    if (!s.window) return;
    if (s.texture) SDL_DestroyTexture(s.texture);
    if (s.renderer) SDL_DestroyRenderer(s.renderer);
    SDL_DestroyWindow(s.window);
    s.texture = nullptr;
    s.renderer = nullptr;
    s.window = nullptr;
    s.shown = false;
    post(MessageKind::destroy);
}

bool sys_peek_message() {
    pump_events();
    return !sdl_state().queue.empty();
}

void sys_wait_message() {
    SdlState& s = sdl_state();
    pump_events();
    while (s.queue.empty()) {
        SDL_Event e;
        if (!SDL_WaitEvent(&e)) {
            s.queue.push_back({MessageKind::quit, 0});
            break;
        }
        translate(e);
    }
}

Message sys_get_message() {
    sys_wait_message();
    Message m = sdl_state().queue.front();
    sdl_state().queue.pop_front();
    return m;
}

bool sys_wait_message_until(uint32_t deadline_ms) {
    SdlState& s = sdl_state();
    pump_events();
    for (;;) {
        if (!s.queue.empty()) return true;
        const auto remaining = static_cast<int32_t>(deadline_ms - SDL_GetTicks());
        if (remaining <= 0) return false;
        SDL_Event e;
        if (SDL_WaitEventTimeout(&e, remaining)) translate(e);
    }
}

void sys_post_message(const Message& m) {
    sdl_state().queue.push_back(m);
}

uint32_t sys_milliseconds() {
    return SDL_GetTicks();
}

void sys_wait_until(uint32_t deadline_ms) {
    // Sleep for most of the wait, then watch the last millisecond so passes keep their length.
    for (;;) {
        const auto remaining = static_cast<int32_t>(deadline_ms - SDL_GetTicks());
        if (remaining <= 0) return;
        if (remaining > 1) SDL_Delay(static_cast<Uint32>(remaining - 1));
    }
}

bool sys_display_caps(DisplayCaps& caps) {
    // Today's machines have far more than the game ever asks for.
    caps.video_memory_total = 256ull << 20;
    caps.supports_32_bits = true;
    caps.sixteen_bit_is_555 = false;
    // The 3D device is the shared CPU one: it renders into every format, with a stencil.
    caps.device_32_bits = caps.device_16_bits = caps.device_stencil = true;
    return true;
}

bool sys_display_set_mode(int width, int height, int) {
    SdlState& s = sdl_state();
    if (!s.window || width != 640 || height != 480) return false;
    if (!s.renderer) {
        s.renderer = SDL_CreateRenderer(s.window, -1, SDL_RENDERER_ACCELERATED);
        if (!s.renderer) s.renderer = SDL_CreateRenderer(s.window, -1, SDL_RENDERER_SOFTWARE);
        if (!s.renderer) return false;
        SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
        SDL_RenderSetLogicalSize(s.renderer, 640, 480);
        s.texture = SDL_CreateTexture(s.renderer, SDL_PIXELFORMAT_ARGB8888,
                                      SDL_TEXTUREACCESS_STREAMING, 640, 480);
        if (!s.texture) return false;
    }
    if (!s.shown) {
        SDL_ShowWindow(s.window);
        SDL_SetWindowFullscreen(s.window, s.fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
        SDL_RaiseWindow(s.window);
        SDL_ShowCursor(SDL_DISABLE);
        SDL_StartTextInput();
        s.shown = true;
        s.focused = true;
    }
    return true;
}

void sys_present(const Surface& frame, const GammaRamp& gamma) {
    SdlState& s = sdl_state();
    if (!s.texture || frame.width != 640 || frame.height != 480) return;
    std::array<uint8_t, 256> red, green, blue;
    for (int i = 0; i < 256; ++i) {
        red[i] = static_cast<uint8_t>(gamma.red[i] >> 8);
        green[i] = static_cast<uint8_t>(gamma.green[i] >> 8);
        blue[i] = static_cast<uint8_t>(gamma.blue[i] >> 8);
    }
    void* pixels = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(s.texture, nullptr, &pixels, &pitch) != 0) return;
    const int bpp = bytes_per_pixel(frame.format);
    for (int y = 0; y < 480; ++y) {
        const uint8_t* src = frame.row(y);
        auto* dst = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(pixels) + y * pitch);
        for (int x = 0; x < 640; ++x) {
            uint32_t v = 0;
            std::memcpy(&v, src + x * bpp, bpp);
            const Rgb8 c = bpp == 4 ? Rgb8{static_cast<uint8_t>(v >> 16),
                                           static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)}
                                    : unpack_rgb(frame.format, v);
            dst[x] = 0xFF000000u | uint32_t{red[c.r]} << 16 | uint32_t{green[c.g]} << 8 | blue[c.b];
        }
    }
    SDL_UnlockTexture(s.texture);
    SDL_SetRenderDrawColor(s.renderer, 0, 0, 0, 255);
    SDL_RenderClear(s.renderer);
    SDL_RenderCopy(s.renderer, s.texture, nullptr, nullptr);
    SDL_RenderPresent(s.renderer);
}

bool sys_mouse_create() {
    if (!sdl_ensure_video()) return false;
    sdl_state().mouse_created = true;
    return true;
}

bool sys_mouse_acquire() {
    SdlState& s = sdl_state();
    if (!s.mouse_created || !s.shown || !s.focused || s.minimized) return false;
    if (!s.mouse_acquired) {
        SDL_SetRelativeMouseMode(SDL_TRUE);
        s.motion_x = s.motion_y = 0;
        s.mouse_acquired = true;
    }
    return true;
}

void sys_mouse_unacquire() {
    lose_mouse();
}

MouseRead sys_mouse_read(MouseState& state) {
    SdlState& s = sdl_state();
    if (!s.mouse_created) return MouseRead::failed;
    pump_events();
    if (!s.mouse_acquired) return MouseRead::input_lost;
    state = {};
    state.dx = s.motion_x;
    state.dy = s.motion_y;
    std::memcpy(state.buttons, s.buttons, sizeof state.buttons);
    s.motion_x = s.motion_y = 0;
    return MouseRead::ok;
}

void sys_mouse_release() {
    lose_mouse();
    sdl_state().mouse_created = false;
}

void sys_message_box(const char* text, const char* caption, MessageBoxIcon icon) {
    sdl_ensure_video();
    const Uint32 flags =
        icon == MessageBoxIcon::error ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION;
    SDL_ShowSimpleMessageBox(flags, caption, text, nullptr);
}
