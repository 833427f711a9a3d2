// The per-pixel float depth ".msk": the scanline part of a run-length RLA picture whose 740-byte
// header was cut off, seven channels a scanline.
//
// Bytes 0..1919 hold 480 big-endian 32-bit scanline offsets, the first for the bottom row; each
// counts from a point 740 bytes before the file's start. A scanline is seven channel blocks: a
// big-endian 16-bit length L, then packets filling exactly L bytes (a signed control byte below
// 0 is followed by -ctl literal bytes, one of 0 or more by one byte repeated ctl + 1 times), each
// block 640 bytes unpacked. Blocks 1-3 are colour and unused; blocks 4-7 are the four bytes of a
// big-endian IEEE float per pixel.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "resources/zbf.h"

inline constexpr size_t k_msk_rows = 480;
inline constexpr size_t k_msk_width = 640;
inline constexpr size_t k_msk_offset_base = 740;
inline constexpr size_t k_msk_channels = 7;
// The game reads at most this many bytes of a .msk file.
inline constexpr size_t k_msk_file_max = 921600;

// Unpack one block at `at`, into `out` (640 bytes, every `stride` bytes). Reading never leaves
// the block or the file; pixels the block does not fill are left as they are. Returns the
// position of the next block, or the file's size when the block is cut off; `whole` turns false
// unless the block lay inside the file and filled its 640 bytes.
size_t decode_msk_block(std::span<const uint8_t> file, size_t at, uint8_t* out, size_t stride,
                        bool* whole = nullptr);

// The float depth of every pixel, rows top first. Pixels that damaged scanlines do not reach stay
// 0. True when every scanline was whole.
bool decode_msk(std::span<const uint8_t> file, std::span<float, k_depth_pixels> depth);

// The file for 640x480 float depths (the colour channels written as zero runs). False when it
// would be longer than the game reads.
bool encode_msk(std::span<const float, k_depth_pixels> depth, std::vector<uint8_t>& out);
