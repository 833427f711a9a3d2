#include "tools/headless/dump.h"

#include "app/game.h"

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
    return j;
}
