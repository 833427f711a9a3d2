// Drawing a character: the model is placed in the world, the animation frame picked, every
// vertex transformed, lit and fogged on the processor, and the triangles handed to the 3D device
// or to the software rasteriser. The depth buffer holds the scene's depth picture, so the
// characters disappear behind the pictured scenery by the ordinary depth test.
#pragma once

#include "render/actor.h"
#include "render/render_state.h"

void actor_draw(RenderContext& ctx, Actor& a);

// An object record carried by `host`: placed at the host's position plus its own, turned with
// the host, and moved by the host's part `host_part` as it animates.
void actor_draw_attached(RenderContext& ctx, Actor& object, const Actor& host, int host_part);
