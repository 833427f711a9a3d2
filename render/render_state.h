// What drawing the characters needs besides the actors: the per-scene fog volumes and shadow
// settings, the software rasteriser's working state, the lists handed to compositing, and the
// context a draw call receives (settings, camera, lights, materials, the device or the software
// targets).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "app/dirty_rects.h"
#include "app/smoothing.h"
#include "platform/device3d.h"
#include "render/camera.h"
#include "render/silhouette.h"
#include "render/software_raster.h"
#include "resources/material.h"
#include "resources/scene_description.h"

struct HardwareTextures;

inline constexpr int k_fog_volume_count = 16;
inline constexpr int k_shadow_light_capacity = 4;
inline constexpr int k_shadow_volume_vertices = 16384;

struct FogVolume {
    int32_t in_use = 0;
    Vec3 centre; // world units until prepare_fog_volumes, camera space after
    float radius = 0, density = 0;
    uint32_t colour = 0;
    float factor = 0;
};

// A shadow volume vertex: position and an unused reciprocal w (the device's position layout).
struct VolumeVertex {
    float x = 0, y = 0, z = 0, rhw = 1;
};

struct ShadowState {
    std::array<Vec3, k_shadow_light_capacity> shadow_lights{};
    int32_t shadow_light_count = 1;
    float shadow_extrusion = 0.25f;
    std::array<std::vector<VolumeVertex>, 2> volume_buffers{
        std::vector<VolumeVertex>(k_shadow_volume_vertices),
        std::vector<VolumeVertex>(k_shadow_volume_vertices)};
    int32_t high_water = 0;
    SilhouetteEdges silhouette;                        // work list of build_shadow_volume
    TexturePtr blob_texture;                           // device path
    const PaletteTexture* blob_soft_texture = nullptr; // software path
};

struct DrawState {
    std::array<FogVolume, k_fog_volume_count> fog_volumes{};
    ShadowState shadows;
    std::unique_ptr<SoftwareRaster> raster = std::make_unique<SoftwareRaster>();
    std::vector<uint16_t> scene_depth16_copy = std::vector<uint16_t>(640 * 480, 65535);
    SmoothList smooth_rects{};
    DirtyList dirty_rects{};
    std::vector<TLVertex> scratch; // triangle list of the part being drawn on the device
};

// Settings the drawing reads (from the configuration).
struct DrawSettings {
    int32_t stencil_shadows = 0; // 0, 1 or 4
    int32_t volumetric_fog = 0;
    int32_t smoothing = 0;
};

struct RenderContext {
    DrawSettings settings;
    SceneCamera& camera;
    Lighting& lighting;
    const MaterialTable& materials;
    DrawState& state;
    // The 3D device path: the device, its textures and whether its depth buffer has a stencil.
    Device3D* device = nullptr;
    HardwareTextures* textures = nullptr;
    int stencil_bits = 0;
    // The software path (device == nullptr): the locked back buffer and the scene buffers.
    SoftwareTargets soft;
};
