// The headless machine: no window, no sound output (the mixer still runs, and what it mixes can
// be captured), a virtual millisecond clock that jumps to the deadline whenever the game waits,
// and input that a driver (the scripted runner, a test) feeds in. The driver is called back
// whenever the game looks for input and finds none queued.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/mixer.h"
#include "platform/system.h"

namespace headless {

// What the machine pretends to be. Set before the program starts.
struct Knobs {
    uint64_t video_memory = 64ull << 20;
    bool supports_32_bits = true;
    bool rgb555 = false; // the 16-bit mode is 5-5-5 instead of 5-6-5
    bool sound = true;
    // The 3D device: full (32 and 16 bits), no32 (16 bits only) or none; and whether its depth
    // formats include one with a stencil.
    bool device_32_bits = true;
    bool device_16_bits = true;
    bool device_stencil = true;
};

// Where the game was when it asked the driver for input.
enum class PumpPoint {
    poll,   // the main loop looked for a message (once per loop turn)
    block,  // the program blocks until a message arrives
    dialog, // a modal dialog opened; answers queued now apply to it
};

struct DialogAnswer {
    enum Kind {
        check,
        click,
        ok
    } kind = ok;
    int id = 0;
    int value = 0;
};

struct Machine {
    Knobs knobs;
    uint32_t clock_ms = 0;
    std::function<void(PumpPoint)> pump;

    std::deque<Message> queue;
    bool window_exists = false;
    bool focused = true;
    int display_bits = 0;

    bool mouse_created = false;
    bool mouse_acquired = false;
    MouseState motion; // accumulated until the next read
    uint8_t buttons[4] = {};

    int dialogs_shown = 0;
    std::vector<DialogAnswer> answers;
    std::vector<std::string> message_boxes;

    // The frame last presented, as it was in the display's format, with its gamma ramp.
    bool has_frame = false;
    std::vector<uint8_t> frame;
    int frame_width = 0, frame_height = 0, frame_pitch = 0;
    PixelFormat frame_format;
    GammaRamp frame_gamma;

    // Set when the program blocked for input that the driver did not give.
    bool stalled = false;

    // The sound device, while it is open: its mixer runs on the virtual clock, one frame per
    // 1/44,100 s of it from the moment the device opened.
    std::unique_ptr<Mixer> mixer;
    uint32_t sound_opened_ms = 0;
    uint64_t sound_frames = 0; // frames mixed since the device opened
    // With capture on, everything mixed is kept (interleaved stereo) for write_capture.
    bool capture = false;
    std::vector<int16_t> captured;
};

Machine& machine();

// Window events as the desktop would send them.
void window_minimize();
void window_restore();
void window_deactivate();
void window_activate();

// Relative motion and buttons for the next mouse reads.
void mouse_move(int dx, int dy);
void mouse_button(int button, bool down);

// Mix what the sound device has played up to the clock's present time.
void mix_to_clock();

// Everything captured, as a 44.1 kHz stereo 16-bit wave file written whole (a temporary file
// renamed into place). False when it cannot be written.
bool write_capture(const std::string& path);

// The last presented frame converted to 8-bit RGB with its gamma ramp applied, rows top first.
std::vector<uint8_t> presented_rgb(int& width, int& height);

} // namespace headless
