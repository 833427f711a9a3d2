// The scene description "data/scr_NNN.txt": the camera over the pre-rendered picture, the scene
// scale, the ambient colour, the fires and the lights.
//
// The reader is not a tokenizer. For each section, in a fixed order, it looks for the section's
// keyword from the start of the text and then pulls numbers that follow opening brackets; closing
// brackets, commas, blanks, letters and line ends all separate numbers. Sections may therefore
// stand in any order in the file, but a missing keyword ends the reading.
//
// File coordinates (a, b, c) become world points (a / 10, -c / 10, b / 10): the file's second
// axis is depth, its third is up, and world y grows downwards.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "resources/scene_math.h"

struct Game;
struct Random;

// The scene camera and the matrices made from it.
struct SceneCamera {
    Vec3 camera_eye, camera_target;
    Vec3 camera_up{0, 1, 0};
    Matrix view_matrix = Matrix::identity();
    Matrix projection_matrix = Matrix::identity();
    // view_matrix x projection_matrix; also recomputed at the start of every frame.
    Matrix view_projection = Matrix::identity();
    float scene_scale = 1;
};

inline constexpr int k_fire_count = 16;
inline constexpr int k_fire_particles = 32;
inline constexpr int k_light_count = 16;

struct FireParticle {
    Vec3 offset; // from the fire's base
    float age = 0;
};

struct SceneFire {
    Vec3 position;
    int32_t lifetime = 0; // frames left; -1 burns for ever; 0 off
    int32_t light = 0;    // non-zero: adds a flickering light each frame
    std::array<FireParticle, k_fire_particles> particles{};
    float size = 0;   // scale of the drawn flame particles
    float spread = 0; // horizontal extent of the particle start positions
    float height = 0; // vertical extent of the particle start positions
    int32_t glow = 0; // non-zero: adds a glow at the base each frame
};

using FireTable = std::array<SceneFire, k_fire_count>;

struct LightSlot {
    int32_t lifetime = 0; // frames left; -1 permanent; 0 free
    uint32_t colour = 0;  // 0x00RRGGBB
    float range = 0;
    Vec3 position;         // transformed by view_projection when added
    int32_t spot_mode = 0; // 0 point light; 1 adding spot light; other values subtracting
    Vec3 direction;        // spot lights: normalise(position - aim), transformed
    float cone = 0;        // spot lights: cosine of the cone angle
};

struct Lighting {
    uint32_t ambient_colour = 0; // 0xAARRGGBB
    std::array<LightSlot, k_light_count> light_table{};
};

// Take the first free slot (lifetime 0); with none free the light is dropped.
void add_light(Lighting& lighting, const Matrix& view_projection, int32_t lifetime,
               const Vec3& position, float range, uint32_t colour, int32_t spot_mode,
               const Vec3& aim, float cone);

// What a description changes.
struct SceneDescriptionTarget {
    SceneCamera& camera;
    Lighting& lighting;
    FireTable& fires;
    Random& random; // the particle offsets of the fires
};

// Apply a description's text. Sections are applied in the order CAMERA, SCALE, AMBIENT, START,
// FIRES, POINTLIGHT, SPOTLIGHT; a missing keyword, or numbers that run out before a section is
// complete, end the reading there and keep what earlier sections set.
void apply_scene_description(std::span<const char> text, const SceneDescriptionTarget& target);

// Largest text read from a loose file and from an archive entry.
inline constexpr size_t k_scene_description_max = 65536;
inline constexpr size_t k_scene_description_archived_max = 131071;

// Read the file (loose first, then the archive) and apply it; nothing changes when it is missing.
void load_scene_description(Game& game, std::string_view path);

// The numbers of a description file, as written in it (file coordinates, degrees, 0..255
// colour components), for the writer.
struct SceneDescriptionSource {
    std::array<float, 3> eye{}, target{};
    float angle = 30, factor = 1;
    float scale = 1;
    std::array<int, 3> ambient{}; // blue, green, red
    std::array<float, 3> start{};
    struct Fire {
        std::array<float, 3> position{};
        float size = 1, height = 1, spread = 1;
        int light = 0, glow = 0;
    };
    struct PointLight {
        std::array<float, 3> position{};
        float range = 1;
        int red = 0, green = 0, blue = 0;
    };
    struct SpotLight {
        int mode = 1;
        std::array<float, 3> position{}, aim{};
        float angle = 30;
        int red = 0, green = 0, blue = 0;
    };
    std::vector<Fire> fires;
    std::vector<PointLight> point_lights;
    std::vector<SpotLight> spot_lights;
};

// The text, one section a line in the reading order, with CR LF line ends.
std::string encode_scene_description(const SceneDescriptionSource& source);
