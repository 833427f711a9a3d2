// Where the game's fixed-size frame goes in a window of any size, and how the mouse's motion
// over that window maps back onto the frame.
//
// The window may have any size whatever the game asked for: a full-screen request can be refused
// or granted late, a tiling window manager chooses the size itself, the player can resize it. The
// frame is drawn as large as fits with its proportions kept, centred, the rest left black.
#pragma once

#include <cstdint>

struct FrameRect {
    int x = 0, y = 0, w = 0, h = 0;
    bool operator==(const FrameRect&) const = default;
};

// The largest frame_w:frame_h rectangle inside out_w x out_h, centred; empty when either is 0.
FrameRect fit_frame(int frame_w, int frame_h, int out_w, int out_h);

// Motion of `delta` window pixels across a view `view_size` pixels wide that shows `frame_size`
// frame pixels, in frame pixels. `remainder` carries what does not make a whole frame pixel to the
// next call, so slow motion over a magnified frame is not lost. A view of 0 passes the motion on.
int scale_motion(int delta, int frame_size, int view_size, int64_t& remainder);
