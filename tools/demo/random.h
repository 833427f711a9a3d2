// Deterministic randomness for the content generator. Everything random is a pure function of a
// fixed seed and of where it is used (pixel, sample, vertex), so the output does not depend on
// thread order or on how much work was done before.
#pragma once

#include <cstdint>

inline uint32_t hash_u32(uint32_t x) {
    x ^= x >> 16;
    x *= 0x7feb352dU;
    x ^= x >> 15;
    x *= 0x846ca68bU;
    x ^= x >> 16;
    return x;
}

inline uint32_t hash_combine(uint32_t a, uint32_t b) {
    return hash_u32(a ^ (b + 0x9e3779b9U + (a << 6) + (a >> 2)));
}

inline uint32_t hash3(uint32_t a, uint32_t b, uint32_t c) {
    return hash_combine(hash_combine(hash_u32(a), b), c);
}

// [0, 1) from a hash.
inline double unit_from_hash(uint32_t h) {
    return (h >> 8) * (1.0 / 16777216.0);
}

// A small sequential generator for code that draws many numbers in a fixed order.
struct SeqRandom {
    uint64_t state;

    explicit SeqRandom(uint64_t seed) : state(seed * 0x9E3779B97F4A7C15ULL + 1) {}

    uint32_t next_u32() {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        uint32_t xorshifted = static_cast<uint32_t>(((state >> 18u) ^ state) >> 27u);
        uint32_t rot = static_cast<uint32_t>(state >> 59u);
        return (xorshifted >> rot) | (xorshifted << ((32 - rot) & 31));
    }
    double uniform() { return unit_from_hash(next_u32()); }
    double range(double a, double b) { return a + (b - a) * uniform(); }
};
