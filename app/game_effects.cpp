#include "app/game_effects.h"

#include "app/game.h"
#include "app/game_render.h"
#include "render/effect_context.h"

namespace {

constexpr const char* k_smoke_texture = "textures/smoke.bmp";
constexpr const char* k_fire_texture = "textures/fire.bmp";
constexpr const char* k_glow_texture = "textures/shade.bmp";

} // namespace

void run_effects(Game& game) {
    RenderContext render = render_context(game);
    if (render.device == nullptr && render.soft.frame == nullptr) return;
    EffectContext ctx{render, game.random};
    DisplayDevice& dev = game.display;
    if (render.device != nullptr) {
        ctx.quads = dev.quad_vertex_buffer.get();
        ctx.smoke_texture = get_named_texture(game.textures, k_smoke_texture);
        ctx.fire_texture = get_named_texture(game.textures, k_fire_texture);
        ctx.glow_texture = get_named_texture(game.textures, k_glow_texture);
        ctx.depth = dev.depth_buffer.get();
        ctx.depth_bits = dev.depth_bits;
        ctx.depth_mask = dev.depth_mask;
    } else {
        ctx.fire_frames = &game.fire_frames;
        ctx.glow_picture = game.ui.glow_picture;
    }
    run_effect_steps(ctx, game.effects, game.fires);
}

void run_hot_air(Game& game) {
    if (game.config.hot_air == 0 || game.display.back_buffer == nullptr) return;
    hot_air_step(game.hot_air, game.random, *game.display.back_buffer);
}
