// The narrow interface between the game and the machine.
//
// Every function here is implemented once per backend (platform/sdl for a real window and sound
// device, platform/headless for scripted runs), and the backend is chosen at link time. The game
// never includes a backend header; the shared CPU parts (surfaces, display, files, text layout)
// build on these calls.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/dialog.h"
#include "platform/display.h"

// ---- Window and messages -------------------------------------------------------------------

enum class MessageKind {
    quit,      // ends the main loop at once; wparam is the exit code
    destroy,   // the window is going away
    close,     // the user asked to close the window
    size,      // wparam: one of the SIZE_* values
    activate,  // the window lost its activation
    key_down,  // wparam: Windows virtual-key code
    character, // wparam: code page 1251 character code
};

enum SizeKind : uint32_t {
    SIZE_RESTORED = 0,
    SIZE_MINIMIZED = 1,
    SIZE_MAXHIDE = 4, // hidden because another window was maximised
};

struct Message {
    MessageKind kind = MessageKind::quit;
    uint32_t wparam = 0;
};

// Create the game's window; it stays hidden until a display mode is set.
bool sys_create_window(const char* title);
void sys_destroy_window();

bool sys_peek_message();   // a message is waiting
Message sys_get_message(); // take the next message, blocking until one arrives
void sys_wait_message();   // block until a message is waiting
bool sys_wait_message_until(uint32_t deadline_ms); // false when the deadline passed first
void sys_post_message(const Message& m);

// ---- Time --------------------------------------------------------------------------------------

// Milliseconds since an arbitrary start, wrapping at 2^32.
uint32_t sys_milliseconds();
// Return once the clock has reached deadline_ms. May sleep for most of the wait.
void sys_wait_until(uint32_t deadline_ms);

// ---- Display -----------------------------------------------------------------------------------

struct DisplayCaps {
    uint64_t video_memory_total = 0;
    bool supports_32_bits = true;
    bool sixteen_bit_is_555 = false;
    // The 3D device: whether it can render into a 32-bit and into a 16-bit back buffer, and
    // whether it offers a depth format with a stencil.
    bool device_32_bits = true;
    bool device_16_bits = true;
    bool device_stencil = true;
};

bool sys_display_caps(DisplayCaps& caps);
bool sys_display_set_mode(int width, int height, int bits);
// Show a frame. The gamma ramp maps each 8-bit channel (high byte of the ramp entry).
void sys_present(const Surface& frame, const GammaRamp& gamma);

// ---- Mouse -------------------------------------------------------------------------------------

struct MouseState {
    int32_t dx = 0, dy = 0, wheel = 0;
    uint8_t buttons[4] = {}; // bit 7 set = down; 0 left, 1 right
};

enum class MouseRead {
    ok,
    input_lost,
    failed
};

bool sys_mouse_create();
bool sys_mouse_acquire(); // fails while the window does not have the focus
void sys_mouse_unacquire();
MouseRead sys_mouse_read(MouseState& state);
void sys_mouse_release();

// ---- Dialogs -----------------------------------------------------------------------------------

enum class MessageBoxIcon {
    none,
    error
};

void sys_message_box(const char* text, const char* caption, MessageBoxIcon icon);

// Run a modal dialog until its procedure ends it; returns the procedure's result.
int sys_dialog_box(const DialogTemplate& dialog, DialogState& state, const DialogProc& proc);

// ---- Sound -------------------------------------------------------------------------------------

struct Mixer;

// Open the sound device at 44.1 kHz stereo 16-bit and start playing what the returned mixer
// mixes (platform/mixer.h). Null when the machine has no sound device or it fails to open: the
// game then runs silent. The mixer belongs to the backend and lives until sys_sound_close.
Mixer* sys_sound_open();
void sys_sound_close();
