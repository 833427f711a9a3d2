// Authoring helpers for the pre-rendered scenes: solids, rock and foliage blobs, terrain, and the
// bookkeeping of which shapes belong to which named thing (tags) so that object pictures and the
// walk map can tell them apart.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "tools/demo/materials.h"
#include "tools/demo/renderer.h"
#include "tools/demo/tracer.h"

inline constexpr uint8_t k_solid = shape_casts_shadow | shape_obstacle;
inline constexpr uint8_t k_floor = shape_casts_shadow | shape_floor;
inline constexpr uint8_t k_decor = shape_casts_shadow; // out of reach: no walking concerns

class SceneBuilder {
public:
    Tracer tracer;
    std::vector<SceneMaterial> materials;
    Environment env;
    // Extra volumes that only the walk map sees (the footprint of a mesh, a fence line).
    std::vector<Shape> walk_obstacles;
    uint16_t tag = 0; // tag given to the shapes added from now on
    // Pictures of pictured materials, kept as long as the materials that show them.
    std::vector<std::unique_ptr<MaterialPicture>> pictures;

    uint16_t material(const SceneMaterial& m);
    // A pictured material from sRGB pixels.
    uint16_t picture_material(int width, int height, const std::vector<V3d>& srgb_pixels);

    void box(const V3d& centre, const V3d& half, double yaw, uint16_t mat, uint8_t flags = k_solid);
    void cylinder(const V3d& a, const V3d& b, double r, uint16_t mat, uint8_t flags = k_solid);
    void cone(const V3d& a, const V3d& b, double r0, double r1, uint16_t mat,
              uint8_t flags = k_solid);
    void sphere(const V3d& centre, double r, uint16_t mat, uint8_t flags = k_solid);
    void triangle(const V3d& a, const V3d& b, const V3d& c, uint16_t mat, uint8_t flags);
    // Two triangles a-b-c and a-c-d; with `uv`, the corners carry the texture coordinates
    // (u0, v0), (u1, v0), (u1, v1), (u0, v1) for pictured materials.
    void quad(const V3d& a, const V3d& b, const V3d& c, const V3d& d, uint16_t mat, uint8_t flags,
              const std::array<float, 4>* uv = nullptr);

    // A lumpy closed surface around `centre` with the given radii: an icosphere subdivided
    // `detail` times, each vertex pushed out by noise of relative size `roughness`. Rocks,
    // bushes and tree crowns. With shape_obstacle set, its footprint also blocks the walk map.
    void blob(const V3d& centre, const V3d& radii, double roughness, uint32_t seed, int detail,
              uint16_t mat, uint8_t flags = k_solid);

    // Ground over [x0, x1] x [z0, z1] as triangles of side `step`, with smooth normals; `keep`
    // may drop cells (holes for other floors).
    // `tag_at` may give cells a tag of their own (a path that an exit names).
    void terrain(double x0, double z0, double x1, double z1, double step,
                 const std::function<double(double, double)>& height, uint16_t mat,
                 uint8_t flags = k_floor, const std::function<bool(double, double)>& keep = nullptr,
                 const std::function<uint16_t(double, double)>& tag_at = nullptr);

    // A surface of revolution around a vertical axis through `base` (y grows downwards): the
    // profile lists (radius, height above the base) pairs from bottom to top. Jugs, bowls.
    void lathe(const V3d& base, const std::vector<std::pair<double, double>>& profile, int segments,
               uint16_t mat, uint8_t flags = k_solid);
};

// A tracer with the shapes of `source` minus those whose tag is in `without`.
Tracer filtered_tracer(const Tracer& source, const std::vector<uint16_t>& without);
