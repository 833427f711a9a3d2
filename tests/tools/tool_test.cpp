// vantor-tool run as a program on fixtures made by the format writers.
#include <sys/wait.h>

#include <cstdio>
#include <cstring>

#include <gtest/gtest.h>

#include "app/save_file.h"
#include "resources/bmp.h"
#include "resources/model.h"
#include "resources/msk.h"
#include "resources/pixel_convert.h"
#include "resources/scene_description.h"
#include "resources/text_table.h"
#include "resources/tiff_picture.h"
#include "resources/zbf.h"
#include "tests/resources/resource_test_support.h"
#include "tools/common/json.h"
#include "tools/common/png_image.h"

namespace {

struct ToolRun {
    int status = -1;
    std::string out;
    Json json;
};

// ToolRun the tool in the working directory; stderr is dropped.
ToolRun tool(const std::string& arguments) {
    ToolRun r;
    const std::string command = std::string("'") + VANTOR_TOOL + "' " + arguments + " 2>/dev/null";
    FILE* p = popen(command.c_str(), "r");
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
    const int status = pclose(p);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    Json::parse(r.out, r.json);
    return r;
}

double number(const Json& j, const char* path) {
    const Json* v = j.find(path);
    EXPECT_NE(v, nullptr) << path;
    return v ? v->number() : -1;
}

std::vector<uint8_t> read_back(const std::string& path) {
    std::vector<uint8_t> bytes;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return bytes;
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.insert(bytes.end(), buf, buf + n);
    std::fclose(f);
    return bytes;
}

RgbPicture scene_picture() {
    RgbPicture p{640, 480, std::vector<uint8_t>(640 * 480 * 3)};
    for (size_t k = 0; k < 640 * 480; ++k) {
        p.rgb[k * 3] = static_cast<uint8_t>(k % 640 / 3);
        p.rgb[k * 3 + 1] = static_cast<uint8_t>(k / 640 / 2);
        p.rgb[k * 3 + 2] = 0x40;
    }
    return p;
}

void write_scene(const std::string& stem) {
    std::vector<uint16_t> depth(k_depth_pixels);
    std::vector<float> depth_float(k_depth_pixels);
    for (size_t k = 0; k < k_depth_pixels; ++k) {
        depth[k] = static_cast<uint16_t>(10000 + k % 640 + k / 640 * 10);
        depth_float[k] = 5.0f + static_cast<float>(k / 640) * 0.01f;
    }
    std::vector<uint8_t> zbf, msk, tif;
    ASSERT_TRUE(encode_zbf(std::span<const uint16_t, k_depth_pixels>(depth), zbf));
    ASSERT_TRUE(encode_msk(std::span<const float, k_depth_pixels>(depth_float), msk));
    ASSERT_TRUE(encode_tiff(scene_picture(), TiffCompression::jpeg, 90, tif));
    write_file(stem + ".zbf", zbf);
    write_file(stem + "m.msk", msk);
    write_file(stem + ".tif", tif);
    std::vector<uint8_t> walk(320 * 240, 0);
    walk[5] = 255;
    write_file(stem + "m.raw", walk);
    SceneDescriptionSource src;
    src.eye = {0, -100, 20};
    src.scale = 2.5f;
    src.ambient = {1, 2, 3};
    src.point_lights.push_back({{1, 2, 3}, 4, 255, 0, 0});
    write_file(stem + ".txt", encode_scene_description(src));
}

} // namespace

TEST(Tool, PacksListsAndOpensAssetsAsTheGameDoes) {
    ScratchDir dir;
    write_file("src/data/zones.txt", "archived zones");
    write_file("src/data/sub/b.bin", "bb");
    write_file("src/data/a.bin", "a");
    ToolRun pack = tool("res pack data.res src/data/");
    ASSERT_EQ(pack.status, 0);
    ToolRun list = tool("res list data.res");
    ASSERT_EQ(list.status, 0);
    EXPECT_EQ(number(list.json, "count"), 3);
    const char* names[] = {"data/a.bin", "data/sub/b.bin", "data/zones.txt"};
    for (int i = 0; i < 3; ++i) {
        const Json* name = list.json.find("entries." + std::to_string(i) + ".name");
        ASSERT_NE(name, nullptr);
        EXPECT_EQ(name->string(), names[i]);
    }
    EXPECT_EQ(number(list.json, "entries.0.offset"), 4 + 3 * 136);
    EXPECT_EQ(number(list.json, "entries.1.offset"), 4 + 3 * 136 + 1);
    EXPECT_EQ(number(list.json, "entries.2.size"), 14);

    EXPECT_EQ(tool("cat DATA/ZONES.TXT").out, "archived zones");
    write_file("data/zones.txt", "loose zones");
    EXPECT_EQ(tool("cat data/zones.txt").out, "loose zones");
    EXPECT_EQ(tool("cat data/missing.txt").status, 1);
    EXPECT_EQ(tool("res list missing.res").status, 1);
    EXPECT_EQ(tool("res").status, 2);
    EXPECT_EQ(tool("cat").status, 2);
}

TEST(Tool, PicturesComeOutAsSurfaceWordsOrPng) {
    ScratchDir dir;
    RgbPicture bmp{3, 2, {}};
    for (int i = 0; i < 6; ++i) bmp.rgb.insert(bmp.rgb.end(), {0x06, 0x03, 0x06});
    write_file("gfx/p.bmp", encode_bmp24(bmp));
    ToolRun r = tool("picture gfx/p.bmp --bpp 16 --raw p.raw");
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(number(r.json, "width"), 3);
    const std::vector<uint8_t> raw = read_back("p.raw");
    ASSERT_EQ(raw.size(), 3u * 2 * 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            // Stored bottom row first: the row counter is 2 for the bottom row (y = 1), 1 for the
            // top.
            const uint16_t want = pack_dithered_565(6, 3, 6, dither_cell(3 - x, y + 1));
            EXPECT_EQ(raw[(y * 3 + x) * 2] | raw[(y * 3 + x) * 2 + 1] << 8, want) << x << "," << y;
        }

    std::vector<uint8_t> tif;
    ASSERT_TRUE(encode_tiff(scene_picture(), TiffCompression::none, 0, tif));
    write_file("data/scr_001.tif", tif);
    ASSERT_EQ(tool("picture data/scr_001.tif --png p.png").status, 0);
    RgbImage png;
    ASSERT_TRUE(read_png("p.png", png));
    EXPECT_EQ(png.width, 640);
    EXPECT_EQ(png.rgb[(10 * 640 + 30) * 3], 10);
    EXPECT_EQ(tool("picture data/missing.tif --png p.png").status, 1);
    EXPECT_EQ(tool("picture gfx/p.bmp --bpp 24 --raw p.raw").status, 2);
    EXPECT_EQ(tool("picture gfx/p.bmp").status, 2);
}

TEST(Tool, ScenesAndTheirFiles) {
    ScratchDir dir;
    write_scene("data/scr_007");
    ToolRun d = tool("scene-desc data/scr_007.txt");
    ASSERT_EQ(d.status, 0);
    EXPECT_FLOAT_EQ(number(d.json, "scene_scale"), 2.5f);
    EXPECT_EQ(number(d.json, "ambient_colour"), 0x030201);
    EXPECT_FLOAT_EQ(number(d.json, "camera_eye.2"), -10.0f);
    EXPECT_EQ(number(d.json, "projection_matrix.3.2"), -1);
    EXPECT_EQ(number(d.json, "light_table.0.colour"), 0xFF0000);
    EXPECT_EQ(number(d.json, "light_table.1.lifetime"), 0);
    EXPECT_EQ(d.json.find("fires")->items().size(), 16u);
    EXPECT_EQ(tool("scene-desc data/none.txt").status, 1);

    ToolRun s = tool("scene 7 --bpp 15 --png-prefix out_");
    ASSERT_EQ(s.status, 0);
    EXPECT_EQ(number(s.json, "display_bpp"), 15);
    EXPECT_FLOAT_EQ(number(s.json, "scene_scale"), 2.5f);
    for (const char* name :
         {"out_picture.png", "out_depth.png", "out_depth_float.png", "out_walk_map.png"}) {
        RgbImage png;
        EXPECT_TRUE(read_png(name, png)) << name;
    }
    EXPECT_EQ(tool("scene 8").status, 1);

    ASSERT_EQ(tool("zbf data/scr_007.zbf --raw z.raw").status, 0);
    const std::vector<uint8_t> z = read_back("z.raw");
    ASSERT_EQ(z.size(), 614400u);
    EXPECT_EQ(z[2] | z[3] << 8, 10001);
    ASSERT_EQ(tool("msk data/scr_007m.msk --raw m.raw").status, 0);
    const std::vector<uint8_t> m = read_back("m.raw");
    ASSERT_EQ(m.size(), 1228800u);
    float f;
    std::memcpy(&f, m.data() + (640 * 100) * 4, 4);
    EXPECT_EQ(f, 5.0f + 100 * 0.01f);
    std::vector<uint8_t> cut = read_back("data/scr_007.zbf");
    cut.resize(cut.size() / 2);
    write_file("cut.zbf", cut);
    EXPECT_EQ(tool("zbf cut.zbf --raw z.raw").status, 1);
    EXPECT_EQ(tool("msk data/none.msk --raw m.raw").status, 1);
}

TEST(Tool, ModelsTablesAndSettings) {
    ScratchDir dir;
    ModelPartSource part;
    part.material = 4;
    part.vertex_indices = {0, 0, 0};
    part.positions = {{2, 3, 5}};
    part.normals = {{0.5f, 0.5f, 0}};
    part.uvs = {{0.5f, 0.25f}};
    part.uv_indices = {0, 0, 0};
    part.frames = {Matrix::identity()};
    write_file("models/m.ani", encode_model(std::vector<ModelPartSource>{part}));
    ToolRun m = tool("model models/m.ani --normal-scale 2 --software");
    ASSERT_EQ(m.status, 0);
    EXPECT_EQ(number(m.json, "part_count"), 1);
    EXPECT_EQ(number(m.json, "parts.0.material"), 4);
    EXPECT_EQ(number(m.json, "parts.0.positions.0.3"), 6);
    EXPECT_EQ(number(m.json, "parts.0.normals.0.3"), 1);
    EXPECT_EQ(number(m.json, "parts.0.uvs_fixed.0.0"), 32767);
    EXPECT_EQ(number(m.json, "parts.0.frames.0.3.3"), 1);
    ToolRun h = tool("model models/m.ani");
    EXPECT_EQ(number(h.json, "parts.0.uvs.0.1"), 0.25);
    write_file("models/bad.ani", std::vector<uint8_t>{1, 0, 0, 0, 9});
    EXPECT_EQ(tool("model models/bad.ani").status, 1);

    const std::vector<std::pair<int, std::u16string>> lines = {{3, u"Caf\u00e9 noir"}};
    write_archive("data.res", {{"data/zones.txt", encode_text_table(lines)}});
    ToolRun t = tool("table data/zones.txt 3");
    ASSERT_EQ(t.status, 0);
    EXPECT_EQ(t.json.find("text")->string(), "Caf\xC3\xA9 noir\r");
    EXPECT_EQ(tool("table data/zones.txt 4").status, 1);

    std::filesystem::create_directory("saves");
    ASSERT_EQ(tool("config set saves/config.cfg smoothing=2 clean_exit=1").status, 0);
    ToolRun c = tool("config show saves/config.cfg");
    EXPECT_EQ(number(c.json, "smoothing"), 2);
    EXPECT_EQ(number(c.json, "clean_exit"), 1);
}

TEST(Tool, SavesAsJsonWithTheirThumbnailAndEditedStoryWords) {
    ScratchDir dir;
    SaveImage image;
    image.scene_word = 12 | k_save_format_mark | k_save_second_hero;
    image.hero = 1;
    image.fase[12] = 3;
    image.MainSost = 2;
    SceneObject jug;
    jug.state = 100;
    jug.scene = 4;
    jug.name = {u'J', u'u', u'g', u'\r'};
    const auto record = object_to_bytes(jug);
    std::copy(record.begin(), record.end(), image.objects.begin() + 40 * k_object_record_bytes);
    Actor hero;
    hero.position = {7, 8, 9};
    encode_actor(
        hero, std::span<uint8_t, k_actor_record_bytes>(image.actors.data(), k_actor_record_bytes));
    image.thumbnail_mark = 1;
    image.thumbnail[2] = 200; // red of the first pixel
    write_file("saves/a.sav", encode_save(image));

    ToolRun r = tool("save saves/a.sav --thumbnail thumb.png");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.json.find("format")->string(), "current");
    EXPECT_EQ(number(r.json, "scene"), 12);
    EXPECT_EQ(number(r.json, "hero"), 1);
    EXPECT_EQ(number(r.json, "fase.12"), 3);
    EXPECT_EQ(number(r.json, "words.MainSost"), 2);
    EXPECT_EQ(number(r.json, "tools.0.number"), 40);
    EXPECT_EQ(r.json.find("tools.0.name")->string(), "Jug");
    EXPECT_EQ(number(r.json, "actors.0.position.2"), 9);
    RgbImage thumb;
    ASSERT_TRUE(read_png("thumb.png", thumb));
    EXPECT_EQ(thumb.width, 160);
    EXPECT_EQ(thumb.rgb[0], 200);

    ASSERT_EQ(tool("save saves/a.sav --set fase.12=5 Flags.3=1 scene=4 hero=0").status, 0);
    SaveImage back;
    ASSERT_TRUE(decode_save(read_back("saves/a.sav"), back));
    EXPECT_EQ(back.fase[12], 5);
    EXPECT_EQ(back.Flags[3], 1);
    EXPECT_EQ(back.scene_word, 4u | k_save_format_mark);
    EXPECT_EQ(back.MainSost, 2) << "the rest stays";
    EXPECT_EQ(tool("save saves/a.sav --set nothing=1").status, 2);
    EXPECT_EQ(tool("save saves/a.sav --set scene=99").status, 2);
    EXPECT_EQ(tool("save saves/none.sav").status, 1);
}

TEST(Tool, MakeDemoRefusesAFolderItDidNotMake) {
    ScratchDir dir;
    write_file("mine/notes.txt", "mine");
    write_file("mine/gfx/up.bmp", "a picture of mine");
    ToolRun refused = tool("make-demo mine");
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(read_back("mine/gfx/up.bmp"), bytes_of("a picture of mine"));
    EXPECT_EQ(read_back("mine/notes.txt"), bytes_of("mine"));
    EXPECT_FALSE(std::filesystem::exists("mine/saves"));
    EXPECT_EQ(tool("make-demo --draft mine").status, 2);
    EXPECT_EQ(tool("make-demo").status, 2);
    EXPECT_EQ(tool("make-demo a b").status, 2);
}
