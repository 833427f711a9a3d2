#include "app/dirty_rects.h"
#include "app/smoothing.h"

#include <vector>

#include <gtest/gtest.h>

namespace {

struct SmoothRig {
    int bpp;
    SurfacePtr back, work;
    std::vector<uint8_t> ref32 = std::vector<uint8_t>(640 * 480 * 4, 0);
    std::vector<uint16_t> ref16 = std::vector<uint16_t>(640 * 480, 0);
    explicit SmoothRig(int bits = 32) : bpp(bits) {
        const PixelFormat f = bits == 32   ? k_format_xrgb8888
                              : bits == 16 ? k_format_rgb565
                                           : k_format_rgb555;
        back = make_system_surface(640, 480, f);
        work = make_system_surface(640, 480, f);
    }
    void smooth(SmoothList& list, int mode) {
        smooth_outlines(list, mode, bpp, *back, *work, {ref32, ref16});
    }
};

} // namespace

TEST(Smoothing, AddingRectanglesMarginsAndTheThirtyThird) {
    SmoothList list{};
    add_smooth_rect(list, 2, 100, 1, 479, 50);
    EXPECT_EQ(list[0].left, 0);
    EXPECT_EQ(list[0].right, 103);
    EXPECT_EQ(list[0].top, 48);
    EXPECT_EQ(list[0].bottom, 479);
    for (int i = 1; i < 33; ++i) add_smooth_rect(list, 2, 100 + i, 10, 100, 10);
    EXPECT_EQ(list[31].right, 134);
    for (const SmoothRect& e : list) EXPECT_NE(e.right, 135); // the 33rd was dropped
    SmoothList off{};
    add_smooth_rect(off, 0, 100, 10, 100, 10);
    EXPECT_EQ(off[0].mode, 0);
}

TEST(Smoothing, ThresholdOfTheEdgesModeAtThirtyTwoBits) {
    // A run whose interior pixel (11) has a right neighbour whose channel sum is 128 or 127
    // higher.
    for (int diff : {128, 127}) {
        SmoothRig rig;
        const int y = 20;
        surface_set_pixel(*rig.back, 10, y, 0x000000FF);
        surface_set_pixel(*rig.back, 11, y, 0x000000FF);
        // Right neighbour: blue 255, green diff (sum differs by diff).
        surface_set_pixel(*rig.back, 12, y, 0x000000FFu | (uint32_t(diff) << 8));
        surface_set_pixel(*rig.back, 13, y, 0x000000FF);
        SmoothList list{};
        add_smooth_rect(list, 1, 30, 10, 40, 10);
        rig.smooth(list, 1);
        const bool changed = surface_pixel(*rig.back, 11, y) != 0x000000FF;
        EXPECT_EQ(changed, diff == 128) << diff;
        EXPECT_EQ(list[0].mode, 0); // processed and freed
    }
}

TEST(Smoothing, ContourModeChangesOnlyTheEndsAndNarrowRectanglesAreSkipped) {
    SmoothRig rig;
    for (int x = 20; x < 30; ++x) surface_set_pixel(*rig.back, x, 20, 0x00FFFFFF);
    SmoothList list{};
    add_smooth_rect(list, 3, 40, 16, 30, 14);
    rig.smooth(list, 3);
    EXPECT_NE(surface_pixel(*rig.back, 20, 20), 0x00FFFFFFu);
    EXPECT_NE(surface_pixel(*rig.back, 29, 20), 0x00FFFFFFu);
    for (int x = 21; x < 29; ++x) EXPECT_EQ(surface_pixel(*rig.back, x, 20), 0x00FFFFFFu) << x;
    // Full mode at 16 bits blends the interior without a threshold.
    SmoothRig rig16(16);
    for (int x = 20; x < 30; ++x) surface_set_pixel(*rig16.back, x, 20, 0xFFFF);
    SmoothList full{};
    add_smooth_rect(full, 2, 40, 16, 30, 14);
    rig16.smooth(full, 2);
    EXPECT_NE(surface_pixel(*rig16.back, 24, 20), 0xFFFFu);
    // Inner width 0: the rectangle is left alone (the margins widen it, so ask for a raw entry).
    SmoothRig narrow;
    surface_set_pixel(*narrow.back, 21, 21, 0x00FFFFFF);
    SmoothList one{};
    one[0] = {1, 20, 22, 20, 30};
    narrow.smooth(one, 1);
    EXPECT_EQ(surface_pixel(*narrow.back, 21, 21), 0x00FFFFFFu);
    EXPECT_EQ(one[0].mode, 0);
}

TEST(DirtyRects, PresentAndRestoreByKind) {
    std::vector<uint8_t> frame_picture(640 * 480 * 4, 0), clean(640 * 480 * 4, 9);
    std::vector<uint16_t> depth(640 * 480, 5), depth_copy(640 * 480, 7);
    for (size_t i = 0; i < frame_picture.size(); i += 4) frame_picture[i + 2] = 0xF8; // red
    const DirtyBuffers buffers{frame_picture, clean, depth, depth_copy};
    DirtyList list{};
    add_dirty_rect(list, 10, 20, 10, 20, k_dirty_colour, 0, {2, 0, 0, 0});
    add_dirty_rect(list, 100, 110, 100, 110, k_dirty_depth, 0, {});
    add_dirty_rect(list, 5, 1, 5, 9, k_dirty_colour, 0, {}); // empty: not entered
    EXPECT_EQ(list[2].in_use, 0);
    std::vector<uint16_t> screen(640 * 480, 0);
    present_dirty_rects(list, buffers, reinterpret_cast<uint8_t*>(screen.data()), 1280, 16);
    EXPECT_EQ(screen[10 * 640 + 8], 0xF800); // widened by its left margin
    EXPECT_EQ(screen[10 * 640 + 7], 0);
    EXPECT_EQ(screen[100 * 640 + 100], 0); // depth only: not presented
    restore_dirty_rects(list, buffers);
    EXPECT_EQ(frame_picture[(15 * 640 + 15) * 4], 9);
    EXPECT_EQ(depth[15 * 640 + 15], 5);
    EXPECT_EQ(depth[105 * 640 + 105], 7);
    EXPECT_EQ(frame_picture[(105 * 640 + 105) * 4 + 2], 0xF8);
    EXPECT_EQ(list[0].in_use, 0);
}
