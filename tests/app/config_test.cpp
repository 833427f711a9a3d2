#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "app/config.h"
#include "temp_dir.h"

namespace {

std::vector<uint8_t> file_bytes(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void put_file(const char* path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

int32_t word(const std::vector<uint8_t>& b, size_t i) {
    return static_cast<int32_t>(b[i * 4] | b[i * 4 + 1] << 8 | b[i * 4 + 2] << 16 |
                                static_cast<uint32_t>(b[i * 4 + 3]) << 24);
}

TEST(Config, WordsStandInTheirOrderWithTheCleanExitWordSixteenth) {
    GameConfig c;
    int32_t value = 100;
    for (const ConfigField& f : k_config_fields) c.*f.member = value++;
    const auto bytes = encode_config(c, 7);
    const std::vector<uint8_t> b(bytes.begin(), bytes.end());
    ASSERT_EQ(b.size(), 68u);
    const char* order[] = {
        "hardware_acceleration", "true_colour",  "triple_buffer", "stencil_shadows",
        "volumetric_fog",        "hot_air",      "smoothing",     "sound_enabled",
        "music_enabled",         "gamma_level",  "video_enabled", "subtitles",
        "effects_volume",        "music_volume", "speech_volume"};
    for (size_t i = 0; i < 15; ++i) {
        EXPECT_STREQ(k_config_fields[i].name, order[i]);
        EXPECT_EQ(word(b, i), 100 + static_cast<int32_t>(i)) << order[i];
    }
    EXPECT_EQ(word(b, 15), 7) << "clean-exit word";
    EXPECT_EQ(word(b, 16), 115) << "ati_compat comes last";
    EXPECT_EQ(b[0], 100) << "little-endian";

    GameConfig back;
    EXPECT_EQ(decode_config(b.data(), b.size(), back), 7);
    for (const ConfigField& f : k_config_fields) EXPECT_EQ(back.*f.member, c.*f.member) << f.name;
}

TEST(Config, ShortDataKeepsUnreadFieldsAndReturnsZero) {
    GameConfig c;
    c.smoothing = 3;
    const uint8_t ten[10] = {0, 0, 0, 0, 1, 0, 0, 0, 9, 9};
    EXPECT_EQ(decode_config(ten, sizeof ten, c), 0);
    EXPECT_EQ(c.hardware_acceleration, 0);
    EXPECT_EQ(c.true_colour, 1);
    EXPECT_EQ(c.triple_buffer, 1) << "a partial word is not read";
    EXPECT_EQ(c.smoothing, 3);
}

TEST(Config, ValuesTheGameCannotHaveWrittenAreBroughtIntoRange) {
    struct Case {
        int32_t GameConfig::*field;
        int32_t stored, read;
    } cases[] = {
        {&GameConfig::smoothing, 2, 2},       {&GameConfig::smoothing, 4, 0},
        {&GameConfig::smoothing, -1, 0},      {&GameConfig::effects_volume, 9, 4},
        {&GameConfig::music_volume, -3, 0},   {&GameConfig::speech_volume, 3, 3},
        {&GameConfig::gamma_level, 0, 32},    {&GameConfig::gamma_level, 100000, 100000},
        {&GameConfig::stencil_shadows, 4, 4}, {&GameConfig::hardware_acceleration, -7, -7},
    };
    for (const Case& c : cases) {
        GameConfig config;
        config.*c.field = c.stored;
        sanitize_config(config);
        EXPECT_EQ(config.*c.field, c.read) << "stored " << c.stored;
    }
}

TEST(Config, ReadAndWriteTheFileInTheSavesFolder) {
    TempWorkDir dir;
    GameConfig c;
    EXPECT_EQ(read_config(c), 0) << "no file";
    c.gamma_level = 301;
    c.stencil_shadows = 4;
    ASSERT_TRUE(write_config(c, 1));
    EXPECT_EQ(file_bytes(k_config_path).size(), 68u);
    GameConfig back;
    EXPECT_EQ(read_config(back), 1);
    EXPECT_EQ(back.gamma_level, 301);
    EXPECT_EQ(back.stencil_shadows, 4);
}

TEST(Config, DamagedOrProtectedFilesNeverLoseData) {
    TempWorkDir dir;
    std::vector<uint8_t> noise(1 << 20);
    uint32_t x = 12345;
    for (uint8_t& b : noise) b = static_cast<uint8_t>((x = x * 1103515245 + 12345) >> 16);
    put_file(k_config_path, noise);
    GameConfig c;
    read_config(c);
    sanitize_config(c); // as the game does after reading
    EXPECT_GE(c.smoothing, 0);
    EXPECT_LE(c.smoothing, 3);
    EXPECT_GE(c.gamma_level, 32);

    put_file(k_config_path, {1, 2, 3});
    chmod(k_config_path, 0444);
    EXPECT_FALSE(write_config(GameConfig{}, 0));
    EXPECT_EQ(file_bytes(k_config_path), (std::vector<uint8_t>{1, 2, 3}));
}

TEST(Config, NoSavesFolderWritesNothing) {
    TempWorkDir dir(false);
    EXPECT_FALSE(write_config(GameConfig{}, 0));
    EXPECT_FALSE(std::filesystem::exists("saves"));
}

} // namespace
