#include "app/game_render.h"

#include "app/game.h"

ActorContext actor_context(Game& game) {
    return {game.actors, game.camera, game.scene_buffers, game.random};
}

RenderContext render_context(Game& game) {
    const GameConfig& c = game.config;
    RenderContext ctx{{c.stencil_shadows, c.volumetric_fog, c.smoothing},
                      game.camera,
                      game.lighting,
                      game.materials,
                      game.draw};
    DisplayDevice& dev = game.display;
    if (c.hardware_acceleration && dev.device) {
        ctx.device = dev.device.get();
        ctx.textures = &game.textures;
        ctx.stencil_bits = dev.stencil_bits;
    } else {
        ctx.soft = {game.frame.locked_bits, game.frame.locked_pitch, dev.display_bpp,
                    game.scene_buffers.scene_depth16, game.scene_buffers.scene_picture_rgb32};
    }
    return ctx;
}

void draw_actor(Game& game, Actor& a) {
    // Outside a pass's drawing (no device scene, no locked back buffer) there is nowhere to draw.
    RenderContext ctx = render_context(game);
    if (ctx.device == nullptr && ctx.soft.frame == nullptr) return;
    actor_draw(ctx, a);
}

void draw_actor_attached(Game& game, Actor& object, const Actor& host, int host_part) {
    RenderContext ctx = render_context(game);
    if (ctx.device == nullptr && ctx.soft.frame == nullptr) return;
    actor_draw_attached(ctx, object, host, host_part);
}

void update_and_draw(Game& game, Actor& a) {
    ActorContext ctx = actor_context(game);
    actor_update(ctx, a);
    draw_actor(game, a);
}

void animate_and_draw(Game& game, Actor& a) {
    ActorContext ctx = actor_context(game);
    actor_animate(ctx, a);
    draw_actor(game, a);
}
