// Animated models ".ani": rigid parts, each a textured triangle mesh moved by its own matrix per
// animation frame.
//
// File (little-endian, no signature, arrays packed without alignment): a 32-bit part count, then
// per part an 88-byte header (index count, vertex count V, texture-coordinate index count,
// texture-coordinate count, frame count, material number, 64 reserved bytes), the 16-bit vertex
// indices, the 16-bit texture-coordinate indices, V positions (3 floats), the texture
// coordinates (2 floats), V normals (3 floats) and the frame matrices (16 floats, row-major,
// translation in the fourth row).
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "resources/scene_math.h"

inline constexpr size_t k_model_header_bytes = 88;
// Largest model file read.
inline constexpr size_t k_model_file_max = 64u << 20;

struct ModelPartHeader {
    uint32_t index_count = 0;
    uint32_t vertex_count = 0;
    uint32_t uv_index_count = 0;
    uint32_t uv_count = 0;
    uint32_t frame_count = 0;
    uint32_t material = 0; // added to the actor's material base
    std::array<uint8_t, 64> reserved{};
};

// A pre-transformed vertex as the drawing code fills it each frame.
struct ScreenVertex {
    float x = 0, y = 0, z = 0, rhw = 0;
    uint32_t colour = 0, specular = 0;
    float u = 0, v = 0;
};
static_assert(sizeof(ScreenVertex) == 32);

struct ModelPart {
    ModelPartHeader header;
    std::vector<uint16_t> vertex_indices;
    std::vector<uint16_t> uv_indices;
    // x, y, z and x * y: the product lets the transform save a multiplication per dot product.
    std::vector<std::array<float, 4>> positions;
    // Texture coordinates: floats for the 3D device, or u and v times 65535 (truncated) for the
    // software rasteriser; only the form of the load is filled.
    std::vector<std::array<float, 2>> uvs;
    std::vector<std::array<int32_t, 2>> uvs_fixed;
    // Scaled by the load's normal scale: x s, y s, z s and the product of the first two.
    std::vector<std::array<float, 4>> normals;
    std::vector<Matrix> frames;
    std::vector<ScreenVertex> screen_vertices; // V + 2; specular of the first V is 0xFF000000
    std::vector<Vec3> view_normals;            // V + 2
};

struct Model {
    uint32_t part_count = 0;
    std::vector<ModelPart> parts; // empty: no model loaded
};

// Parse a whole file. False, with `model` untouched, when the file is shorter than its counts
// say or an index points outside its array.
bool decode_model(std::span<const uint8_t> file, float normal_scale, bool hardware_acceleration,
                  Model& model);

// The file part of loading a model into an actor: a model already loaded is never replaced (it
// must be released first); a missing or damaged file leaves the actor without a model.
void load_model_parts(Model& model, std::string_view path, float normal_scale,
                      bool hardware_acceleration);

void release_model(Model& model);

// One part as written: V = positions.size() (normals must have as many), texture coordinates as
// floats.
struct ModelPartSource {
    uint32_t material = 0;
    std::array<uint8_t, 64> reserved{};
    std::vector<uint16_t> vertex_indices, uv_indices;
    std::vector<Vec3> positions, normals;
    std::vector<std::array<float, 2>> uvs;
    std::vector<Matrix> frames;
};

// Empty when a part's normals do not match its positions.
std::vector<uint8_t> encode_model(std::span<const ModelPartSource> parts);
