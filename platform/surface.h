// Surfaces: rectangles of pixels in one pixel format, in video or system memory.
//
// All drawing of the game goes through these: locks for direct pixel access, fast and stretched
// copies (with or without the source colour key, where black is transparent), colour fills. The
// operations answer the way the display hardware of the game's era did, including "surface lost"
// (the contents are gone until restored and redrawn) and "surface busy" (the surface is locked),
// because the game's recovery paths depend on those answers.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/pixel_format.h"

enum class Result {
    ok,
    failed,
    surface_lost,
    surface_busy,
    still_drawing,
    out_of_video_memory,
    invalid_rect,
    wrong_format,
};

enum class Memory {
    video,
    system,
    anywhere
};

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const Rect&) const = default;
};

struct VideoMemoryPool;
struct Surface;

// Releasing a surface returns its video memory to the display that made it.
struct SurfaceDeleter {
    void operator()(Surface* s) const;
};

// Owning handle of a surface.
using SurfacePtr = std::unique_ptr<Surface, SurfaceDeleter>;

struct Surface {
    int width = 0;
    int height = 0;
    int pitch = 0; // bytes from one row to the next
    PixelFormat format;
    Memory memory = Memory::system;
    std::vector<uint8_t> pixels;
    bool lost = false;
    int lock_count = 0;

    // The flip chain: a primary surface owns its back buffers; chain[0] is the one the game draws
    // into ("the attached back buffer").
    std::vector<SurfacePtr> chain;

    std::shared_ptr<VideoMemoryPool> pool; // set for surfaces that count against video memory
    size_t video_bytes = 0;

    uint8_t* row(int y) { return pixels.data() + static_cast<size_t>(y) * pitch; }
    const uint8_t* row(int y) const { return pixels.data() + static_cast<size_t>(y) * pitch; }
    Rect bounds() const { return {0, 0, width, height}; }
};

// A surface outside any display (system memory, not accounted): pictures being converted, tests.
SurfacePtr make_system_surface(int width, int height, const PixelFormat& format);

struct LockedRect {
    uint8_t* bits = nullptr;
    int pitch = 0;
};

Result surface_lock(Surface& s, LockedRect& out);
void surface_unlock(Surface& s);

// Copy src_rect of src (the whole of src when null) to (x, y) of dst, unscaled. The rectangles
// must lie inside both surfaces and the formats must match; nothing is clipped.
Result surface_copy(Surface& dst, int x, int y, Surface& src, const Rect* src_rect,
                    bool src_colour_key);

// Copy with scaling: src_rect of src onto dst_rect of dst (nearest pixel).
Result surface_copy_stretched(Surface& dst, const Rect* dst_rect, Surface& src,
                              const Rect* src_rect, bool src_colour_key);

// Fill a rectangle (the whole surface when null) with a pixel word of the surface's format.
Result surface_fill(Surface& dst, const Rect* rect, uint32_t colour);

// Make a lost surface usable again; its contents are undefined (cleared) until redrawn.
Result surface_restore(Surface& s);

// Read and write one pixel word (tests, tools, small helpers; not for inner loops).
uint32_t surface_pixel(const Surface& s, int x, int y);
void surface_set_pixel(Surface& s, int x, int y, uint32_t value);
