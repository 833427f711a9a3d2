// The SDL implementation of the platform interface: a real window, fullscreen by default with
// the 640x480 frame scaled to the window's real size (4:3 kept, black bars), Alt+Enter for a
// window.
#include <SDL.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "platform/codepage.h"
#include "platform/sdl/sdl_state.h"
#include "platform/sdl/sdl_window_size.h"

SdlState& sdl_state() {
    static SdlState s;
    return s;
}

bool sdl_ensure_video() {
    SdlState& s = sdl_state();
    if (!s.video_ready) {
        SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "1");
        s.video_ready = SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS | SDL_INIT_TIMER) == 0;
    }
    return s.video_ready;
}

namespace {

constexpr int k_frame_w = 640, k_frame_h = 480;
// How long SDL's idea of the window's size may differ from the real one before the backend stops
// waiting for the window manager (a full-screen switch takes a few frames where one exists).
constexpr uint32_t k_size_settle_ms = 1000;

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

// Without the mouse the backend sees no more button events: a button let go meanwhile must not
// stay down.
void lose_mouse() {
    SdlState& s = sdl_state();
    s.mouse_acquired = false;
    std::fill(std::begin(s.buttons), std::end(s.buttons), uint8_t{0});
    SDL_SetRelativeMouseMode(SDL_FALSE);
}

// The window for windowed play: the largest whole multiple of 640x480 that fits the desktop's
// usable area with the window manager's frame around it (at least 640x480), centred on it.
void size_window_to_desktop(SDL_Window* window) {
    SDL_Rect usable{0, 0, 1280, 960};
    SDL_GetDisplayUsableBounds(std::max(SDL_GetWindowDisplayIndex(window), 0), &usable);
    int top = 0, left = 0, bottom = 0, right = 0; // stay 0 where there is no frame
    SDL_GetWindowBordersSize(window, &top, &left, &bottom, &right);
    const int scale =
        std::max(1, std::min((usable.w - left - right) / 640, (usable.h - top - bottom) / 480));
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
            // Only a return of the focus resumes after the pause; the window comes up active,
            // and its first focus must not hold back the first frames.
            if (!s.focused) post(MessageKind::size, SIZE_RESTORED);
            s.focused = true;
            break;
        case SDL_WINDOWEVENT_MINIMIZED:
            s.minimized = true;
            lose_mouse();
            post(MessageKind::size, SIZE_MINIMIZED);
            break;
        case SDL_WINDOWEVENT_RESTORED:
            if (s.minimized) post(MessageKind::size, SIZE_RESTORED);
            s.minimized = false;
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
        // Motion over the window moves the cursor over the frame as it is drawn there.
        if (s.mouse_acquired) {
            s.motion_x += scale_motion(e.motion.xrel, k_frame_w, s.view.w, s.motion_rest_x);
            s.motion_y += scale_motion(e.motion.yrel, k_frame_h, s.view.h, s.motion_rest_y);
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

namespace {

// Bring SDL's idea of the window's size back to the real one when a window manager did not do
// what SDL asked (or there is none to do it): a refused full-screen switch becomes a window as
// large as the desktop allows; a refused size is taken as it is. True while they still differ.
bool settle_window_size(SdlState& s, int real_w, int real_h) {
    int sdl_w = 0, sdl_h = 0;
    SDL_GetWindowSize(s.window, &sdl_w, &sdl_h);
    if (sdl_w == real_w && sdl_h == real_h) {
        s.size_mismatch_since = 0;
        return false;
    }
    const uint32_t now = std::max<uint32_t>(SDL_GetTicks(), 1);
    if (s.size_mismatch_since == 0) s.size_mismatch_since = now;
    if (now - s.size_mismatch_since < k_size_settle_ms) return true;
    s.size_mismatch_since = 0;
    if (SDL_GetWindowFlags(s.window) & SDL_WINDOW_FULLSCREEN) {
        s.fullscreen = false;
        SDL_SetWindowFullscreen(s.window, 0);
        size_window_to_desktop(s.window);
    } else {
        SDL_SetWindowSize(s.window, real_w, real_h);
    }
    return true;
}

void copy_frame(SDL_Texture* texture, const Surface& frame, const GammaRamp& gamma) {
    std::array<uint8_t, 256> red, green, blue;
    for (int i = 0; i < 256; ++i) {
        red[i] = static_cast<uint8_t>(gamma.red[i] >> 8);
        green[i] = static_cast<uint8_t>(gamma.green[i] >> 8);
        blue[i] = static_cast<uint8_t>(gamma.blue[i] >> 8);
    }
    void* pixels = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(texture, nullptr, &pixels, &pitch) != 0) return;
    const int bpp = bytes_per_pixel(frame.format);
    for (int y = 0; y < k_frame_h; ++y) {
        const uint8_t* src = frame.row(y);
        auto* dst = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(pixels) + y * pitch);
        for (int x = 0; x < k_frame_w; ++x) {
            uint32_t v = 0;
            std::memcpy(&v, src + x * bpp, bpp);
            const Rgb8 c = bpp == 4 ? Rgb8{static_cast<uint8_t>(v >> 16),
                                           static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)}
                                    : unpack_rgb(frame.format, v);
            dst[x] = 0xFF000000u | uint32_t{red[c.r]} << 16 | uint32_t{green[c.g]} << 8 | blue[c.b];
        }
    }
    SDL_UnlockTexture(texture);
}

} // namespace

void sys_present(const Surface& frame, const GammaRamp& gamma) {
    SdlState& s = sdl_state();
    if (!s.texture || frame.width != k_frame_w || frame.height != k_frame_h) return;
    copy_frame(s.texture, frame, gamma);
    SDL_SetRenderDrawColor(s.renderer, 0, 0, 0, 255);
    SDL_RenderClear(s.renderer);
    // The frame fills the window as it really is now, whatever size was asked for. While SDL's
    // idea of the size is wrong it would draw the frame misplaced: the window stays black.
    int w = 0, h = 0;
    if (sdl_window_pixel_size(s.window, s.renderer, w, h) && !settle_window_size(s, w, h)) {
        int out_w = 0, out_h = 0;
        SDL_GetRendererOutputSize(s.renderer, &out_w, &out_h);
        s.view = fit_frame(k_frame_w, k_frame_h, out_w, out_h);
        const SDL_Rect target{s.view.x, s.view.y, s.view.w, s.view.h};
        SDL_RenderCopy(s.renderer, s.texture, nullptr, &target);
    }
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
        s.motion_rest_x = s.motion_rest_y = 0;
        // The buttons as they are now: one held while the window was away counts as down.
        const Uint32 held = SDL_GetGlobalMouseState(nullptr, nullptr);
        s.buttons[0] = held & SDL_BUTTON_LMASK ? 0x80 : 0;
        s.buttons[1] = held & SDL_BUTTON_RMASK ? 0x80 : 0;
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
