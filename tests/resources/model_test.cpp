#include <gtest/gtest.h>

#include "resource_test_support.h"
#include "resources/model.h"

namespace {

ModelPartSource triangle_part() {
    ModelPartSource p;
    p.material = 3;
    p.reserved[0] = 0xAB;
    p.vertex_indices = {0, 1, 2};
    p.uv_indices = {0}; // odd count: the next array follows without alignment
    p.positions = {{2, 3, 5}, {1, 0, 0}, {0, 1, 0}};
    p.normals = {{0.5f, 0.5f, 0}, {0, 0, 1}, {1, 0, 0}};
    p.uvs = {{0.5f, 1.0f}, {-0.25f, 0}};
    Matrix m = Matrix::identity();
    m.m[3][0] = 7;
    p.frames = {Matrix::identity(), m};
    return p;
}

std::vector<uint8_t> two_part_file() {
    ModelPartSource empty;
    empty.material = 9;
    const std::vector<ModelPartSource> parts = {triangle_part(), empty};
    return encode_model(parts);
}

} // namespace

TEST(Model, StoresProductsScaledNormalsAndFixedPointCoordinates) {
    Model model;
    ASSERT_TRUE(decode_model(two_part_file(), 2.0f, false, model));
    ASSERT_EQ(model.part_count, 2u);
    const ModelPart& p = model.parts[0];
    EXPECT_EQ(p.header.index_count, 3u);
    EXPECT_EQ(p.header.vertex_count, 3u);
    EXPECT_EQ(p.header.uv_index_count, 1u);
    EXPECT_EQ(p.header.uv_count, 2u);
    EXPECT_EQ(p.header.frame_count, 2u);
    EXPECT_EQ(p.header.material, 3u);
    EXPECT_EQ(p.header.reserved[0], 0xAB);
    EXPECT_EQ(p.positions[0], (std::array<float, 4>{2, 3, 5, 6}));
    EXPECT_EQ(p.normals[0], (std::array<float, 4>{1, 1, 0, 1}));
    EXPECT_EQ(p.uvs_fixed[0], (std::array<int32_t, 2>{32767, 65535}));
    EXPECT_EQ(p.uvs_fixed[1], (std::array<int32_t, 2>{-16383, 0}));
    EXPECT_TRUE(p.uvs.empty());
    EXPECT_EQ(p.frames[1].m[3][0], 7);
    ASSERT_EQ(p.screen_vertices.size(), 5u);
    EXPECT_EQ(p.screen_vertices[2].specular, 0xFF000000u);
    EXPECT_EQ(p.screen_vertices[3].specular, 0u);
    EXPECT_EQ(p.view_normals.size(), 5u);

    // A part without vertices still has its two spare screen vertices.
    EXPECT_EQ(model.parts[1].header.material, 9u);
    EXPECT_EQ(model.parts[1].screen_vertices.size(), 2u);

    Model hardware;
    ASSERT_TRUE(decode_model(two_part_file(), 1.0f, true, hardware));
    EXPECT_EQ(hardware.parts[0].uvs[0], (std::array<float, 2>{0.5f, 1.0f}));
    EXPECT_TRUE(hardware.parts[0].uvs_fixed.empty());
    EXPECT_EQ(hardware.parts[0].normals[0], (std::array<float, 4>{0.5f, 0.5f, 0, 0.25f}));
}

TEST(Model, LoadedModelIsNeverReplaced) {
    ScratchDir dir;
    write_file("models/a.ani", two_part_file());
    ModelPartSource single = triangle_part();
    write_file("models/b.ani", encode_model(std::vector<ModelPartSource>{single}));
    Model model;
    load_model_parts(model, "models/missing.ani", 2, false);
    EXPECT_TRUE(model.parts.empty());
    load_model_parts(model, "models/a.ani", 2, false);
    ASSERT_EQ(model.part_count, 2u);
    load_model_parts(model, "models/b.ani", 2, false);
    EXPECT_EQ(model.part_count, 2u);
    release_model(model);
    EXPECT_TRUE(model.parts.empty());
    load_model_parts(model, "models/b.ani", 2, false);
    EXPECT_EQ(model.part_count, 1u);
}

TEST(Model, DamagedFilesAreRefusedWhole) {
    const std::vector<uint8_t> good = two_part_file();
    // Every shorter file is refused, without reading past it.
    for (size_t n = 0; n < good.size(); ++n) {
        Model model;
        EXPECT_FALSE(decode_model(std::span(good.data(), n), 2, false, model)) << n;
        EXPECT_TRUE(model.parts.empty());
    }
    // An index pointing past its array.
    std::vector<uint8_t> bad_index = good;
    bad_index[4 + 88 + 4] = 3; // third vertex index of part 0
    Model model;
    EXPECT_FALSE(decode_model(bad_index, 2, false, model));
    // Counts far beyond the file.
    std::vector<uint8_t> huge = good;
    huge[4 + 4] = 0xFF; // vertex count
    huge[4 + 7] = 0x7F;
    EXPECT_FALSE(decode_model(huge, 2, false, model));
    std::vector<uint8_t> many_parts = good;
    many_parts[3] = 0x40;
    EXPECT_FALSE(decode_model(many_parts, 2, false, model));
}
