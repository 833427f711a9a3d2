// Per-vertex lighting and volumetric fog of model parts, done on the processor before the
// vertices go to the device or the software rasteriser. Colours are ARGB bytes with saturating
// per-byte arithmetic.
#pragma once

#include <span>

#include "render/render_state.h"

// Once per game frame: temporary lights (lifetime neither 0 nor -1) lose one frame.
void tick_lights(Lighting& lighting);

// Diffuse colours of the part's vertices from the ambient colour and the 16 lights. The vertex
// buffer holds camera-space positions (before projection) and view_normals the transformed
// normals; `actor_position` is the actor's world point.
void light_part(ModelPart& part, const Lighting& lighting, const Matrix& view_projection,
                const Vec3& actor_position);

struct FogResult {
    bool fog_used = false;
    uint32_t colour = 0;
};

// Fog factors (the specular colours' top byte) of the part's vertices from the fog volumes the
// ray from the eye crosses. `eye` is the camera-space eye after prepare_fog_volumes. Dense fog
// saturates at full fog.
FogResult fog_part(ModelPart& part, std::span<const FogVolume> volumes, const Vec3& eye);

// Bring the eye and the centres of the fog volumes in use into camera space, once per scene.
void prepare_fog_volumes(std::span<FogVolume> volumes, SceneCamera& camera);
