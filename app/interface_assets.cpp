#include "app/interface_assets.h"

#include <cstdio>

#include "app/game.h"
#include "resources/material.h"
#include "scenes/scene_assets.h"

namespace {

constexpr const char* k_cursor_paths[k_cursor_kinds] = {"textures/2str2.bmp",  "textures/hand.bmp",
                                                        "textures/tube.bmp",   "textures/mlot.bmp",
                                                        "textures/comp_c.bmp", "textures/tlk.bmp"};

// Effect textures every scene may use; "textures/shade.bmp" is also the blob shadow's.
constexpr const char* k_effect_textures[] = {"textures/glow.bmp", "textures/smoke.bmp",
                                             "textures/shade.bmp", "textures/fire.bmp"};
constexpr const char* k_shadow_texture = "textures/shade.bmp";

// The heroes' textures and their texture numbers (the heroes' material bases).
struct HeroTexture {
    int number;
    const char* name;
};
constexpr HeroTexture k_hero_textures[] = {{3, "brask"}, {0, "tovi"}};

bool hardware(const Game& game) {
    return game.config.hardware_acceleration && game.display.device;
}

void load_interface_pictures(Game& game) {
    DisplayDevice& dev = game.display;
    InterfaceAssets& ui = game.ui;
    load_picture_surface(dev, ui.frame_up, "gfx/up.bmp");
    load_picture_surface(dev, ui.frame_mid, "gfx/mid.bmp");
    load_picture_surface(dev, ui.frame_down, "gfx/down.bmp");
    load_picture_surface(dev, ui.toolbar_frame, "gfx/ramka2.bmp");
    load_picture_surface(dev, ui.toolbar, "gfx/toolbar.bmp");
    load_picture_surface(dev, ui.toolbar_button, "gfx/knop.bmp");
    for (int k = 0; k < k_cursor_kinds; ++k)
        load_picture_surface(dev, ui.cursor[size_t(k)], k_cursor_paths[k]);
}

// The effect textures on the 3D device. Named textures keep their pictures, so making
// them again after a loss reads no file.
void make_device_textures(Game& game) {
    Device3D* device = game.display.device.get();
    for (const char* name : k_effect_textures) {
        create_named_texture(game.textures, name, 0, k_texture_request_16_bits);
        restore_named_texture(game.textures, name, device);
    }
    game.draw.shadows.blob_texture = get_named_texture(game.textures, k_shadow_texture);
}

void load_hero_textures(Game& game) {
    for (const HeroTexture& t : k_hero_textures) load_scene_texture(game, t.number, t.name);
}

void load_software_shadow(Game& game) {
    if (load_palette_texture(game.ui.shadow_picture, k_shadow_texture))
        game.draw.shadows.blob_soft_texture = &game.ui.shadow_picture;
}

void reload_held_tool(Game& game) {
    const int32_t tool = game.story.active_tool;
    if (!tool_held(tool) || !game.toolbar.tool_picture) return;
    char path[32];
    std::snprintf(path, sizeof path, "gfx/tools/tool%3.3d.bmp", tool);
    load_picture_surface(game.display, game.toolbar.tool_picture, path);
}

} // namespace

void load_interface_assets(Game& game) {
    const bool hw = hardware(game);
    InterfaceAssets& ui = game.ui;
    load_model_parts(ui.shadow_model, "models/shade.ani", 1, hw);
    load_model_parts(ui.fly_model, "models/fly.ani", 4, hw);
    load_picture_rgb64(ui.glow_picture, "textures/galo.bmp");
    load_fire_frames(game.fire_frames);
    load_interface_pictures(game);
    if (hw)
        make_device_textures(game);
    else
        load_software_shadow(game);
    load_hero_textures(game);
}

void reload_interface_assets(Game& game) {
    reload_held_tool(game);
    load_interface_pictures(game);
    if (!hardware(game)) return;
    for (const char* name : k_effect_textures) destroy_named_texture(game.textures, name);
    make_device_textures(game);
    load_hero_textures(game);
    set_fixed_render_states(game.display);
    create_vertex_buffers(game.display);
}
