// The hot-air shimmer: the ripple's packed arithmetic, and the displacement of the back buffer's
// pixels inside the shimmer areas only.
#include <gtest/gtest.h>

#include <vector>

#include "app/random.h"
#include "render/hot_air.h"

namespace {

constexpr int k_cell = 3 * k_ripple_columns + 5; // an inner cell

// A random source whose first value draws no drop.
Random calm_random() {
    for (uint32_t seed = 1;; ++seed) {
        Random r;
        random_seed(r, seed);
        Random probe = r;
        if (random_next(probe) >= 16384) return r;
    }
}

void set_neighbours(RippleGrid& g, int c, uint32_t v) {
    constexpr int w = k_ripple_columns;
    for (int o : {-w - 1, -w, -w + 1, -1, 1, w - 1, w, w + 1}) g[size_t(c + o)] = v;
}

TEST(HotAir, TheRippleSumsWholeCellsAndSubtractsEachHalfDownToZero) {
    struct Case {
        uint32_t neighbours, previous, expected;
    } cases[] = {
        {0x00010004, 0x00000001, 0x00020007}, // (8 x n) / 4 - previous in both halves
        {0x00010004, 0x00010010, 0x00010000}, // the low half stops at 0, the high half not
        {0x0000C000, 0x00000000, 0x00018000}, // the low halves' sum carries into the high half
        {0x00000000, 0x00050005, 0x00000000},
    };
    for (const Case& c : cases) {
        RippleGrid current{}, previous{}, spare{};
        set_neighbours(current, k_cell, c.neighbours);
        previous[k_cell] = c.previous;
        ripple_step(current, previous, spare);
        EXPECT_EQ(spare[k_cell], c.expected) << std::hex << c.neighbours << " " << c.previous;
    }
}

struct Frame {
    std::vector<uint32_t> pixels = std::vector<uint32_t>(640 * 480);
    Frame() {
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x) pixels[size_t(y) * 640 + size_t(x)] = uint32_t(x + 1);
    }
    uint32_t at(int x, int y) const { return pixels[size_t(y) * 640 + size_t(x)]; }
    uint8_t* bits() { return reinterpret_cast<uint8_t*>(pixels.data()); }
};

// Slopes of 3 everywhere: each displaced pixel takes the pixel 3 to its right.
HotAirState sloped() {
    HotAirState s;
    for (int i = 0; i < k_ripple_cells; ++i)
        s.current[size_t(i)] = uint32_t(1000 - 3 * (i % k_ripple_columns));
    return s;
}

TEST(HotAir, WithEveryAreaOffTheRippleRunsAndNothingIsCopied) {
    HotAirState s = sloped();
    const RippleGrid before = s.current;
    Random random = calm_random();
    Frame f;
    const Frame original;
    hot_air_step(s, random, f.bits(), 640 * 4, 4);
    EXPECT_TRUE(f.pixels == original.pixels);
    EXPECT_EQ(s.previous, before) << "the grids rotate";
    EXPECT_NE(s.current, before);
}

TEST(HotAir, AnAreaTakesPixelsFromAlongItsSlopesAndNothingElseChanges) {
    HotAirState s = sloped();
    s.shimmer_regions[2] = {-1, 100, 50};
    Random random = calm_random();
    Frame f;
    f.pixels[size_t(60) * 640 + 110 + 3] = 0; // a source pixel of the colour key
    const Frame original = f;
    hot_air_step(s, random, f.bits(), 640 * 4, 4);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            const int k = x - 100, r = y - 50;
            const bool inside = k >= 0 && k < k_shimmer_width && r >= 0 && r < k_shimmer_height;
            const bool skipped = r >= 24 && k >= 4 && k <= 20;
            const bool keyed = y == 60 && x == 110;
            // The last column's right neighbour is the next row's first cell.
            const int from = x + (k == k_ripple_columns - 1 ? -3 * (k_ripple_columns - 1) : 3);
            const uint32_t want =
                inside && !skipped && !keyed ? original.at(from, y) : original.at(x, y);
            ASSERT_EQ(f.at(x, y), want) << x << "," << y;
        }
}

TEST(HotAir, PixelsWhoseSourceIsOffTheScreenStay) {
    HotAirState s = sloped();
    s.shimmer_regions[0] = {-1, 620, 470}; // reaches past the right and bottom edges
    s.shimmer_regions[1] = {-1, -30, -40}; // wholly off
    Random random = calm_random();
    Frame f;
    const Frame original;
    hot_air_step(s, random, f.bits(), 640 * 4, 4);
    for (int y = 470; y < 480; ++y)
        for (int x = 620; x < 640; ++x)
            EXPECT_EQ(f.at(x, y), x + 3 <= 639 ? original.at(x + 3, y) : original.at(x, y))
                << x << "," << y;
    EXPECT_EQ(f.at(0, 0), original.at(0, 0));
}

} // namespace
