// The actor record as saved games hold it: 6800 bytes, little-endian, each field at a fixed
// offset. The model reference is meaningless in a file: it is written as zero and read as an
// empty model (the scene's character set-up loads the models again).
#pragma once

#include <cstdint>
#include <span>

#include "render/actor.h"

inline constexpr size_t k_actor_record_bytes = 6800;
inline constexpr size_t k_anim_entry_bytes = 36;

// Byte offsets of a few fields, for tests and tools.
inline constexpr size_t k_offset_path = 192;
inline constexpr size_t k_offset_anims = 4324;
inline constexpr size_t k_offset_heading = 6744;
inline constexpr size_t k_offset_model = 6764;
inline constexpr size_t k_offset_footprint = 6780;

void encode_actor(const Actor& a, std::span<uint8_t, k_actor_record_bytes> out);

// Values a file may hold that would lead outside the record's tables are brought inside them:
// the state to 0..63, the path length to -1..512, the path index to 0..511, the collision slot
// to 0..15; frame and heading values that are not numbers become 0. Other state numbers (next
// states, idle states) are kept: every read of the animation table goes through anim_at.
void decode_actor(std::span<const uint8_t, k_actor_record_bytes> in, Actor& a);
