#include "tools/headless/dump.h"

#include <algorithm>
#include <span>
#include <string>

#include "app/game.h"
#include "platform/codepage.h"
#include "platform/mixer.h"
#include "tools/common/json_math.h"

namespace {

Json dump_config(const GameConfig& config) {
    Json j = Json::object();
    for (const ConfigField& f : k_config_fields) j[f.name] = config.*f.member;
    return j;
}

Json int_array(const auto& values) {
    Json a = Json::array();
    for (auto v : values) a.push(Json(static_cast<int64_t>(v)));
    return a;
}

Json dump_actor(const Actor& a) {
    Json j = Json::object();
    j["model"] = !actor_empty(a);
    j["part_count"] = a.part_count;
    j["update_count"] = a.update_count;
    j["running"] = a.running;
    j["may_run"] = a.may_run;
    j["blend_mode"] = a.blend_mode;
    j["hoverable"] = a.hoverable;
    j["smooth_edges"] = a.smooth_edges;
    j["tint"] = a.tint;
    j["retarget_any_state"] = a.retarget_any_state;
    j["draw_rect"] = int_array(a.draw_rect);
    j["shadow_rect"] = int_array(a.shadow_rect);
    j["collision_radius_sq"] = a.collision_radius_sq;
    j["collision_slot"] = a.collision_slot;
    j["scale"] = json_vec3(a.scale);
    j["position"] = json_vec3(a.position);
    j["destination"] = json_vec3(a.destination);
    j["stair_exit"] = json_vec3(a.stair_exit);
    j["waypoint"] = json_vec3(a.waypoint);
    j["target_x"] = a.target_x;
    j["target_y"] = a.target_y;
    j["order_x"] = a.order_x;
    j["order_y"] = a.order_y;
    j["final_heading"] = a.final_heading;
    j["retarget"] = a.retarget;
    j["waypoint_x"] = a.waypoint_x;
    j["waypoint_y"] = a.waypoint_y;
    j["path_length"] = a.path_length;
    j["straight_path"] = a.straight_path;
    j["walk_speed"] = a.walk_speed;
    j["run_speed"] = a.run_speed;
    j["path_index"] = a.path_index;
    j["walking"] = a.walking;
    j["frame"] = a.frame;
    j["state"] = a.state;
    j["idle_variants"] = a.idle_variants;
    j["idle_state"] = a.idle_state;
    j["stair_frames"] = a.stair_frames;
    j["on_stairs"] = a.on_stairs;
    j["stairs_pending"] = a.stairs_pending;
    j["heading"] = a.heading;
    j["turn_target"] = a.turn_target;
    j["script_value"] = a.script_value;
    j["material_base"] = a.material_base;
    j["shadow_kind"] = a.shadow_kind;
    return j;
}

// Text of a UTF-16 buffer up to `length` units or the first CR, as UTF-8.
std::string utf8_of(std::span<const char16_t> text, size_t length) {
    std::string out;
    length = std::min(length, text.size());
    for (size_t i = 0; i < length; ++i) {
        uint32_t c = text[i];
        if (c == 13) break;
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < length && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xF0 | (c >> 18));
            out += char(0x80 | ((c >> 12) & 0x3F));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

void dump_story(const StoryState& s, Json& j) {
    j["previous_scene"] = s.previous_scene;
    j["next_scene"] = s.next_scene;
    j["hero"] = s.hero;
    j["story_cycle"] = s.story_cycle;
    j["MainSost"] = s.MainSost;
    j["MainFlags"] = s.MainFlags;
    j["fase"] = int_array(s.fase);
    j["Flags"] = int_array(s.Flags);
    j["DIALOG"] = s.DIALOG;
    j["EXE"] = s.EXE;
    j["active_tool"] = s.active_tool;
}

void dump_frame(const Game& game, Json& j) {
    const FrameState& f = game.frame;
    j["fade_state"] = f.fade_state;
    j["fade_level"] = f.fade_level;
    j["script_fade"] = f.script_fade;
    j["scene_at_frame_start"] = f.scene_at_frame_start;
    j["LeftKey"] = f.LeftKey;
    j["right_latch"] = f.right_latch;
    j["closeup_active"] = f.closeup_active;
    j["strip_signal"] = f.strip_signal;
    j["toolbar_open"] = game.toolbar.toolbar_open;
    j["current_tool"] = game.toolbar.current_tool;
    j["toolbar_scroll"] = game.toolbar.toolbar_scroll;
    j["glow_colour"] = game.toolbar.glow_colour;
    j["menu_page"] = game.menu.menu_page;
    j["menu_panel"] = game.menu.menu_panel;
    j["hovered_item"] = game.menu.hovered_item;
    j["first_row"] = game.menu.first_row;
    j["scroll_delay"] = game.menu.scroll_delay;
    Json saves = Json::array();
    for (const std::string& name : game.menu.save_list) saves.push(name);
    j["save_list"] = saves;
    j["save_name"] = cp1251_to_utf8(game.saves.save_name);
    j["save_name_entry"] = game.saves.name_entry;
    j["preview_valid"] = game.saves.preview_valid;
}

void dump_cursor_and_texts(const Game& game, Json& j) {
    j["cursor_kind"] = game.cursor.cursor_kind;
    j["cursor_frame"] = game.cursor.cursor_frame;
    j["cursor_sound_latch"] = game.cursor.cursor_sound_latch;
    j["hover_exit"] = game.cursor.hover_exit;
    j["hover_look"] = game.logic.hover_look;
    j["hover_object"] = game.logic.hover_object;
    j["hover_actor"] = game.logic.hover_actor;
    j["timed_running"] = game.logic.timed_running;
    j["timed_counter"] = game.logic.timed_counter;
    const TextState& t = game.text;
    j["subtitle_length"] = t.subtitle_length;
    j["subtitle_text"] = utf8_of(t.subtitle_text, size_t(std::max(t.subtitle_length, 0)));
    j["speech_countdown"] = t.speech_countdown;
    j["caption_text"] = utf8_of(t.caption_text, size_t(std::max(t.caption_length, 0)));
}

Json dump_object(const SceneObject& o) {
    Json j = Json::object();
    j["state"] = o.state;
    j["scene"] = o.scene;
    j["visible"] = o.visible;
    j["rect"] = int_array(std::array<int32_t, 4>{o.x, o.y, o.x2, o.y2});
    j["width"] = o.width;
    j["height"] = o.height;
    j["hoverable"] = o.hoverable;
    j["cursor"] = o.cursor;
    j["name"] = utf8_of(o.name, o.name.size());
    j["picture"] = o.picture != nullptr;
    return j;
}

// Objects that differ from a fresh record, keyed by object number.
Json dump_objects(const SceneRecords& r) {
    Json j = Json::object();
    for (size_t n = 0; n < r.objects.size(); ++n) {
        const SceneObject& o = r.objects[n];
        const bool fresh = o.state == 0 && o.scene == -1 && !o.visible && !o.hoverable &&
                           o.x == 0 && o.y == 0 && !o.picture;
        if (!fresh) j[std::to_string(n)] = dump_object(o);
    }
    return j;
}

// Each slot with what its buffer was last given, and the music player.
void dump_sound(const Game& game, Json& j) {
    const SoundState& s = game.sound;
    j["sound_available"] = s.sound_available;
    Json slots = Json::array();
    for (int n = 0; n < k_sound_slot_count; ++n) {
        const size_t i = size_t(n);
        Json slot = Json::object();
        slot["word"] = s.slots[i].word;
        slot["loaded"] = s.slots[i].loaded;
        slot["has_buffer"] = slot_has_buffer(s, n);
        slot["playing"] = sound_playing(s, n);
        slot["looping"] = s.looping[i];
        slot["base_volume"] = s.base_volume[i];
        slot["saved_volume"] = s.saved_volume[i];
        slot["volume"] = s.volume[i];
        slot["pan"] = s.pan[i];
        slots.push(std::move(slot));
    }
    Json sound = Json::object();
    sound["slots"] = std::move(slots);
    sound["effects_volume"] = s.effects_volume;
    sound["speech_volume"] = s.speech_volume;
    j["sound"] = std::move(sound);

    const MusicState& m = game.music;
    j["loaded_track"] = m.loaded_track;
    j["music_paused"] = m.music_paused;
    j["music_playing"] = music_playing(m);
    j["music_position_ms"] = music_position(m) * 1000 / k_mixer_rate;
}

// The start-up sequence and the film that plays.
void dump_video(const Game& game, Json& j) {
    j["PINTRO"] = game.menu.PINTRO;
    j["INTRO"] = game.menu.INTRO;
    const VideoState& v = game.video;
    Json video = Json::object();
    video["open"] = v.handle != nullptr;
    video["path"] = v.path;
    video["width"] = v.handle ? video_width(*v.handle) : 0;
    video["height"] = v.handle ? video_height(*v.handle) : 0;
    video["frame_count"] = v.handle ? int64_t(video_frame_count(*v.handle)) : 0;
    video["current_frame"] = v.handle ? int64_t(video_current_frame(*v.handle)) : 0;
    video["surface"] = v.video_surface != nullptr;
    j["video"] = std::move(video);
}

Json dump_exits(const SceneRecords& r) {
    Json a = Json::array();
    for (const ExitZone& e : r.exits) {
        if (!e.enabled) continue;
        Json j = Json::object();
        j["scene"] = e.scene;
        j["rect"] = int_array(std::array<int32_t, 4>{e.x1, e.y1, e.x2, e.y2});
        j["destination"] = e.destination;
        a.push(std::move(j));
    }
    return a;
}

// Live entries per effect table, the fires' lifetimes, the wind and the shimmer areas.
Json dump_effects(const Game& game) {
    const EffectTables& t = game.effects;
    Json j = Json::object();
    j["smoke_particles"] = live_smoke(t);
    j["spark_trails"] = live_spark_trails(t);
    j["sparkles"] = live_sparkles(t);
    j["glows"] = live_glows(t);
    j["flying_objects"] = live_flying_objects(t);
    Json fires = Json::array();
    for (const SceneFire& f : game.fires) fires.push(Json(static_cast<int64_t>(f.lifetime)));
    j["fire_lifetimes"] = std::move(fires);
    j["wind"] = json_vec3(t.wind);
    Json regions = Json::array();
    for (const ShimmerRegion& r : game.hot_air.shimmer_regions)
        regions.push(int_array(std::array<int32_t, 3>{r.lifetime, r.x, r.y}));
    j["shimmer_regions"] = std::move(regions);
    int emitters = 0;
    for (const Emitter& e : game.emitters.emitters) emitters += e.active != 0;
    j["emitters"] = emitters;
    return j;
}

} // namespace

Json dump_game(const Game& game) {
    const AppState& app = game.app;
    const DisplayDevice& dev = game.display;
    Json j = Json::object();
    j["config"] = dump_config(game.config);

    j["app_active"] = app.app_active;
    j["resume_delay"] = app.resume_delay;
    j["resume_since"] = app.resume_since;
    j["now_seconds"] = app.now_seconds;
    j["menu_mode"] = app.menu_mode;
    j["quit_requested"] = app.quit_requested;
    j["Minigame"] = app.Minigame;
    j["music_track"] = app.music_track;
    j["text_language"] = app.text_language;
    j["gamma_level"] = game.config.gamma_level;

    j["mouse_x"] = game.input.mouse_x;
    j["mouse_y"] = game.input.mouse_y;
    j["mouse_buttons"] = int_array(game.input.mouse_buttons);
    j["skip_requested"] = game.input.skip_requested;

    j["display_bpp"] = dev.display_bpp;
    j["back_buffer_count"] = dev.back_buffer_count;
    j["hardware_acceleration"] = game.config.hardware_acceleration;
    j["stencil_shadows"] = game.config.stencil_shadows;
    j["depth_bits"] = dev.depth_bits;
    j["depth_mask"] = dev.depth_mask;
    j["stencil_bits"] = dev.stencil_bits;
    j["stencil_mask"] = dev.stencil_mask;
    j["video_memory_total"] = dev.video_memory_total;

    j["current_scene"] = game.story.current_scene;
    dump_story(game.story, j);
    dump_frame(game, j);
    dump_cursor_and_texts(game, j);
    dump_sound(game, j);
    dump_video(game, j);
    j["objects"] = dump_objects(game.records);
    j["exits"] = dump_exits(game.records);
    j["effects"] = dump_effects(game);

    Json actors = Json::array();
    for (const Actor& a : game.actors.actors) actors.push(dump_actor(a));
    j["actors"] = std::move(actors);
    return j;
}
