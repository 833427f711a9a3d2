// Writes small valid files of every format into DIR/<fuzz target>/, made by the format writers,
// as the fuzzers' starting corpora.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/save_file.h"
#include "resources/archive.h"
#include "resources/bmp.h"
#include "resources/model.h"
#include "resources/msk.h"
#include "resources/picture.h"
#include "resources/scene_description.h"
#include "resources/targa_writer.h"
#include "resources/text_table.h"
#include "resources/tiff_picture.h"
#include "resources/wav.h"
#include "resources/zbf.h"
#include "tests/support/bmp_fixture.h"
#include "tools/common/film_writer.h"

namespace fs = std::filesystem;

namespace {

fs::path g_out;

void seed(const std::string& target, const std::string& name, const std::vector<uint8_t>& bytes) {
    fs::create_directories(g_out / target);
    std::ofstream(g_out / target / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

RgbPicture picture(int w, int h) {
    RgbPicture p{w, h, {}};
    for (int i = 0; i < w * h; ++i)
        p.rgb.insert(p.rgb.end(),
                     {static_cast<uint8_t>(i * 7), static_cast<uint8_t>(i / w * 9), 0x40});
    return p;
}

void pictures() {
    for (int w : {1, 3, 4, 5}) {
        const auto bmp = encode_bmp24(picture(w, 3));
        seed("fuzz_bmp_surface", "w" + std::to_string(w), bmp);
        seed("fuzz_bmp_rgb64", "w" + std::to_string(w), bmp);
    }
    Bmp8Picture texture;
    for (int i = 0; i < 256; ++i) texture.palette[i][0] = static_cast<uint8_t>(i);
    seed("fuzz_palette_texture", "texture", encode_bmp8(texture));
    std::vector<uint8_t> tiff;
    if (encode_tiff(picture(640, 480), TiffCompression::jpeg, 50, tiff))
        seed("fuzz_tiff", "jpeg", tiff);
    if (encode_tiff(picture(8, 8), TiffCompression::none, 0, tiff))
        seed("fuzz_tiff", "small", tiff);
    seed("fuzz_fire_frame", "frame", encode_fire_frame(picture(32, 32)));
    std::vector<uint8_t> alpha(4 * 3, 0x80);
    for (bool rle : {false, true}) {
        const std::string kind = rle ? "rle" : "plain";
        seed("fuzz_targa", kind + "24", encode_targa(picture(4, 3), nullptr, {true, rle}));
        seed("fuzz_targa", kind + "32", encode_targa(picture(4, 3), &alpha, {false, rle}));
    }
}

void scene_files() {
    std::vector<uint16_t> depth(k_depth_pixels);
    std::vector<float> depth_float(k_depth_pixels);
    for (size_t k = 0; k < k_depth_pixels; ++k) {
        depth[k] = static_cast<uint16_t>(20000 + k / 640 * 8);
        depth_float[k] = 1.0f + static_cast<float>(k / 640);
    }
    std::vector<uint8_t> bytes;
    if (encode_zbf(std::span<const uint16_t, k_depth_pixels>(depth), bytes))
        seed("fuzz_zbf", "scene", bytes);
    if (encode_msk(std::span<const float, k_depth_pixels>(depth_float), bytes))
        seed("fuzz_msk", "scene", bytes);
    SceneDescriptionSource src;
    src.eye = {120.5f, -300, 95};
    src.target = {118, -250, 90};
    src.fires.push_back({{55, 10, 0}, 1, 2.5f, 3, 1, 0});
    src.point_lights.push_back({{1, 2, 3}, 4, 255, 128, 1});
    src.spot_lights.push_back({2, {0, 0, 0}, {0, 10, 0}, 60, 1, 2, 3});
    const std::string text = encode_scene_description(src);
    seed("fuzz_scene_description", "example", std::vector<uint8_t>(text.begin(), text.end()));
}

void others() {
    seed("fuzz_archive", "three", [] {
        std::vector<uint8_t> out;
        encode_archive(std::vector<ArchiveFile>{{"data/scr_001.tif", {1, 2, 3}},
                                                {"data/zones.txt", {4}},
                                                {"gfx/a.bmp", {}}},
                       out);
        return out;
    }());
    ModelPartSource part;
    part.vertex_indices = {0, 1, 2};
    part.uv_indices = {0, 1, 1};
    part.positions = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    part.normals = part.positions;
    part.uvs = {{0, 0}, {1, 1}};
    part.frames = {Matrix::identity()};
    seed("fuzz_model", "triangle",
         encode_model(std::vector<ModelPartSource>{part, ModelPartSource{}}));
    const std::vector<std::pair<int, std::u16string>> lines = {
        {12, u"Hello world"}, {5, u"five"}, {7, u" two"}};
    seed("fuzz_text_table", "lines", encode_text_table(lines));
}

// Bitmaps of every kind the device-texture reader takes.
void device_bitmaps() {
    const std::vector<uint32_t> colours = {0x000000, 0xFF8040, 0x10E0A0, 0x808080};
    std::vector<uint32_t> palette16; // core headers always carry a full table
    for (uint32_t i = 0; i < 16; ++i) palette16.push_back(i * 0x0F0F0F ^ 0x400000);
    const std::pair<const char*, BmpFixture> kinds[] = {
        {"rgb24", {3, 2, 24, 0, 40, {}, {}, std::vector<uint8_t>(24, 0x5A)}},
        {"rgb24_top_first", {1, -2, 24, 0, 40, {}, {}, {1, 2, 3, 0, 4, 5, 6, 0}}},
        {"core_palette4", {2, 2, 4, 0, 12, palette16, {}, {0x01, 0, 0, 0, 0x23, 0, 0, 0}}},
        {"palette8", {2, 2, 8, 0, 40, colours, {}, {3, 1, 0, 0, 0, 2, 0, 0}}},
        {"palette4", {3, 1, 4, 0, 40, palette16, {}, {0x12, 0x30, 0, 0}}},
        {"palette1", {9, 1, 1, 0, 40, {0, 0xFFFFFF}, {}, {0xA5, 0x80, 0, 0}}},
        {"rgb555", {2, 1, 16, 0, 40, {}, {}, {0x1F, 0x7C, 0xE0, 0x03}}},
        {"fields565", {2, 1, 16, 3, 40, {}, {0xF800, 0x07E0, 0x001F}, {0xE0, 0x07, 0x1F, 0}}},
        {"fields32_alpha",
         {1, 1, 32, 3, 108, {}, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, {1, 2, 3, 4}}},
        {"fields32_v3", {1, 1, 32, 3, 56, {}, {0xFF00, 0xFF0000, 0xFF000000, 0xFF}, {1, 2, 3, 4}}},
        // Runs, an absolute run, end of line, a delta and the end-of-picture mark.
        {"rle8",
         {4, 3, 8, 1, 40, colours, {}, {2, 1, 0, 3, 2, 0, 1, 0, 0, 0, 0, 2, 1, 1, 2, 3, 0, 1}}},
        {"rle4", {5, 2, 4, 2, 40, palette16, {}, {3, 0x12, 0, 3, 0x31, 0x20, 0, 0, 5, 0x33, 0, 1}}},
    };
    for (const auto& [name, fixture] : kinds) seed("fuzz_decode_bmp", name, make_bmp(fixture));
}

// Archives for the asset layer: well formed, and with entries pointing outside, overlapping
// the table, wrapping 32 bits, or repeating a name.
void asset_archives() {
    const std::vector<ArchiveFile> files = {{"data/scr_001.txt", {'s', 'c', 'e', 'n', 'e'}},
                                            {"data/zones.txt", {'z'}},
                                            {"data/a.bin", {}},
                                            {"DATA/ZONES.TXT", {'s', 'e', 'c', 'o', 'n', 'd'}}};
    std::vector<uint8_t> good;
    if (!encode_archive(files, good)) return;
    seed("fuzz_asset", "good", good);
    auto patched = [&](const char* name, size_t entry, uint32_t offset, uint32_t size) {
        std::vector<uint8_t> b = good;
        const size_t at = 4 + entry * k_archive_entry_bytes + k_archive_name_bytes;
        for (int i = 0; i < 4; ++i) {
            b[at + i] = static_cast<uint8_t>(offset >> (8 * i));
            b[at + 4 + i] = static_cast<uint8_t>(size >> (8 * i));
        }
        seed("fuzz_asset", name, b);
    };
    patched("beyond_end", 0, static_cast<uint32_t>(good.size()), 1);
    patched("into_table", 1, 2, 100);
    patched("wraps", 0, 0xFFFFFFF0u, 0x20);
    patched("huge", 2, 4, 0xFFFFFFFFu);
    seed("fuzz_asset", "count_beyond", [&] {
        std::vector<uint8_t> b = good;
        b[3] = 0x7F;
        return b;
    }());
}

// The scene picture inside an archive, after another entry's data.
void archived_tiff() {
    for (TiffCompression c : {TiffCompression::jpeg, TiffCompression::none}) {
        std::vector<uint8_t> tiff, archive;
        if (!encode_tiff(picture(640, 480), c, 50, tiff)) continue;
        if (!encode_archive(std::vector<ArchiveFile>{{"data/other.bin", {1, 2, 3, 4, 5}},
                                                     {"DATA/SCR_001.TIF", tiff}},
                            archive))
            continue;
        seed("fuzz_tiff_archive", c == TiffCompression::jpeg ? "jpeg" : "plain", archive);
    }
}

// Wave files of each kind the loader takes, small, for both sound readers.
void sounds() {
    struct Kind {
        const char* name;
        uint16_t channels, bits;
        uint32_t rate;
    } kinds[] = {{"mono8_11025", 1, 8, 11025},
                 {"mono16_22050", 1, 16, 22050},
                 {"stereo16_44100", 2, 16, 44100}};
    for (const Kind& k : kinds) {
        WavInfo info;
        info.channels = k.channels;
        info.bits = k.bits;
        info.sample_rate = k.rate;
        std::vector<uint8_t> samples(size_t(k.channels) * k.bits / 8 * 300);
        for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<uint8_t>(i * 37);
        const auto file = encode_wav(info, samples);
        seed("fuzz_wave_sound", k.name, file);
        seed("fuzz_music_reader", k.name, file);
    }
}

// A save of each format: the current one of the clearing with the second hero, and an older one.
void saves() {
    SaveImage image;
    image.scene_word = 4 | k_save_format_mark | k_save_second_hero;
    image.hero = 1;
    image.fase[4] = 1;
    image.subtitle_length = 3;
    image.thumbnail_mark = 1;
    seed("fuzz_save", "current", encode_save(image));
    std::vector<uint8_t> older(k_old_save_bytes, 0);
    older[0] = 3;
    seed("fuzz_save", "older", older);
}

// Small films: each codec the demo may use, with and without sound, and a raw one.
void films() {
    struct Kind {
        const char* name;
        FilmCodec codec;
        bool sound;
    } kinds[] = {{"h264_sound", FilmCodec::h264, true},
                 {"mpeg4_sound", FilmCodec::mpeg4, true},
                 {"mpeg4_silent", FilmCodec::mpeg4, false}};
    for (const Kind& k : kinds) {
        FilmOptions o;
        o.width = 32;
        o.height = 24;
        o.frames = 6;
        o.codec = k.codec;
        o.keyframe_interval = 3;
        const auto paint = [](int n, RgbPicture& p) {
            for (size_t i = 0; i < p.rgb.size(); ++i)
                p.rgb[i] = static_cast<uint8_t>(i * 3 + n * 40);
        };
        std::vector<int16_t> sound;
        if (k.sound)
            for (int i = 0; i < 6 * 1764; ++i)
                sound.insert(sound.end(), {int16_t(i * 97), int16_t(-i * 31)});
        std::vector<uint8_t> bytes;
        std::string error;
        if (write_film(o, paint, sound, bytes, error)) seed("fuzz_video_decoder", k.name, bytes);
    }
    const std::string raw = "YUV4MPEG2 W4 H2 F25:1 C420jpeg\nFRAME\n" + std::string(12, 'x');
    seed("fuzz_video_decoder", "raw", {raw.begin(), raw.end()});
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: fuzz_seeds DIR\n", stderr);
        return 2;
    }
    g_out = argv[1];
    pictures();
    scene_files();
    others();
    device_bitmaps();
    asset_archives();
    archived_tiff();
    sounds();
    saves();
    films();
    return 0;
}
