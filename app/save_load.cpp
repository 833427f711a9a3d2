#include "app/save_load.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "app/game.h"
#include "app/input.h"
#include "app/save_file.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "resources/scene_background.h"
#include "scenes/puzzle.h"
#include "scenes/scene_change.h"
#include "scenes/scene_routines.h"

namespace {

constexpr int32_t k_video_mode = 2;
constexpr int32_t k_last_music_track = 999; // the track's file name holds three digits
constexpr int32_t k_last_cursor_kind = 5;

bool video_playing(const Game& game) {
    return game.app.Minigame == k_video_mode;
}

// One pixel of a screen surface as blue, green, red and a fourth byte. 16-bit pixels are 5-6-5
// and 15-bit ones 5-5-5, each channel widened by shifting (the fourth byte is then 0).
std::array<uint32_t, 4> screen_channels(const Surface& s, int x, int y) {
    const uint32_t p = surface_pixel(s, x, y);
    if (s.format.bit_count == 32) return {p & 0xFF, (p >> 8) & 0xFF, (p >> 16) & 0xFF, p >> 24};
    if (s.format.g_mask == 0x07E0) return {(p & 0x1F) * 8, ((p >> 5) & 0x3F) * 4, (p >> 11) * 8, 0};
    return {(p & 0x1F) * 8, ((p >> 5) & 0x1F) * 8, ((p >> 10) & 0x1F) * 8, 0};
}

// Each thumbnail pixel is the per-channel average of the 4x4 block of screen pixels it covers.
void thumbnail_of(const Surface& screen, std::vector<uint8_t>& out) {
    out.assign(k_thumbnail_bytes, 0);
    for (size_t r = 0; r < k_thumbnail_height; ++r)
        for (size_t c = 0; c < k_thumbnail_width; ++c) {
            std::array<uint32_t, 4> sum{};
            for (int dy = 0; dy < 4; ++dy)
                for (int dx = 0; dx < 4; ++dx) {
                    const auto ch = screen_channels(screen, int(4 * c) + dx, int(4 * r) + dy);
                    for (size_t k = 0; k < 4; ++k) sum[k] += ch[k];
                }
            uint8_t* px = &out[(r * k_thumbnail_width + c) * 4];
            for (size_t k = 0; k < 4; ++k)
                px[k] = static_cast<uint8_t>(std::min(sum[k] / 16, 255u));
        }
}

bool read_save_file(const std::string& path, std::vector<uint8_t>& bytes) {
    FILE* f = file_open(path, "rb");
    if (f == nullptr) return false;
    bytes.resize(k_save_bytes);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
    std::fclose(f);
    return true;
}

int32_t clamped_or(int32_t value, int32_t low, int32_t high, int32_t otherwise) {
    return value >= low && value <= high ? value : otherwise;
}

// The object records of a file: the pictures are never the file's, and a cursor kind outside the
// six kinds would pick no cursor picture.
void apply_objects(Game& game, const SaveImage& image) {
    for (size_t n = 0; n < k_object_count; ++n) {
        SceneObject& o = game.records.objects[n];
        object_from_bytes(
            std::span<const uint8_t, k_object_record_bytes>(
                image.objects.data() + n * k_object_record_bytes, k_object_record_bytes),
            o);
        o.cursor = std::clamp(o.cursor, 0, k_last_cursor_kind);
    }
}

// The scene-logic words, the spoken line and the characters, each value brought into the range
// the code that reads it allows.
void apply_words(Game& game, const SaveImage& s) {
    StoryState& story = game.story;
    story.previous_scene = clamped_or(s.previous_scene, -1, k_scene_count - 1, -1);
    game.frame.strip_signal = s.strip_signal;
    story.DIALOG = s.DIALOG;
    game.logic.return_fase = s.return_fase;
    game.actors.searches_this_frame = std::clamp(s.path_searches, 0, 1);
    game.toolbar.toolbar_open = s.toolbar_open != 0;
    game.frame.closeup_active = s.closeup_active != 0;
    story.EXE = s.EXE;
    game.logic.timed_running = s.timed_running != 0;
    game.logic.timed_counter = std::clamp(s.timed_counter, 0, 65535);
    game.logic.timed_end = std::clamp(s.timed_end, 0, 65535);
    story.active_tool = clamped_or(s.active_tool, -1, k_object_count - 1, -1);
    game.frame.fade_state = s.fade_state == 0 || !fading_out(s.fade_state) ? s.fade_state : -1;
    game.frame.fade_level = std::clamp(s.fade_level, 0, game.config.gamma_level);
    game.app.music_track = clamped_or(s.music_track, 0, k_last_music_track, game.app.music_track);
    story.hero = s.hero != 0 ? 1 : 0;
    game.app.Minigame = clamped_or(s.Minigame, 0, k_video_mode, 0);
    story.story_cycle = s.story_cycle != 0 ? 1 : 0;
    TextState& text = game.text;
    text.speech_countdown = std::max(s.speech_countdown, -1);
    text.subtitle_text = s.subtitle_text;
    text.subtitle_length = std::clamp(s.subtitle_length, 0, int32_t(text.subtitle_text.size()));
    for (size_t slot = 0; slot < k_actor_count; ++slot)
        decode_actor(std::span<const uint8_t, k_actor_record_bytes>(
                         s.actors.data() + slot * k_actor_record_bytes, k_actor_record_bytes),
                     game.actors.actors[slot]);
}

} // namespace

void capture_save_image(const Game& game, SaveImage& s) {
    const StoryState& story = game.story;
    s.scene_word = static_cast<uint32_t>(story.current_scene) | k_save_format_mark |
                   (story.hero == 1 ? k_save_second_hero : 0);
    s.fase = story.fase;
    s.Flags = story.Flags;
    for (size_t n = 0; n < k_object_count; ++n) {
        const auto bytes = object_to_bytes(game.records.objects[n]);
        std::copy(bytes.begin(), bytes.end(), s.objects.begin() + long(n * k_object_record_bytes));
    }
    s.MainSost = story.MainSost;
    s.MainFlags = story.MainFlags;
    s.previous_scene = story.previous_scene;
    s.strip_signal = game.frame.strip_signal;
    s.DIALOG = story.DIALOG;
    s.return_fase = game.logic.return_fase;
    s.path_searches = game.actors.searches_this_frame;
    s.reserved_picture_word = 0;
    s.toolbar_open = game.toolbar.toolbar_open;
    s.closeup_active = game.frame.closeup_active;
    s.reserved_logic_word = 0;
    s.EXE = story.EXE;
    s.timed_running = game.logic.timed_running;
    s.timed_counter = game.logic.timed_counter;
    s.timed_end = game.logic.timed_end;
    s.active_tool = story.active_tool;
    s.fade_state = game.frame.fade_state;
    s.fade_level = game.frame.fade_level;
    s.music_track = game.app.music_track;
    s.hero = story.hero;
    s.Minigame = game.app.Minigame;
    s.story_cycle = story.story_cycle;
    // The filler is a copy of the first bytes of the object table; readers skip it.
    std::copy_n(s.objects.begin(), k_save_filler_bytes, s.filler.begin());
    s.speech_countdown = game.text.speech_countdown;
    s.subtitle_text = game.text.subtitle_text;
    s.subtitle_length = game.text.subtitle_length;
    for (size_t slot = 0; slot < k_actor_count; ++slot)
        encode_actor(game.actors.actors[slot],
                     std::span<uint8_t, k_actor_record_bytes>(
                         s.actors.data() + slot * k_actor_record_bytes, k_actor_record_bytes));
    s.thumbnail_mark = 1;
    if (game.display.screen_copy)
        thumbnail_of(*game.display.screen_copy, s.thumbnail);
    else
        s.thumbnail.assign(k_thumbnail_bytes, 0);
}

void save_game(Game& game, const std::string& path) {
    SaveImage image;
    capture_save_image(game, image);
    file_write_atomic(path, encode_save(image));
}

void load_game(Game& game, const std::string& path) {
    std::vector<uint8_t> bytes;
    if (read_save_file(path, bytes)) load_game_data(game, bytes);
}

void load_game_data(Game& game, std::span<const uint8_t> bytes) {
    // Fields the file does not hold keep the values they have now.
    SaveImage image;
    capture_save_image(game, image);
    if (!decode_save(bytes, image)) return;
    const int32_t scene = static_cast<int32_t>(image.scene_word & 0x00FFFFFFu);
    if (!scene_in_range(scene)) return; // a file that names no scene changes nothing

    StoryState& story = game.story;
    story.hero = (image.scene_word & k_save_second_hero) ? 1 : 0;
    story.fase = image.fase;
    story.Flags = image.Flags;
    apply_objects(game, image);
    story.MainSost = image.MainSost;
    story.MainFlags = image.MainFlags;

    story.current_scene = scene;
    story.next_scene = scene;
    game.app.menu_mode = 0;
    unload_scene(game);
    load_scene_background(game);
    load_scene_assets(game);

    apply_words(game, image);
    setup_scene_characters(game);
    if (game.app.Minigame == 1) puzzle_setup(game); // a puzzle in progress starts afresh
    FrameState& f = game.frame;
    if (f.fade_level != game.config.gamma_level && f.fade_state == 0)
        f.fade_level = game.config.gamma_level;
    set_gamma(game, f.fade_level);
}

void auto_save(Game& game) {
    DisplayDevice& dev = game.display;
    if (video_playing(game)) return;
    if (dev.screen_copy && dev.background_surface)
        surface_copy(*dev.screen_copy, 0, 0, *dev.background_surface, nullptr, false);
    save_game(game, k_auto_save_path);
}

void quick_save(Game& game) {
    DisplayDevice& dev = game.display;
    if (video_playing(game)) return;
    if (dev.screen_copy && dev.back_buffer)
        surface_copy(*dev.screen_copy, 0, 0, *dev.back_buffer, nullptr, false);
    save_game(game, k_quick_save_path);
}

void quick_load(Game& game) {
    if (!video_playing(game)) load_game(game, k_quick_save_path);
}

void load_auto_save(Game& game) {
    if (!video_playing(game)) load_game(game, k_auto_save_path);
}

void read_preview(Game& game, const std::string& path) {
    SaveState& saves = game.saves;
    saves.preview_valid = 0;
    FILE* f = file_open(path, "rb");
    if (f == nullptr) return;
    uint8_t mark[4] = {};
    std::vector<uint8_t> thumbnail(k_thumbnail_bytes);
    const bool whole = std::fseek(f, long(k_thumbnail_mark_offset), SEEK_SET) == 0 &&
                       std::fread(mark, 1, 4, f) == 4 && mark[0] == 1 && mark[1] == 0 &&
                       mark[2] == 0 && mark[3] == 0 &&
                       std::fread(thumbnail.data(), 1, thumbnail.size(), f) == thumbnail.size();
    std::fclose(f);
    Surface* target = game.display.thumbnail_surface.get();
    if (!whole || target == nullptr) return;
    for (size_t r = 0; r < k_thumbnail_height; ++r)
        for (size_t c = 0; c < k_thumbnail_width; ++c) {
            const uint8_t* px = &thumbnail[(r * k_thumbnail_width + c) * 4];
            surface_set_pixel(*target, int(c), int(r),
                              pack_rgb(target->format, px[2], px[1], px[0]));
        }
    saves.preview_valid = 1;
}

void edit_save_name(Game& game, uint32_t code) {
    SaveState& saves = game.saves;
    std::string& name = saves.save_name;
    if (code == 8) {
        if (name.size() > std::strlen(k_save_name_prefix)) name.pop_back();
    } else if (code == 13) {
        saves.name_entry = 0;
        if (game.story.current_scene != -1 && !video_playing(game))
            save_game(game, cp1251_to_utf8(name) + ".sav");
    } else if (name.size() < k_save_name_limit) {
        name.push_back(static_cast<char>(code));
    }
}

void save_name_character(Game& game, uint32_t code) {
    if (game.saves.name_entry != 0) edit_save_name(game, code);
}
