#include "tools/demo/interface_pictures.h"

#include <algorithm>
#include <cmath>

#include "resources/bmp.h"
#include "resources/picture.h"
#include "tools/demo/noise.h"
#include "tools/demo/painter.h"
#include "tools/demo/random.h"

namespace {

const V3d k_gold = rgb8(214, 176, 72);
const V3d k_gold_dark = rgb8(128, 96, 36);
const V3d k_wood = rgb8(112, 76, 44);

// The blob shadow under a character: white where it darkens most, black where it leaves the
// floor alone. The software rasteriser reads it as a 256x256 palette texture and the 3D device
// as an ordinary picture, so it is written in the form both take.
Bmp8Picture shadow_blob() {
    Bmp8Picture p;
    for (int i = 0; i < 256; ++i) p.palette[i][0] = p.palette[i][1] = p.palette[i][2] = uint8_t(i);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            const double dx = (x + 0.5) / 128 - 1, dy = (y + 0.5) / 128 - 1;
            const double v = std::pow(clamp01(1 - std::hypot(dx, dy)), 1.4);
            p.indices[size_t(y) * 256 + size_t(x)] = uint8_t(std::lround(255 * v));
        }
    return p;
}

// A picture for colour-keyed drawing: drawn at `scale` times the size and box-filtered down,
// with every pixel that is not background kept off pure black.
RgbPicture keyed_picture(const Canvas& big, int scale) {
    RgbPicture p = big.downsampled(scale);
    for (size_t i = 0; i < p.rgb.size(); i += 3) {
        const bool empty = p.rgb[i] == 0 && p.rgb[i + 1] == 0 && p.rgb[i + 2] == 0;
        if (empty) continue;
        for (int k = 0; k < 3; ++k)
            if (p.rgb[i + static_cast<size_t>(k)] == 0) p.rgb[i + static_cast<size_t>(k)] = 1;
    }
    return p;
}

void add_bmp(DemoOutput& out, const std::string& path, const RgbPicture& p) {
    out.add(path, encode_bmp24(p));
}

// The subtitle panel's frame: side bars and a top and bottom border with corner knots.
void subtitle_frame(DemoOutput& out) {
    constexpr int s = 4, w = 532;
    auto bars = [&](Canvas& c, double y0, double y1) {
        c.line(5 * s, y0 * s, 5 * s, y1 * s, 2.2 * s, k_gold);
        c.line(526 * s, y0 * s, 526 * s, y1 * s, 2.2 * s, k_gold);
    };
    Canvas up(w * s, 16 * s);
    bars(up, 10, 17);
    up.line(8 * s, 13 * s, 523 * s, 13 * s, 1.6 * s, k_gold);
    for (double x : {5.0, 526.0})
        up.ellipse(x * s, 10 * s, 4 * s, 4 * s, k_gold_dark, s),
            up.ellipse(x * s, 10 * s, 2.4 * s, 2.4 * s, k_gold, s);
    up.ellipse(265 * s, 11 * s, 10 * s, 3 * s, k_gold, s);
    add_bmp(out, "gfx/up.bmp", keyed_picture(up, s));

    Canvas mid(w * s, 16 * s);
    bars(mid, -1, 17);
    add_bmp(out, "gfx/mid.bmp", keyed_picture(mid, s));

    Canvas down(w * s, 21 * s);
    bars(down, -1, 16);
    down.line(8 * s, 17 * s, 523 * s, 17 * s, 1.6 * s, k_gold);
    for (double x : {5.0, 526.0})
        down.ellipse(x * s, 17 * s, 4 * s, 4 * s, k_gold_dark, s),
            down.ellipse(x * s, 17 * s, 2.4 * s, 2.4 * s, k_gold, s);
    add_bmp(out, "gfx/down.bmp", keyed_picture(down, s));
}

// The frame around a 64x64 tool icon drawn at (22, 22).
void tool_frame(DemoOutput& out) {
    constexpr int s = 4;
    Canvas c(108 * s, 108 * s);
    c.fill(8 * s, 8 * s, 100 * s, 100 * s, k_wood, 0.08, 0.3, 501);
    c.fill(18 * s, 18 * s, 90 * s, 90 * s, {0, 0, 0});
    for (double inset : {8.0, 18.0})
        for (int k = 0; k < 4; ++k) {
            const double a = inset, b = 108 - inset;
            const double pts[4][4] = {{a, a, b, a}, {b, a, b, b}, {b, b, a, b}, {a, b, a, a}};
            c.line(pts[k][0] * s, pts[k][1] * s, pts[k][2] * s, pts[k][3] * s, 2 * s, k_gold);
        }
    for (double x : {8.0, 100.0})
        for (double y : {8.0, 100.0})
            c.ellipse(x * s, y * s, 6 * s, 6 * s, k_gold, s),
                c.ellipse(x * s, y * s, 3 * s, 3 * s, rgb8(150, 40, 30), s);
    add_bmp(out, "gfx/ramka2.bmp", keyed_picture(c, s));
}

// The toolbar: a round wooden board behind the shown tool, a parchment for its name, and the
// two button places.
void toolbar(DemoOutput& out) {
    constexpr int s = 2, w = 400;
    Canvas c(w * s, w * s);
    const double cx = 213, cy = 231;
    for (int y = 0; y < w * s; ++y)
        for (int x = 0; x < w * s; ++x) {
            const double dx = x / double(s) - cx, dy = y / double(s) - cy;
            const double r = std::hypot(dx, dy);
            if (r > 150) continue;
            const double grain = 0.5 + 0.5 * std::sin(r * 0.9 + 3 * fbm2(dx / 40, dy / 40, 3, 61));
            V3d col = k_wood * (0.75 + 0.35 * grain);
            if (r > 138)
                col = k_gold * (0.8 + 0.2 * std::cos((r - 144) / 6 * k_pi));
            else if (r < 62 && r > 56)
                col = k_gold_dark;
            c.at(x, y) = col;
        }
    // Parchment for the name, top right.
    for (int y = 10 * s; y < 96 * s; ++y)
        for (int x = 262 * s; x < 370 * s; ++x) {
            const double n = fbm2(x / 30.0, y / 30.0, 4, 62);
            c.at(x, y) = rgb8(226, 206, 160) * (0.9 + 0.12 * n);
        }
    c.line(262 * s, 10 * s, 370 * s, 10 * s, 3 * s, k_gold_dark);
    c.line(262 * s, 96 * s, 370 * s, 96 * s, 3 * s, k_gold_dark);
    add_bmp(out, "gfx/toolbar.bmp", keyed_picture(c, s));

    // Buttons: next (arrow right) and previous (arrow left), each up and pressed.
    constexpr int b = 4;
    Canvas k(48 * b, 152 * b);
    for (int i = 0; i < 4; ++i) {
        const double y0 = 38.0 * i;
        const bool pressed = i % 2 == 1, next = i < 2;
        const V3d face = pressed ? rgb8(170, 130, 50) : rgb8(214, 176, 72);
        k.ellipse(24 * b, (y0 + 19) * b, 21 * b, 16 * b, k_gold_dark, b);
        k.ellipse(24 * b, (y0 + 19) * b, 18 * b, 13 * b, face, b);
        const double dir = next ? 1 : -1, px = 24 + dir * 8;
        k.line((24 - dir * 8) * b, (y0 + 19) * b, px * b, (y0 + 19) * b, 4 * b, rgb8(90, 50, 20));
        k.line(px * b, (y0 + 19) * b, (px - dir * 6) * b, (y0 + 13) * b, 4 * b, rgb8(90, 50, 20));
        k.line(px * b, (y0 + 19) * b, (px - dir * 6) * b, (y0 + 25) * b, 4 * b, rgb8(90, 50, 20));
    }
    add_bmp(out, "gfx/knop.bmp", keyed_picture(k, b));
}

// Cursors: 32 pixels wide, frames of 32 stacked vertically.
Canvas cursor_strip(int frames) {
    return Canvas(32 * 4, 32 * 4 * frames);
}

void cursors(DemoOutput& out) {
    constexpr int s = 4;
    // The arrow.
    {
        Canvas c(24 * s, 24 * s);
        const double pts[][2] = {{1, 1}, {1, 19}, {6, 14}, {10, 22}, {13, 21}, {9, 13}, {16, 13}};
        for (int y = 0; y < 24 * s; ++y)
            for (int x = 0; x < 24 * s; ++x) {
                // Inside the polygon (even-odd rule).
                const double px = (x + 0.5) / s, py = (y + 0.5) / s;
                bool inside = false;
                for (int i = 0, j = 6; i < 7; j = i++)
                    if ((pts[i][1] > py) != (pts[j][1] > py) &&
                        px < (pts[j][0] - pts[i][0]) * (py - pts[i][1]) / (pts[j][1] - pts[i][1]) +
                                 pts[i][0])
                        inside = !inside;
                if (inside) c.at(x, y) = rgb8(250, 236, 190);
            }
        for (int i = 0; i < 7; ++i) {
            const int j = (i + 1) % 7;
            c.line(pts[i][0] * s, pts[i][1] * s, pts[j][0] * s, pts[j][1] * s, 1.4 * s,
                   rgb8(70, 40, 10));
        }
        add_bmp(out, "textures/2str2.bmp", keyed_picture(c, s));
    }
    // Take: a hand that closes and opens.
    {
        constexpr int n = 16;
        Canvas c = cursor_strip(n);
        for (int f = 0; f < n; ++f) {
            const double y0 = 32.0 * f, grip = 0.5 - 0.5 * std::cos(2 * k_pi * f / n);
            const V3d skin = rgb8(236, 196, 156), line = rgb8(110, 60, 30);
            c.ellipse(16 * s, (y0 + 20) * s, 8 * s, 8 * s, line, s);
            c.ellipse(16 * s, (y0 + 20) * s, 6.8 * s, 6.8 * s, skin, s);
            for (int k = 0; k < 4; ++k) {
                const double x = 10.5 + k * 3.6, len = 9 - 5 * grip - (k == 0 || k == 3 ? 1.5 : 0);
                c.line(x * s, (y0 + 16) * s, x * s, (y0 + 16 - len) * s, 3.6 * s, line);
                c.line(x * s, (y0 + 16) * s, x * s, (y0 + 16 - len) * s, 2.2 * s, skin);
            }
            c.line(9 * s, (y0 + 21) * s, (4 + 3 * grip) * s, (y0 + 15 + 2 * grip) * s, 3.8 * s,
                   line);
            c.line(9 * s, (y0 + 21) * s, (4 + 3 * grip) * s, (y0 + 15 + 2 * grip) * s, 2.4 * s,
                   skin);
        }
        add_bmp(out, "textures/hand.bmp", keyed_picture(c, s));
    }
    // Look: a spyglass whose lens glints.
    {
        constexpr int n = 16;
        Canvas c = cursor_strip(n);
        for (int f = 0; f < n; ++f) {
            const double y0 = 32.0 * f, a = 2 * k_pi * f / n;
            c.line(20 * s, (y0 + 20) * s, 29 * s, (y0 + 29) * s, 5 * s, rgb8(110, 70, 30));
            c.ellipse(13 * s, (y0 + 13) * s, 10 * s, 10 * s, k_gold_dark, s);
            c.ellipse(13 * s, (y0 + 13) * s, 8 * s, 8 * s, rgb8(120, 170, 210), s);
            c.ellipse((13 + 4 * std::cos(a)) * s, (y0 + 13 + 4 * std::sin(a)) * s, 2.2 * s, 2.2 * s,
                      rgb8(250, 250, 255), s);
        }
        add_bmp(out, "textures/tube.bmp", keyed_picture(c, s));
    }
    // Use the tool: a hammer that strikes.
    {
        constexpr int n = 9;
        Canvas c = cursor_strip(n);
        for (int f = 0; f < n; ++f) {
            const double y0 = 32.0 * f;
            const double a = -0.9 + 1.2 * std::sin(k_pi * f / n);
            const double hx = 24, hy = y0 + 26;
            const double tx = hx - 17 * std::cos(a), ty = hy - 17 * std::sin(a + 1.2);
            c.line(hx * s, hy * s, tx * s, ty * s, 3 * s, rgb8(140, 96, 50));
            // The head across the handle's end.
            const double len = std::hypot(tx - hx, ty - hy);
            const double px = -(ty - hy) / len, py = (tx - hx) / len;
            c.line((tx - 5 * px) * s, (ty - 5 * py) * s, (tx + 5 * px) * s, (ty + 5 * py) * s,
                   6 * s, rgb8(150, 150, 160));
        }
        add_bmp(out, "textures/mlot.bmp", keyed_picture(c, s));
    }
    // Exit: a compass whose needle swings round.
    {
        constexpr int n = 16;
        Canvas c = cursor_strip(n);
        for (int f = 0; f < n; ++f) {
            const double y0 = 32.0 * f, a = 2 * k_pi * f / n;
            c.ellipse(16 * s, (y0 + 16) * s, 14 * s, 14 * s, k_gold_dark, s);
            c.ellipse(16 * s, (y0 + 16) * s, 12 * s, 12 * s, rgb8(236, 226, 196), s);
            const double dx = std::sin(a) * 10, dy = -std::cos(a) * 10;
            c.line(16 * s, (y0 + 16) * s, (16 + dx) * s, (y0 + 16 + dy) * s, 3 * s,
                   rgb8(200, 40, 30));
            c.line(16 * s, (y0 + 16) * s, (16 - dx) * s, (y0 + 16 - dy) * s, 3 * s,
                   rgb8(60, 60, 80));
            c.ellipse(16 * s, (y0 + 16) * s, 2 * s, 2 * s, k_gold, s);
        }
        add_bmp(out, "textures/comp_c.bmp", keyed_picture(c, s));
    }
    // Talk: a speech bubble with dots.
    {
        constexpr int n = 8;
        Canvas c = cursor_strip(n);
        for (int f = 0; f < n; ++f) {
            const double y0 = 32.0 * f;
            c.ellipse(16 * s, (y0 + 13) * s, 14 * s, 10 * s, rgb8(90, 70, 50), s);
            c.ellipse(16 * s, (y0 + 13) * s, 12.5 * s, 8.5 * s, rgb8(250, 246, 230), s);
            c.line(10 * s, (y0 + 20) * s, 6 * s, (y0 + 29) * s, 3 * s, rgb8(90, 70, 50));
            for (int d = 0; d < 3; ++d) {
                const bool lit = d <= (f % 4) - 1 || f % 4 == 3;
                c.ellipse((9 + 7 * d) * s, (y0 + 13) * s, 2.2 * s, 2.2 * s,
                          lit ? rgb8(60, 40, 30) : rgb8(200, 190, 170), s);
            }
        }
        add_bmp(out, "textures/tlk.bmp", keyed_picture(c, s));
    }
}

// A tongue of flame: 1 inside a soft drop pointed at the top, centred at u0 with half-width w,
// its widest point at v = vm, reaching up `up` and down `down` from there.
double tongue(double u, double v, double u0, double w, double vm, double up, double down) {
    const double dv = v - vm;
    const double reach = dv < 0 ? up : down;
    const double taper = dv < 0 ? 0.35 + 0.65 * clamp01(1 + dv / up) : 1.0;
    return std::pow(clamp01(1 - std::hypot((u - u0) / (w * taper), dv / reach)), 1.2);
}

// A patch of flames for additive drawing: a tall tongue with two smaller ones at its sides,
// yellow where they are hottest and red at their rims, black (no effect) around them. A fire is
// many of them overlapping, rising and shrinking, so the overlaps burn yellow-white and the
// edges stay red.
Canvas flame_tongue(int size, uint32_t seed, double strength) {
    Canvas c(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const double u = (x + 0.5) / size * 2 - 1, v = (y + 0.5) / size; // v: 0 top
            const double wobble = 0.1 * fbm2(u * 2, v * 3, 3, seed) * (1 - v);
            const double uw = u - wobble;
            const double body = std::max({tongue(uw, v, 0.0, 0.42, 0.66, 0.62, 0.3),
                                          0.8 * tongue(uw, v, -0.5, 0.3, 0.74, 0.36, 0.22),
                                          0.75 * tongue(uw, v, 0.52, 0.28, 0.76, 0.32, 0.2)});
            const double heat = clamp01(body * 1.3);
            c.at(x, y) =
                V3d{1.0, 0.28 + 0.52 * heat, 0.04 + 0.3 * heat * heat} * (body * 0.85 * strength);
        }
    return c;
}

// Effect textures for additive or shading use: dark means no effect.
void effect_textures(DemoOutput& out) {
    auto radial = [](int size, const V3d& colour, double power, uint32_t seed, double flicker) {
        Canvas c(size, size);
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const double dx = (x + 0.5) / size * 2 - 1, dy = (y + 0.5) / size * 2 - 1;
                const double r = std::hypot(dx, dy);
                double v = std::pow(clamp01(1 - r), power);
                if (flicker > 0) v *= 1 + flicker * fbm2(dx * 3, dy * 3, 3, seed);
                c.at(x, y) = colour * clamp01(v);
            }
        return c;
    };
    out.add("textures/glow.bmp",
            encode_bmp24(radial(128, rgb8(255, 220, 150), 1.6, 0, 0).picture()));
    out.add("textures/shade.bmp", encode_bmp8(shadow_blob()));
    out.add("textures/smoke.bmp",
            encode_bmp24(radial(64, rgb8(190, 186, 180), 1.2, 71, 0.6).picture()));
    out.add("textures/galo.bmp",
            encode_bmp24(radial(64, rgb8(255, 200, 120), 2.0, 0, 0).picture()));

    out.add("textures/fire.bmp", encode_bmp24(flame_tongue(64, 81, 1.0).picture()));
    // Fire frames: frame n is the flame pre-scaled to (32 - 2n) pixels square. The software path
    // adds them as they are, where the device modulates the texture by its flame colour 0xA0,
    // so the frames carry that factor to look alike on both paths.
    for (int n = 0; n < k_fire_frame_count; ++n) {
        const int side = 32 - 2 * n;
        const Canvas big = flame_tongue(side * 4, 81, 160.0 / 255);
        out.add(fire_frame_path(n), encode_fire_frame(big.downsampled(4)));
    }
}

} // namespace

void make_interface_pictures(DemoOutput& out) {
    subtitle_frame(out);
    tool_frame(out);
    toolbar(out);
    cursors(out);
    effect_textures(out);
}
