// The saved-game file: a raw image of the story state followed by a 160x120 thumbnail.
//
// Current format, 369,744 bytes, little-endian: the scene word (the scene number with bit 30 as
// the format mark, and bit 31 for the second hero), `fase`, `Flags`, the 1024 object records of
// 176 bytes, the scene-logic words, a 232-byte filler, the spoken line, the 16 actor records of
// 6800 bytes, the thumbnail mark 1 and the thumbnail (120 rows of 160 pixels, top row first,
// blue, green, red and a fourth byte each). The older format (no bit 30 in the scene word) holds
// 112-byte object records: the first 44 bytes of the record, the first 32 code units of the name
// and a picture word.
//
// One visitor walks the layout in both directions, so writing and reading cannot drift apart.
// Reading takes what the data holds: a field the data ends in is left as it was.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "render/actor_record.h"
#include "scenes/scene_records.h"

inline constexpr size_t k_save_bytes = 369744;
inline constexpr size_t k_old_object_record_bytes = 112;
inline constexpr size_t k_old_save_bytes =
    k_save_bytes - k_object_count * (k_object_record_bytes - k_old_object_record_bytes);
inline constexpr size_t k_thumbnail_width = 160, k_thumbnail_height = 120;
inline constexpr size_t k_thumbnail_bytes = k_thumbnail_width * k_thumbnail_height * 4;
inline constexpr size_t k_thumbnail_mark_offset = 292940; // in the current format
inline constexpr size_t k_save_filler_bytes = 232;
inline constexpr uint32_t k_save_format_mark = 0x40000000u;
inline constexpr uint32_t k_save_second_hero = 0x80000000u;

// Everything a save file holds, as plain values; the object and actor records as their bytes.
struct SaveImage {
    uint32_t scene_word = 0;
    std::array<int32_t, 256> fase{};
    std::array<int32_t, 256> Flags{};
    std::vector<uint8_t> objects = std::vector<uint8_t>(k_object_count * k_object_record_bytes);
    int32_t MainSost = 0, MainFlags = 0, previous_scene = 0, strip_signal = 0, DIALOG = 0;
    int32_t return_fase = 0, path_searches = 0, reserved_picture_word = 0;
    int32_t toolbar_open = 0, closeup_active = 0, reserved_logic_word = 0, EXE = 0;
    int32_t timed_running = 0, timed_counter = 0, timed_end = 0;
    int32_t active_tool = 0, fade_state = 0, fade_level = 0, music_track = 0, hero = 0;
    int32_t Minigame = 0, story_cycle = 0;
    std::array<uint8_t, k_save_filler_bytes> filler{};
    int32_t speech_countdown = 0;
    std::array<char16_t, 768> subtitle_text{};
    int32_t subtitle_length = 0;
    std::vector<uint8_t> actors = std::vector<uint8_t>(16 * k_actor_record_bytes);
    int32_t thumbnail_mark = 0;
    std::vector<uint8_t> thumbnail = std::vector<uint8_t>(k_thumbnail_bytes);
};

// The file's bytes, always in the current format.
std::vector<uint8_t> encode_save(const SaveImage& image);

// Read the fields the data holds into `image`, in the format its scene word names; fields past
// the end of the data keep their values. False when the data does not hold the scene word.
bool decode_save(std::span<const uint8_t> data, SaveImage& image);

// Byte offsets of a field in the current format, by the order of the layout, for tests and tools.
struct SaveField {
    const char* name;
    size_t offset, size;
};
std::vector<SaveField> save_layout();
