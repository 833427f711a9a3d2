// A small stage for drawing tests: a scene built with the project's writers (description, model)
// and in memory (picture, depth pictures, walk map), a hero made with the model writer, and a
// frame that runs the real drawing code into the headless display on either path.
//
// The scene: a floor seen from above and behind, a pillar standing on it whose picture is
// nearer than the floor behind it, and a raised step at the right for stair tests. When the demo
// content's generated scenes are available, a scene loaded from there can take its place.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/device3d.h"
#include "render/actor.h"
#include "render/model_draw.h"
#include "resources/hardware_texture.h"

enum class DrawPath {
    device,
    software
};

struct HarnessOptions {
    DrawPath path = DrawPath::device;
    int bpp = 32;
    bool stencil = false;
    DrawSettings settings;
};

struct RenderHarness {
    explicit RenderHarness(const HarnessOptions& options);
    ~RenderHarness();

    HarnessOptions options;
    Display display;
    Driver3DPtr driver;
    SurfacePtr back_buffer, work, depth;
    Device3DPtr device;
    SceneCamera camera;
    Lighting lighting;
    SceneBuffers scene;
    std::unique_ptr<ActorState> actors = std::make_unique<ActorState>();
    std::unique_ptr<DrawState> draw = std::make_unique<DrawState>();
    std::unique_ptr<MaterialTable> materials = std::make_unique<MaterialTable>();
    HardwareTextures textures;
    TexturePtr blob_texture;
    std::unique_ptr<PaletteTexture> blob_soft = std::make_unique<PaletteTexture>();
    Random random;
    // Drawn after the characters (and the stencil darkening) in each pass, as the game frame
    // draws its effects.
    std::function<void(RenderContext&)> effects;

    ActorContext actor_context() { return {*actors, camera, scene, random}; }

    // The hero of slot `slot` standing on the floor under screen point (x, y).
    Actor& place_hero(int slot, int x, int y, float heading);
    Vec3 floor_point(int x, int y) const;

    // One frame: the picture and depth, then every actor with a model drawn, the stencil
    // darkening and smoothing. The software path runs two passes so the blob shadows drawn into
    // the frame picture reach the screen.
    void frame();
    // The two halves of a pass: the picture (and the device's depth), then the drawing (and
    // smoothing when `smooth`).
    void begin_pass();
    void draw_pass(bool smooth);
};

// The screen rectangle of the pillar standing in front of the floor.
inline constexpr int k_pillar_left = 380, k_pillar_right = 430, k_pillar_top = 120,
                     k_pillar_bottom = 330;
