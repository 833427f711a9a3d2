// The settings file "saves/config.cfg": 17 little-endian 32-bit words, nothing else.
//
// Both programs read and write it. Word 16 is not a setting but the clean-exit word: 0 is
// written at start-up and 1 at an orderly exit, so a start after a crash shows the options dialog.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

struct GameConfig {
    int32_t hardware_acceleration = 1;
    int32_t true_colour = 0;
    int32_t triple_buffer = 1;
    int32_t stencil_shadows = 0; // 0 off, 1 wanted without stencil buffer, 4 stencil in use
    int32_t volumetric_fog = 1;
    int32_t hot_air = 1;
    int32_t smoothing = 0; // 0 none, 1 edges, 2 full, 3 contour
    int32_t sound_enabled = 1;
    int32_t music_enabled = 1;
    int32_t gamma_level = 255;
    int32_t video_enabled = 1;
    int32_t subtitles = 1;
    int32_t effects_volume = 4; // 0..4
    int32_t music_volume = 4;
    int32_t speech_volume = 4;
    int32_t ati_compat = 0;
};

inline constexpr const char* k_config_path = "saves/config.cfg";
inline constexpr size_t k_config_words = 17;
inline constexpr size_t k_config_bytes = k_config_words * 4;
inline constexpr size_t k_clean_exit_word = 15; // zero-based index of word 16

// One setting and its place in the file.
struct ConfigField {
    const char* name;
    size_t word; // zero-based word index
    int32_t GameConfig::*member;
};

extern const std::array<ConfigField, 16> k_config_fields;

inline constexpr int32_t k_gamma_floor = 32;

// Bring values that the game could never have written back into the ranges the code relies on.
void sanitize_config(GameConfig& config);

std::array<uint8_t, k_config_bytes> encode_config(const GameConfig& config, int32_t clean_exit);

// Decode as many whole words as `bytes` holds; fields without a word keep their values.
// Returns the clean-exit word, or 0 when the data is too short to hold it.
int32_t decode_config(const uint8_t* bytes, size_t size, GameConfig& config);

// Read the file into `config`. Returns its clean-exit word; 0 when the file is missing or short.
int32_t read_config(GameConfig& config);

// Write the whole file under a temporary name and rename it into place. Returns false, having
// changed nothing, when there is no "saves" folder or the file is read-only.
bool write_config(const GameConfig& config, int32_t clean_exit);
