// What one game pass hands from step to step, and the fade and click latches that carry over
// from pass to pass.
#pragma once

#include <cstdint>

#include "platform/surface.h"

struct FrameState {
    double frame_start = 0; // seconds, taken at the start of the pass
    int32_t scene_at_frame_start = -1;
    // 0 no fade; 1..300 (as unsigned) fading in; anything else fading out (written as -1).
    int32_t fade_state = 0;
    int32_t fade_level = 0;  // slope of the gamma ramps during a fade, 0..gamma_level
    int32_t script_fade = 0; // the slower fade scene scripts drive: 0 none, 1 in, -1 out
    int32_t LeftKey = 0;     // a left click has been consumed; cleared while the button is up
    int32_t right_latch = 0; // the right button was already down
    int32_t closeup_active = 0;
    SurfacePtr closeup_picture;
    int32_t strip_signal = -1; // end signal of a strip that ran out this pass, -1 none
    int32_t final_ending_shown =
        0; // the menu opened once after the last story; a new game clears it
    // The back buffer locked for the software path between the begin and end of drawing.
    uint8_t* locked_bits = nullptr;
    int locked_pitch = 0;
};

// Fading out, read the way the fade machine reads `fade_state`.
inline bool fading_out(int32_t fade_state) {
    return static_cast<uint32_t>(fade_state) > 300u;
}
