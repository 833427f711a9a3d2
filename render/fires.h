// The scene's fires: each adds a flickering light and a glow at its base, throws off an
// occasional sparkle, and burns as 32 flame particles that rise, shrink and start again at the
// base. With a 3D device the flames are additive textured quads; without one, pre-scaled flame
// sprites added into the frame picture.
#pragma once

#include "render/glows.h"
#include "render/sparkles.h"
#include "resources/scene_description.h"

struct EffectContext;

// One frame of every burning fire (lifetime not 0), in slot order. A fire of lifetime -1 burns
// for ever; others count down.
void draw_fires(EffectContext& ctx, FireTable& fires, GlowTable& glows, SparkleTable& sparkles);

// The flame sprite of the software path for a flame projected to pixel (x, y) with half-extent
// `half`: the pre-scaled frame, its side and its top-left corner. Side 0 when nothing is drawn:
// the flame's square touches or crosses the screen's border, or the sprite would be a pixel or
// less.
struct FlameSprite {
    int frame = 0;
    int side = 0;
    int left = 0, top = 0;
};
FlameSprite flame_sprite(int x, int y, int half);
