// One pre-rendered scene of the demo: how it is described (camera and lights, in the scene
// description's own units), how its geometry is built, which of its things become object
// pictures, and how it is turned into the scene files the game reads.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "render/camera.h"
#include "resources/scene_description.h"
#include "tools/demo/demo_output.h"
#include "tools/demo/renderer.h"
#include "tools/demo/scene_builder.h"
#include "tools/demo/walk_map.h"

// A thing the scene code draws as an object picture: rendered in place, cut out of a render
// that shows it, while the background is rendered without it.
struct DemoObject {
    int number = 0;      // object record number in the scene code
    std::string picture; // its picture file, "gfx/scr_NNN/NAME.bmp"
    int x = 0, y = 0;    // top left of the picture on the screen
    uint16_t tag = 0;    // the shapes it is made of
    bool tool = false;   // can be taken: it gets a tool picture too
};

// The engine's view of a scene (its camera as the game reads it from the description) and the
// same camera as the renderer traces it, with placement helpers for authoring.
struct SceneView {
    SceneCamera camera;
    TraceCamera trace;

    // The point at height `level` (world y) seen at screen point (sx, sy).
    V3d on_level(double sx, double sy, double level) const;
    // The point seen at screen point (sx, sy) at camera depth `depth`.
    V3d at_depth(double sx, double sy, double depth) const;
    // The screen point of a world point, through the engine's projection.
    ScreenPoint screen(const V3d& p) const;
};

// What the scene code of this scene relies on, as authored in the picture: exits, look zones,
// characters' places and stairs. Positions are stored as the scene code stores them: 0.2 above
// the floor, where unproject() puts a point of the floor.
struct DemoExit {
    int x1, y1, x2, y2; // screen rectangle
    int destination;
    int walk_x, walk_y; // where the hero walks before the change
    uint16_t tag;       // the pictured way out
};
struct DemoLook {
    int x1, y1, x2, y2;
    int text; // refusal line
    uint16_t tag;
};
struct DemoPlace {
    std::string who; // "hero from scene 3", "boar", ...
    V3d position;
    double heading;
};
struct DemoStair {
    V3d bottom, top; // where a climb up (down) starts
    double up_heading, down_heading;
    int steps;
};

// An animated strip: a thing that moves in place (a door that opens), rendered frame by frame
// and stacked into one picture. Frame 0 is also part of the background.
struct DemoStrip {
    std::string picture; // "amovie/scr_NNN/NAME.bmp"
    int frames = 0;
    uint16_t tag = 0; // the moving thing's shapes
    // Adds the moving thing as it is in frame k.
    std::function<void(SceneBuilder& builder, int frame)> build_frame;
    // Filled by the generator: where the frames go on the screen and their size.
    int x = 0, y = 0, width = 0, frame_height = 0;
};

struct DemoScene {
    int number = 0;
    SceneDescriptionSource description;
    WalkRules walk;
    std::vector<DemoObject> objects;
    std::vector<DemoExit> exits;
    std::vector<DemoLook> looks;
    std::vector<DemoPlace> places;
    std::vector<DemoStair> stairs;
    std::vector<DemoStrip> strips;
    double exposure = 1;
};

struct SceneRecipe {
    int number;
    void (*describe)(DemoScene& scene);
    void (*build)(const SceneView& view, SceneBuilder& builder, DemoScene& scene);
};

// File coordinates of a world point, and back (world = (a / 10, -c / 10, b / 10)).
std::array<float, 3> file_point(const V3d& world);

struct SceneQuality {
    bool shading = true; // false: geometry only (depth pictures and walk map; grey picture)
    int aa = 2, shadow_rays = 2, ao_rays = 4;
    int threads = 2;
};

// Everything a scene's generation produced, for the files and for checks.
struct GeneratedScene {
    DemoScene scene;
    SceneView view;
    Tracer tracer;           // the background's geometry (without the objects)
    RenderResult background; // with pixel information; shaded when the quality asks for it
    Environment env;         // its light
    std::vector<uint8_t> walk_map;
    // Per object: the pixels it covers in a picture with it present (x0, y0, x1, y1,
    // exclusive; empty when it is not seen), and its picture's size.
    std::vector<std::array<int, 4>> object_pixels;
    std::vector<std::array<int, 2>> object_sizes;
};

// The camera the game will read from the scene's description text.
SceneView scene_view(const DemoScene& scene);

GeneratedScene generate_scene(const SceneRecipe& recipe, const SceneQuality& quality,
                              DemoOutput& out);

// The value the engine's depth buffer holds for a surface point at camera depth `depth`.
uint16_t depth_buffer_value(double depth);
// Float depth-picture value of a pixel without any surface.
inline constexpr float k_sky_depth = -1.0e7f;
