#include "tools/headless/dump.h"

#include "app/game.h"
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

    Json actors = Json::array();
    for (const Actor& a : game.actors.actors) actors.push(dump_actor(a));
    j["actors"] = std::move(actors);
    return j;
}
