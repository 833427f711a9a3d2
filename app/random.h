// The game's one random source: integers 0..32767 from the classic C runtime generator, seeded
// once at start so that a scripted run with the same seed replays exactly.
#pragma once

#include <cstdint>

struct Random {
    uint32_t state = 1;
};

inline void random_seed(Random& r, uint32_t seed) {
    r.state = seed;
}

inline int random_next(Random& r) {
    r.state = r.state * 214013u + 2531011u;
    return static_cast<int>((r.state >> 16) & 0x7FFF);
}
