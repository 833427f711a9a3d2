#include "scenes/scene_records.h"

#include <cmath>
#include <cstring>

#include "app/game.h"
#include "resources/picture.h"

namespace {

// One visitor walks every word at its offset, for writing and for reading, so the two directions
// cannot drift apart.
struct Writer {
    uint8_t* out;
    void word(size_t offset, const int32_t& value) { std::memcpy(out + offset, &value, 4); }
    void unit(size_t offset, const char16_t& value) {
        out[offset] = static_cast<uint8_t>(value);
        out[offset + 1] = static_cast<uint8_t>(value >> 8);
    }
};

struct Reader {
    const uint8_t* in;
    void word(size_t offset, int32_t& value) { std::memcpy(&value, in + offset, 4); }
    void unit(size_t offset, char16_t& value) {
        value = static_cast<char16_t>(in[offset] | in[offset + 1] << 8);
    }
};

template <class V, class O> void visit_object(V& v, O& o) {
    v.word(0, o.state);
    v.word(4, o.scene);
    v.word(8, o.visible);
    v.word(12, o.x);
    v.word(16, o.y);
    v.word(20, o.x2);
    v.word(24, o.y2);
    v.word(28, o.width);
    v.word(32, o.height);
    v.word(36, o.hoverable);
    v.word(40, o.cursor);
    for (size_t i = 0; i < o.name.size(); ++i) v.unit(44 + 2 * i, o.name[i]);
    // 172: the picture reference, meaningless in a file.
}

// A look zone of the demo's scenes: scene, rectangle and the refusal line the hero says.
struct ZoneData {
    int32_t scene, x1, y1, x2, y2, text;
};

// The look zones of every scene, in the order the game adds them (the later of two overlapping
// zones wins the hit test).
constexpr ZoneData k_look_zones[] = {
    {3, 172, 86, 190, 110, 0},                            // the nest
    {3, 28, 125, 112, 153, 1},                            // the woodpile
    {4, 260, 216, 352, 297, 3},                           // the stair
    {4, 544, 207, 637, 345, 4},                           // the well
    {4, 31, 237, 121, 291, 5},                            // the campfire
    {4, 470, 259, 496, 309, 6},                           // the toadstools
    {4, 137, 251, 163, 295, 6}, {5, 0, 200, 572, 327, 7}, // the brook
    {6, 308, 180, 324, 214, 8},                           // the candle
};

float random_unit(Random& random) {
    return static_cast<float>(random_next(random)) / 32767.0f;
}

// The strip's end: a looping strip wraps, any other stops at the last (or first) frame and raises
// its signal each time it runs past it.
void clamp_strip_frame(AnimStrip& s, int32_t& strip_signal) {
    const bool past_end = s.frame >= s.frame_count, before_start = s.frame < 0;
    if (!past_end && !before_start) return;
    if (s.loop) {
        s.frame = past_end ? 0 : s.frame_count - 1;
        return;
    }
    s.frame = past_end ? s.frame_count - 1 : 0;
    if (s.end_signal != -1) strip_signal = s.end_signal;
}

void advance_strip(AnimStrip& s, Random& random) {
    if (s.mode == 1) {
        s.frame += s.speed;
        return;
    }
    s.random_accumulator += s.speed;
    if (s.random_accumulator >= 1.0f) {
        s.random_accumulator -= 1.0f;
        s.frame = random_unit(random) * s.frame_count;
    }
}

void play_strip_sound(Game& game, const AnimStrip& s) {
    if (!s.sound_on) return;
    if (static_cast<int32_t>(std::floor(s.frame)) != s.sound_frame) return;
    if (s.random_sound && !(random_unit(game.random) < 0.4f)) return;
    const int32_t pan = (s.x + s.width / 2) * 2 - 640;
    play_sound(game.sound, s.sound_slot, 0, pan, 0);
}

} // namespace

std::array<uint8_t, k_object_record_bytes> object_to_bytes(const SceneObject& o) {
    std::array<uint8_t, k_object_record_bytes> bytes{};
    Writer w{bytes.data()};
    visit_object(w, o);
    return bytes;
}

void object_from_bytes(std::span<const uint8_t, k_object_record_bytes> bytes, SceneObject& o) {
    Reader r{bytes.data()};
    visit_object(r, o);
    o.picture.reset();
}

void add_look_zone(SceneRecords& r, int32_t scene, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                   int32_t text) {
    if (r.look_zone_count >= k_look_zone_count) return;
    r.look_zones[size_t(r.look_zone_count++)] = {scene, 0, x1, y1, x2, y2, text};
}

void add_all_look_zones(SceneRecords& r) {
    for (const ZoneData& z : k_look_zones)
        add_look_zone(r, z.scene, z.x1, z.y1, z.x2, z.y2, z.text);
}

void reload_scene_pictures(Game& game) {
    SceneRecords& r = game.records;
    for (AnimStrip& strip : r.strips)
        if (strip.has_path) load_picture_surface(game.display, strip.picture, strip.path);
    for (size_t n = 0; n < r.objects.size(); ++n)
        if (!r.object_paths[n].empty())
            load_picture_surface(game.display, r.objects[n].picture, r.object_paths[n]);
}

bool load_object_picture(Game& game, int n, const char* path, int32_t x, int32_t y) {
    if (n < 0 || n >= k_object_count) return false;
    SceneObject& o = game.records.objects[size_t(n)];
    game.records.object_paths[size_t(n)] = path;
    o.scene = game.story.current_scene;
    o.x = x;
    o.y = y;
    if (!load_picture_surface(game.display, o.picture, path) || !o.picture) {
        o.width = o.height = 0;
        o.x2 = x;
        o.y2 = y;
        return false;
    }
    o.width = o.picture->width;
    o.height = o.picture->height;
    o.x2 = x + o.width;
    o.y2 = y + o.height;
    return true;
}

void place_hotspot(Game& game, int n, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                   int32_t cursor) {
    if (n < 0 || n >= k_object_count) return;
    SceneObject& o = game.records.objects[size_t(n)];
    o.scene = game.story.current_scene;
    o.x = x1;
    o.y = y1;
    o.x2 = x2;
    o.y2 = y2;
    o.hoverable = 1;
    o.cursor = cursor;
}

void place_exit(Game& game, int n, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                int32_t destination) {
    if (n < 0 || n >= k_exit_count) return;
    game.records.exits[size_t(n)] = {game.story.current_scene, x1, y1, x2, y2, 1, 4, destination};
}

bool load_strip_picture(Game& game, int k, const char* path) {
    if (k < 0 || k >= k_strip_count) return false;
    AnimStrip& s = game.records.strips[size_t(k)];
    s.path = path;
    s.has_path = true;
    if (!load_picture_surface(game.display, s.picture, path) || !s.picture) return false;
    s.width = s.picture->width;
    return true;
}

void play_strips(Game& game) {
    Surface* back = game.display.back_buffer;
    for (AnimStrip& s : game.records.strips) {
        if (s.mode == 0 || !s.picture || !s.has_path || s.frame_count < 1) continue;
        play_strip_sound(game, s);
        const int32_t f = static_cast<int32_t>(s.frame);
        const Rect source{0, f * s.frame_height, s.width, (f + 1) * s.frame_height};
        advance_strip(s, game.random);
        clamp_strip_frame(s, game.frame.strip_signal);
        // A rectangle outside the picture or the screen is refused by the copy itself.
        if (back) surface_copy(*back, s.x, s.y, *s.picture, &source, true);
    }
}
