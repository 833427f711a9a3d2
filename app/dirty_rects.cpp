#include "app/dirty_rects.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int k_width = 640;
constexpr int k_height = 480;

bool clamp_rect(int& l, int& r, int& t, int& b) {
    l = std::max(l, 0);
    t = std::max(t, 0);
    r = std::min(r, k_width - 1);
    b = std::min(b, k_height - 1);
    return l <= r && t <= b;
}

} // namespace

void add_dirty_rect(DirtyList& list, int32_t left, int32_t right, int32_t top, int32_t bottom,
                    int32_t kind, int32_t raster_word, const std::array<int32_t, 4>& margins) {
    if (right < left || bottom < top) return;
    for (DirtyRect& e : list) {
        if (e.in_use != 0) continue;
        e = {1, left, right, top, bottom, kind, raster_word, margins};
        return;
    }
}

void present_dirty_rects(const DirtyList& list, const DirtyBuffers& buffers, uint8_t* frame,
                         int pitch, int display_bpp) {
    if (frame == nullptr || buffers.picture_rgb32.size() < size_t(k_width * k_height * 4)) return;
    for (const DirtyRect& e : list) {
        if (e.in_use == 0) break;
        if (e.kind == k_dirty_depth) continue;
        int l = e.left - e.margins[0], r = e.right + e.margins[1];
        int t = e.top - e.margins[2], b = e.bottom + e.margins[3];
        if (!clamp_rect(l, r, t, b)) continue;
        for (int y = t; y <= b; ++y) {
            const uint8_t* src = buffers.picture_rgb32.data() + (size_t(y) * k_width) * 4;
            uint8_t* dst = frame + size_t(y) * size_t(pitch);
            for (int x = l; x <= r; ++x) {
                const uint32_t blue = src[x * 4], green = src[x * 4 + 1], red = src[x * 4 + 2];
                if (display_bpp == 32) {
                    std::memcpy(dst + x * 4, src + x * 4, 4);
                } else {
                    const uint16_t v =
                        display_bpp == 16
                            ? uint16_t((blue >> 3) | ((green >> 2) << 5) | ((red >> 3) << 11))
                            : uint16_t((blue >> 3) | ((green >> 3) << 5) | ((red >> 3) << 10));
                    std::memcpy(dst + x * 2, &v, 2);
                }
            }
        }
    }
}

void restore_dirty_rects(DirtyList& list, const DirtyBuffers& buffers) {
    const size_t pixels = size_t(k_width) * k_height;
    const bool colour_ok =
        buffers.picture_rgb32.size() >= pixels * 4 && buffers.picture_work.size() >= pixels * 4;
    const bool depth_ok = buffers.depth16.size() >= pixels && buffers.depth16_copy.size() >= pixels;
    for (DirtyRect& e : list) {
        if (e.in_use == 0) continue;
        e.in_use = 0;
        int l = e.left, r = e.right, t = e.top, b = e.bottom;
        if (!clamp_rect(l, r, t, b)) continue;
        for (int y = t; y <= b; ++y) {
            const size_t at = size_t(y) * k_width + size_t(l);
            const size_t n = size_t(r - l + 1);
            if (e.kind != k_dirty_depth && colour_ok)
                std::memcpy(buffers.picture_rgb32.data() + at * 4,
                            buffers.picture_work.data() + at * 4, n * 4);
            if (e.kind != k_dirty_colour && depth_ok)
                std::memcpy(buffers.depth16.data() + at, buffers.depth16_copy.data() + at, n * 2);
        }
    }
}
