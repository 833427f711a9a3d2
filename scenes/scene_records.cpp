#include "scenes/scene_records.h"

#include "app/game.h"

std::array<uint8_t, k_object_record_bytes> object_to_bytes(const SceneObject&) {
    return {};
}

void object_from_bytes(std::span<const uint8_t, k_object_record_bytes>, SceneObject&) {}

void add_look_zone(SceneRecords& r, int32_t scene, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                   int32_t text) {
    if (r.look_zone_count >= k_look_zone_count) return;
    r.look_zones[size_t(r.look_zone_count++)] = {scene, 0, x1, y1, x2, y2, text};
}

void add_all_look_zones(SceneRecords&) {}

bool load_object_picture(Game&, int, const char*, int32_t, int32_t) {
    return false;
}

void play_strips(Game&) {}
