// Procedural surface materials: the colour, bumped normal and shininess of a surface point.
// Colours are linear (not gamma encoded), 0..1.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "tools/demo/tracer.h"
#include "tools/demo/vec.h"

enum class MaterialKind : uint8_t {
    flat,    // one colour
    grass,   // tufted green with dry patches
    dirt,    // trodden earth with pebbles
    stone,   // dressed stone blocks (mortar lines in the local x/y of a box)
    rock,    // weathered natural rock
    planks,  // floor or wall boards along local x
    log,     // end-grain rings across a cone's axis, bark around it
    bark,    // tree bark along a cone's axis
    leaves,  // foliage clumps
    plaster, // lime plaster with stains
    cloth,   // woven fabric
    metal,   // worn iron or brass
    water,   // dark still water
    picture, // a picture over the triangles' texture coordinates
};

// A picture for pictured materials: linear colours, rows top first.
struct MaterialPicture {
    int width = 0, height = 0;
    std::vector<V3d> pixels;
};

struct SceneMaterial {
    MaterialKind kind = MaterialKind::flat;
    V3d colour{0.5, 0.5, 0.5};
    V3d colour2{0.3, 0.3, 0.3}; // secondary colour (dry grass, mortar, grain, weave)
    double scale = 1;           // feature size in world units
    double bump = 0.3;          // strength of the normal perturbation
    double specular = 0;        // 0..1
    double shininess = 16;
    uint32_t seed = 1;
    V3d emission{0, 0, 0};
    // Terrain mixes: where `blend` gives 1 the material `blend_with` shows instead, with a soft,
    // noisy edge where it lies between 0 and 1.
    int blend_with = -1;
    std::function<double(const V3d&)> blend;
    const MaterialPicture* picture = nullptr;
};

struct SurfacePoint {
    V3d albedo;
    V3d normal;
    double specular = 0;
    double shininess = 16;
    V3d emission;
};

SurfacePoint eval_material(const SceneMaterial& m, const Hit& hit);

// Linear 0..1 from an sRGB byte triple, for authoring colours by eye.
V3d srgb(int r, int g, int b);
