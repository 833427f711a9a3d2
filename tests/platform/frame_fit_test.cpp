// The frame's place in windows of any size, and mouse motion scaled back onto the frame.
#include <gtest/gtest.h>

#include "platform/frame_fit.h"

TEST(FrameFit, LargestCentredFourByThreeRectangle) {
    struct Case {
        int w, h;
        FrameRect want;
    };
    for (const Case& c : {
             Case{640, 480, {0, 0, 640, 480}},
             Case{1280, 960, {0, 0, 1280, 960}},
             Case{1280, 1024, {0, 32, 1280, 960}},   // bars above and below
             Case{1920, 1080, {240, 0, 1440, 1080}}, // bars left and right
             Case{641, 480, {0, 0, 640, 480}},       // an odd pixel stays black
             Case{3, 1, {1, 0, 1, 1}},
             Case{0, 480, {}},
             Case{640, -1, {}},
         }) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h);
        EXPECT_EQ(fit_frame(640, 480, c.w, c.h), c.want);
    }
}

TEST(FrameFit, MotionKeepsItsFractionsAcrossCalls) {
    // Twice magnified: one window pixel is half a frame pixel, so two make one.
    int64_t rest = 0;
    int total = 0;
    for (int i = 0; i < 7; ++i) total += scale_motion(1, 640, 1280, rest);
    EXPECT_EQ(total, 3);
    total += scale_motion(1, 640, 1280, rest);
    EXPECT_EQ(total, 4);
    // Back the other way returns to the start exactly.
    for (int i = 0; i < 8; ++i) total += scale_motion(-1, 640, 1280, rest);
    EXPECT_EQ(total, 0);
    EXPECT_EQ(rest, 0);
    // A frame shown smaller than itself moves faster; without a view the motion passes as it is.
    EXPECT_EQ(scale_motion(10, 640, 320, rest), 20);
    EXPECT_EQ(scale_motion(10, 640, 0, rest), 10);
}
