#include "app/config.h"

#include <algorithm>
#include <cstdio>

#include "platform/files.h"

const std::array<ConfigField, 16> k_config_fields = {{
    {"hardware_acceleration", 0, &GameConfig::hardware_acceleration},
    {"true_colour", 1, &GameConfig::true_colour},
    {"triple_buffer", 2, &GameConfig::triple_buffer},
    {"stencil_shadows", 3, &GameConfig::stencil_shadows},
    {"volumetric_fog", 4, &GameConfig::volumetric_fog},
    {"hot_air", 5, &GameConfig::hot_air},
    {"smoothing", 6, &GameConfig::smoothing},
    {"sound_enabled", 7, &GameConfig::sound_enabled},
    {"music_enabled", 8, &GameConfig::music_enabled},
    {"gamma_level", 9, &GameConfig::gamma_level},
    {"video_enabled", 10, &GameConfig::video_enabled},
    {"subtitles", 11, &GameConfig::subtitles},
    {"effects_volume", 12, &GameConfig::effects_volume},
    {"music_volume", 13, &GameConfig::music_volume},
    {"speech_volume", 14, &GameConfig::speech_volume},
    {"ati_compat", 16, &GameConfig::ati_compat},
}};

namespace {

int32_t get_le32(const uint8_t* p) {
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                                static_cast<uint32_t>(p[2]) << 16 |
                                static_cast<uint32_t>(p[3]) << 24);
}

void put_le32(uint8_t* p, int32_t v) {
    auto u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(u >> (8 * i));
}

} // namespace

void sanitize_config(GameConfig& c) {
    // The smoothing mode indexes the compositing modes, the volumes index volume tables:
    // anything else would read outside them.
    if (c.smoothing < 0 || c.smoothing > 3) c.smoothing = 0;
    for (int32_t GameConfig::*v :
         {&GameConfig::effects_volume, &GameConfig::music_volume, &GameConfig::speech_volume})
        c.*v = std::clamp(c.*v, 0, 4);
    // Below the floor of the darkening key the screen is black and the key cannot bring it back.
    c.gamma_level = std::max(c.gamma_level, k_gamma_floor);
}

std::array<uint8_t, k_config_bytes> encode_config(const GameConfig& config, int32_t clean_exit) {
    std::array<uint8_t, k_config_bytes> bytes{};
    for (const ConfigField& f : k_config_fields) put_le32(&bytes[f.word * 4], config.*f.member);
    put_le32(&bytes[k_clean_exit_word * 4], clean_exit);
    return bytes;
}

int32_t decode_config(const uint8_t* bytes, size_t size, GameConfig& config) {
    const size_t words = std::min(size, k_config_bytes) / 4;
    for (const ConfigField& f : k_config_fields)
        if (f.word < words) config.*f.member = get_le32(bytes + f.word * 4);
    return k_clean_exit_word < words ? get_le32(bytes + k_clean_exit_word * 4) : 0;
}

int32_t read_config(GameConfig& config) {
    FILE* f = file_open(k_config_path, "rb");
    if (!f) return 0;
    uint8_t bytes[k_config_bytes];
    const size_t n = std::fread(bytes, 1, sizeof bytes, f);
    std::fclose(f);
    return decode_config(bytes, n, config);
}

bool write_config(const GameConfig& config, int32_t clean_exit) {
    const auto bytes = encode_config(config, clean_exit);
    return file_write_atomic(k_config_path, bytes);
}
