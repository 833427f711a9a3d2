// Character shadows. A blob: a dark 6x6-unit square under the actor, textured with a soft spot,
// darkening the picture below it (both drawing paths). Stencil shadow volumes: with a 3D device
// whose depth buffer has a stencil, the silhouette of each part is extruded away from the scene's
// shadow light, the volume counted into the stencil, and the counted pixels darkened by half in
// one full-screen pass at the end of the 3D drawing.
#pragma once

#include <span>

#include "render/actor.h"
#include "render/render_state.h"

// The blob under reference point r (the actor's position, or its host's for a carried object).
// It never turns with the actor.
void draw_blob_shadow(RenderContext& ctx, Actor& a, const Vec3& r);

// The silhouette of a part's triangles as seen from light point L, extruded by `extrusion`, as
// a triangle list into `out`. Returns the vertex count. Edges shared by two triangles facing away
// from the light cancel. A volume that would overflow `out` is cut at the last whole edge.
int build_shadow_volume(std::span<const Vec3> positions, std::span<const uint16_t> indices,
                        const Vec3& light, float extrusion, std::span<VolumeVertex> out,
                        SilhouetteEdges& silhouette);

// The volumes of every part for every shadow light, counted into the stencil. For a carried
// object (`host` not null) each part's volume is built in its model space with `part_worlds`.
void draw_shadow_volumes(RenderContext& ctx, Actor& a, std::span<const Matrix> part_worlds,
                         bool in_model_space);

// One projected volume counted into the stencil: faces seen clockwise increment it (saturating),
// then faces seen counter-clockwise decrement it.
void count_shadow_volume(Device3D& device, std::span<const VolumeVertex> volume);

// The darkening pass: a black, half-transparent quad over every pixel whose stencil is not 0,
// clearing those stencil values.
void draw_shadow_darkening(Device3D& device);
