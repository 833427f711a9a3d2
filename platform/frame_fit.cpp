#include "platform/frame_fit.h"

FrameRect fit_frame(int frame_w, int frame_h, int out_w, int out_h) {
    if (frame_w <= 0 || frame_h <= 0 || out_w <= 0 || out_h <= 0) return {};
    FrameRect r;
    // Full width when the window is at least as tall as the frame's proportions; else full height.
    if (int64_t{out_w} * frame_h <= int64_t{out_h} * frame_w) {
        r.w = out_w;
        r.h = static_cast<int>(int64_t{out_w} * frame_h / frame_w);
    } else {
        r.h = out_h;
        r.w = static_cast<int>(int64_t{out_h} * frame_w / frame_h);
    }
    r.x = (out_w - r.w) / 2;
    r.y = (out_h - r.h) / 2;
    return r;
}

int scale_motion(int delta, int frame_size, int view_size, int64_t& remainder) {
    if (view_size <= 0 || frame_size <= 0) return delta;
    const int64_t total = remainder + int64_t{delta} * frame_size;
    const int64_t whole = total / view_size; // towards zero: the remainder keeps the sign
    remainder = total - whole * view_size;
    return static_cast<int>(whole);
}
