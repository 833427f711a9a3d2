// A small painter for the generator's textures and interface pictures: a float RGB canvas with
// fills, soft shapes and noise, and the conversions to the picture formats the game reads
// (24-bit pictures, and 8-bit pictures with a palette made for them).
#pragma once

#include <cstdint>
#include <vector>

#include "resources/bmp.h"
#include "resources/rgb_picture.h"
#include "tools/demo/vec.h"

class Canvas {
public:
    Canvas(int w, int h, const V3d& colour = {0, 0, 0});

    int width() const { return w_; }
    int height() const { return h_; }
    V3d& at(int x, int y) { return px_[static_cast<size_t>(y) * w_ + x]; }
    const V3d& at(int x, int y) const { return px_[static_cast<size_t>(y) * w_ + x]; }

    // Colours are sRGB, 0..1. `grain` adds noise of that amplitude (fine, per pixel) and
    // `mottle` broader patches, both deterministic in `seed`.
    void fill(int x0, int y0, int x1, int y1, const V3d& colour, double grain = 0,
              double mottle = 0, uint32_t seed = 1);
    // A filled ellipse with a soft edge `soft` pixels wide, blended with `alpha`.
    void ellipse(double cx, double cy, double rx, double ry, const V3d& colour, double soft = 1,
                 double alpha = 1);
    // A thick line with round ends.
    void line(double x0, double y0, double x1, double y1, double width, const V3d& colour,
              double alpha = 1);
    // Multiply a rectangle by a vertical gradient from `top` to `bottom` factors.
    void shade(int x0, int y0, int x1, int y1, double top, double bottom);
    // Weave texture: darken every other thread a little.
    void weave(int x0, int y0, int x1, int y1, int pitch, double amount);

    RgbPicture picture() const;
    // Box-filtered to a smaller square size (both sides divided by the same whole factor).
    RgbPicture downsampled(int factor) const;

private:
    int w_, h_;
    std::vector<V3d> px_;
};

// A 256x256 picture with a palette of at most 256 colours chosen for it (median cut), each
// pixel the nearest palette colour.
Bmp8Picture quantize(const RgbPicture& picture);

V3d rgb8(int r, int g, int b); // sRGB bytes to 0..1
