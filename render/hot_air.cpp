#include "render/hot_air.h"

#include <cstring>

#include "app/random.h"
#include "render/effect_context.h"

namespace {

constexpr int k_first_cell = k_ripple_columns + 1;
constexpr int k_rippled_cells = 718;
static_assert(k_first_cell + k_rippled_cells + k_ripple_columns + 1 <= k_ripple_cells);

void set_low_byte(uint32_t& cell, uint32_t value) {
    cell = (cell & ~0xFFu) | value;
}

void drop(RippleGrid& grid, Random& random) {
    if (!(random_unit(random) < 0.5f)) return;
    const int k = static_cast<int>(8 + 6 * random_unit(random));
    const int w = static_cast<int>(20 + 11 * random_unit(random));
    const auto at = [](int row, int col) { return size_t(row * k_ripple_columns + col); };
    set_low_byte(grid[at(w, k)], 28);
    set_low_byte(grid[at(w, k + 1)], 28);
    set_low_byte(grid[at(w + 1, k)], 44);
    set_low_byte(grid[at(w + 1, k + 1)], 44);
}

uint32_t subtract_halves(uint32_t a, uint32_t b) {
    const uint32_t lo = (a & 0xFFFF) > (b & 0xFFFF) ? (a & 0xFFFF) - (b & 0xFFFF) : 0;
    const uint32_t hi = (a >> 16) > (b >> 16) ? (a >> 16) - (b >> 16) : 0;
    return lo | hi << 16;
}

void copy_pixel(uint8_t* frame, int pitch, int bpp, int to_x, int from_x, int y) {
    uint8_t* row = frame + ptrdiff_t(y) * pitch;
    const uint8_t* src = row + ptrdiff_t(from_x) * bpp;
    uint32_t value = 0;
    std::memcpy(&value, src, size_t(bpp));
    if (value == 0) return; // the colour key
    std::memcpy(row + ptrdiff_t(to_x) * bpp, src, size_t(bpp));
}

void displace(const HotAirState& s, uint8_t* frame, int pitch, int bpp) {
    const RippleGrid& g = s.current;
    for (int r = 0; r < k_shimmer_height; ++r)
        for (int k = 0; k < k_ripple_columns; ++k) {
            // The lowest rows shimmer only at the sides, where the heat rises past the flame.
            if (r >= 24 && k >= 4 && k <= 20) continue;
            const size_t cell = size_t((r + 1) * k_ripple_columns + k);
            const int32_t d = static_cast<int32_t>(g[cell] - g[cell + 1]);
            for (const ShimmerRegion& region : s.shimmer_regions) {
                if (region.lifetime == 0) continue;
                const int64_t to = int64_t(region.x) + k, y = int64_t(region.y) + r;
                const int64_t from = to + d;
                if (to < 0 || to > 639 || y < 0 || y > 479 || from < 0 || from > 639) continue;
                copy_pixel(frame, pitch, bpp, int(to), int(from), int(y));
            }
        }
}

} // namespace

void ripple_step(const RippleGrid& current, const RippleGrid& previous, RippleGrid& spare) {
    constexpr int w = k_ripple_columns;
    for (int i = k_first_cell; i < k_first_cell + k_rippled_cells; ++i) {
        const size_t c = size_t(i);
        const uint32_t sum = current[c - 1] + current[c + 1] + current[c - w - 1] + current[c - w] +
                             current[c - w + 1] + current[c + w - 1] + current[c + w] +
                             current[c + w + 1];
        spare[c] = subtract_halves(sum >> 2, previous[c]);
    }
}

void hot_air_step(HotAirState& s, Random& random, uint8_t* frame, int pitch, int bytes_per_pixel) {
    drop(s.current, random);
    ripple_step(s.current, s.previous, s.spare);
    if (frame != nullptr && (bytes_per_pixel == 2 || bytes_per_pixel == 4))
        displace(s, frame, pitch, bytes_per_pixel);
    // The new field becomes the current one, the current the previous, the previous the spare.
    std::swap(s.previous, s.current);
    std::swap(s.current, s.spare);
}

void hot_air_step(HotAirState& s, Random& random, Surface& back_buffer) {
    bool any = false;
    for (const ShimmerRegion& r : s.shimmer_regions) any = any || r.lifetime != 0;
    LockedRect lock;
    if (!any || back_buffer.width < 640 || back_buffer.height < 480 ||
        surface_lock(back_buffer, lock) != Result::ok) {
        hot_air_step(s, random, nullptr, 0, 0);
        return;
    }
    hot_air_step(s, random, lock.bits, lock.pitch, int(back_buffer.format.bit_count / 8));
    surface_unlock(back_buffer);
}
