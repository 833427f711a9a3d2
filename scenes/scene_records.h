// What a scene shows and where it can be clicked: the object table (pictures lying in scenes,
// which are also the inventory's tools), exit zones, look zones and animated strips.
//
// The object table is saved with the game, so SceneObject has a fixed 176-byte file layout,
// written and read by object_to_bytes / object_from_bytes.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "platform/surface.h"
#include "resources/spoken_lines.h"

inline constexpr int k_object_count = 1024;
inline constexpr int k_exit_count = 64;
inline constexpr int k_look_zone_count = 1024;
inline constexpr int k_strip_count = 32;
inline constexpr size_t k_object_record_bytes = 176;
inline constexpr size_t k_picture_path_bytes = 136;

struct SceneObject {
    int32_t state = 0; // 0 not owned; 1..99 just taken (notice shown); 100+ in the inventory
    int32_t scene = -1;
    int32_t visible = 0;
    int32_t x = 0, y = 0, x2 = 0, y2 = 0; // picture's top left; hot rectangle
    int32_t width = 0, height = 0;
    int32_t hoverable = 0;
    int32_t cursor = 0;
    ToolName name{};
    SurfacePtr picture;
};

struct ExitZone {
    int32_t scene = 0;
    int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    int32_t enabled = 0;
    int32_t cursor = 0;
    int32_t destination = 0;
};

struct LookZone {
    int32_t scene = 0;
    int32_t reserved = 0;
    int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    int32_t text = 0;
};

struct AnimStrip {
    SurfacePtr picture;
    int32_t x = 0, y = 0;
    int32_t width = 0, frame_height = 0;
    float frame_count = 0, frame = 0, random_accumulator = 0, speed = 0;
    int32_t mode = 0; // 0 off, 1 plays, other: random frames
    int32_t loop = 0;
    int32_t sound_on = 0, sound_slot = 0, random_sound = 0, sound_frame = 0;
    int32_t end_signal = -1;
    bool has_path = false;
    std::string path;
};

struct SceneRecords {
    std::array<SceneObject, k_object_count> objects{};
    // Each object picture's file, so the picture can be loaded again after a display loss.
    std::array<std::string, k_object_count> object_paths{};
    std::array<ExitZone, k_exit_count> exits{};
    std::array<LookZone, k_look_zone_count> look_zones{};
    int32_t look_zone_count = 0;
    std::array<AnimStrip, k_strip_count> strips{};
};

// The record's file layout; the picture reference is written as 0 and read as none.
std::array<uint8_t, k_object_record_bytes> object_to_bytes(const SceneObject& o);
void object_from_bytes(std::span<const uint8_t, k_object_record_bytes> bytes, SceneObject& o);

// Append a look zone; a full table ignores the call.
void add_look_zone(SceneRecords& r, int32_t scene, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                   int32_t text);
// The look zones of every scene, added once at start-up.
void add_all_look_zones(SceneRecords& r);

struct Game;
// Load an object's picture (recording its path) into the current scene and set its place, size
// and hot rectangle from the picture. A missing picture leaves an empty rectangle.
bool load_object_picture(Game& game, int n, const char* path, int32_t x, int32_t y);
// An object without a picture: only its hot rectangle and cursor kind count; it is hoverable.
void place_hotspot(Game& game, int n, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                   int32_t cursor);
// An enabled exit of the current scene with the exit cursor.
void place_exit(Game& game, int n, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                int32_t destination);
// After the display lost its surfaces: every strip and object picture whose path is known, loaded
// again.
void reload_scene_pictures(Game& game);
// Load strip k's picture (recording its path) and take its width from the picture; the scene
// writes the rest of the record.
bool load_strip_picture(Game& game, int k, const char* path);
// Draw and advance the scene's strips; a strip that ran out raises its end signal.
void play_strips(Game& game);
