// The scene depth picture ".zbf": 640x480 16-bit depth values, packed.
//
// The file is a packet stream: a control byte below 128 is followed by ctl + 1 literal bytes, one
// of 128 or more by one byte repeated ctl - 127 times. Unpacked, it is two planes of 307,200
// bytes, pixels row by row from the top left: first the low bytes, delta-coded (low(k) =
// low(k - 1) - byte(k), modulo 256, the first byte as it is), then the high bytes as they are.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

inline constexpr size_t k_depth_pixels = 640 * 480;
inline constexpr size_t k_zbf_unpacked_bytes = k_depth_pixels * 2;
// The game reads at most this many bytes of a .zbf file.
inline constexpr size_t k_zbf_file_max = 614400;

// Unpack packets into `out` until the input is used up or `out` is full; a packet that would run
// past either end is cut there. Returns the number of bytes written.
size_t unpack_packets(std::span<const uint8_t> in, std::span<uint8_t> out);

// Packets for `bytes`: runs of 2 or more equal bytes as repeat packets, the rest as literals.
std::vector<uint8_t> pack_packets(std::span<const uint8_t> bytes);

// The depth values of a file; bytes the stream does not reach count as 0. True when the stream
// filled both planes exactly.
bool decode_zbf(std::span<const uint8_t> file, std::span<uint16_t, k_depth_pixels> depth);

// The file for 640x480 depth values. False when it would be longer than the game reads.
bool encode_zbf(std::span<const uint16_t, k_depth_pixels> depth, std::vector<uint8_t>& out);
