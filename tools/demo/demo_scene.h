// One pre-rendered scene of the demo: how it is described (camera and lights, in the scene
// description's own units), how its geometry is built, which of its things become object
// pictures, and how it is turned into the scene files the game reads.
#pragma once

#include <cstdint>
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
};

// The engine's view of a scene (its camera as the game reads it from the description) and the
// same camera as the renderer traces it, with placement helpers for authoring.
struct SceneView {
    SceneCamera camera;
    TraceCamera trace;

    // The point at height `level` (world y) seen at screen point (sx, sy).
    V3d on_level(double sx, double sy, double level) const;
    // The screen point of a world point, through the engine's projection.
    ScreenPoint screen(const V3d& p) const;
};

struct DemoScene {
    int number = 0;
    SceneDescriptionSource description;
    WalkRules walk;
    std::vector<DemoObject> objects;
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
    RenderResult background; // with pixel information; shaded when the quality asks for it
    std::vector<uint8_t> walk_map;
};

// The camera the game will read from the scene's description text.
SceneView scene_view(const DemoScene& scene);

GeneratedScene generate_scene(const SceneRecipe& recipe, const SceneQuality& quality,
                              DemoOutput& out);

// The value the engine's depth buffer holds for a surface point at camera depth `depth`.
uint16_t depth_buffer_value(double depth);
// Float depth-picture value of a pixel without any surface.
inline constexpr float k_sky_depth = -1.0e7f;
