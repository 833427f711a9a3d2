// Golden images: a rendered picture compared with a reference PNG under tests/golden/.
//
// Pixels may differ by a small tolerance per channel (rounding in colour arithmetic), and a few
// pixels a little more (edges). On a failure the actual picture and a difference picture are
// written under <build>/golden/, named after the reference, to look at. With the environment
// variable VANTOR_UPDATE_GOLDEN=1 the reference is (re)written from the actual picture instead,
// and the comparison passes.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/surface.h"
#include "tools/common/png_image.h"

struct GoldenTolerance {
    int channel = 3;              // largest difference of a channel that counts as equal
    double outlier_share = 0.001; // share of pixels that may differ by more
};

::testing::AssertionResult matches_golden(const std::string& name, const RgbImage& actual,
                                          const GoldenTolerance& tolerance = {});

// The reference picture's file.
std::string golden_path(const std::string& name);
// Pixels whose largest channel difference exceeds `channel` (all of them for pictures of two
// sizes).
size_t differing_pixels(const RgbImage& a, const RgbImage& b, int channel);

// A surface of an RGB format as 8-bit red, green, blue, rows top first.
RgbImage surface_to_rgb(const Surface& surface);
