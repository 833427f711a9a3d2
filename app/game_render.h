// What the scene logic needs to move and draw characters within a game pass: the actors' shared
// context, and drawing on whichever path the display uses (the 3D device, or the software
// rasteriser into the back buffer the pass has locked).
#pragma once

#include "render/actor.h"
#include "render/model_draw.h"

struct Game;

ActorContext actor_context(Game& game);
RenderContext render_context(Game& game);

void draw_actor(Game& game, Actor& a);
void draw_actor_attached(Game& game, Actor& object, const Actor& host, int host_part);
// actor_update, actor_animate or actor_animate_plain followed by the drawing.
void update_and_draw(Game& game, Actor& a);
void animate_and_draw(Game& game, Actor& a);
