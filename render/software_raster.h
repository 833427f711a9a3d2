// The software rasteriser: the whole character renderer when no 3D device is used.
//
// Triangles of pre-projected vertices (screen x and y in pixels, depth 0..65535, diffuse and
// specular colours) are scan-converted into the locked back buffer with Gouraud colours, affine
// texturing from a 256x256 palette texture, a 16-bit depth test against (and depth writes into)
// the scene's depth picture, and optional flat fog per triangle. The same machinery darkens the
// software frame picture under blob shadows, draws spark lines and the puzzle's textured quads.
//
// Attributes are fixed point: colours 8.8 per channel, depth 16.16, texture coordinates texel
// position x 256 (0..65535 spans the texture). In screen vertices of this path every field holds
// a whole number; u and v hold texel position x 256.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "render/division_tables.h"
#include "resources/model.h"
#include "resources/picture.h"

// Where the rasteriser draws.
struct SoftwareTargets {
    uint8_t* frame = nullptr; // the locked back buffer
    int pitch = 0;
    int bpp = 32;                     // 32, 16 (5-6-5) or 15 (5-5-5)
    std::span<uint16_t> depth16;      // 640x480, the scene depth the characters test and write
    std::span<uint8_t> picture_rgb32; // 640x480 blue, green, red, x: the blob shadows' target
};

struct EdgeEntry {
    int32_t x = 0;
    std::array<int32_t, 4> colour{}; // blue, green, red, alpha, 8.8
    uint32_t depth = 0;              // unsigned 16.16: the whole range 0..65535 of the depths
    int32_t u = 0, v = 0;            // texel position x 256
};

// A rectangle as the trackers keep it.
struct TrackedRect {
    int32_t max_x = 0, max_y = 0, min_x = 639, min_y = 479;
    void reset() { *this = TrackedRect{}; }
    void include(const TrackedRect& r);
    bool empty() const { return max_x < min_x || max_y < min_y; }
};

struct SoftwareRaster {
    int32_t cull = 0;                        // nonzero: one winding is culled
    const PaletteTexture* texture = nullptr; // current texture
    uint32_t fog_colour = 0;                 // 0x00RRGGBB
    bool fog_used = false;
    TrackedRect triangle; // rows and spans of the triangle being drawn
    TrackedRect actor;    // everything drawn since the caller reset it
    std::vector<EdgeEntry> table_a = std::vector<EdgeEntry>(480);
    std::vector<EdgeEntry> table_b = std::vector<EdgeEntry>(480);
    DivisionTables division;
    SoftwareRaster() { build_division_tables(division); }
};

// One edge into a table. Equal y writes nothing; the edge is clipped to rows 0..479.
void scan_edge(SoftwareRaster& r, const ScreenVertex& p, const ScreenVertex& q,
               std::vector<EdgeEntry>& table);

// A model part's triangles through its corner indices, with culling, the depth range test and
// the quick rejection against the scene depth. Texture coordinates come from the part's
// fixed-point coordinates.
void draw_part_software(SoftwareRaster& r, const SoftwareTargets& t, const ModelPart& part);

// Triangle strip darkening the frame picture where it lies in front of the scene depth.
void draw_strip_software(SoftwareRaster& r, const SoftwareTargets& t,
                         std::span<const ScreenVertex> q);

// Triangle strip of screen vertices straight into the back buffer: no depth test, no culling,
// black texels left undrawn.
void draw_textured_strip_software(SoftwareRaster& r, const SoftwareTargets& t,
                                  std::span<const ScreenVertex> q);

// Connected line segments in the diffuse colour, hidden where the scene depth is nearer.
void draw_lines_software(SoftwareRaster& r, const SoftwareTargets& t,
                         std::span<const ScreenVertex> p);

// 8-bit blue, green, red into a pixel of the back buffer's format.
uint32_t pack_pixel(int bpp, uint32_t b, uint32_t g, uint32_t red);
