// Bitmap and Targa decoding for device textures, from byte fixtures made here and by the Targa
// writer, and damaged files.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "platform/image_file.h"
#include "resources/targa_writer.h"
#include "tests/support/bmp_fixture.h"

namespace {

using Bytes = std::vector<uint8_t>;

TEST(ImageFile, BitmapsOfEveryDepth) {
    struct Case {
        const char* what;
        BmpFixture fixture;
        int width, height;
        std::vector<uint32_t> argb; // rows top first
        bool alpha;
    } cases[] = {
        {"24 bits, bottom row first, rows padded",
         {3, 2, 24, 0, 40, {}, {}, {1,  2,  3,  4,  5,  6,  7,  8,  9,  0, 0, 0,
                                    10, 11, 12, 13, 14, 15, 16, 17, 18, 0, 0, 0}},
         3,
         2,
         {0xFF0C0B0A, 0xFF0F0E0D, 0xFF121110, 0xFF030201, 0xFF060504, 0xFF090807},
         false},
        {"24 bits, top row first",
         {1, -2, 24, 0, 40, {}, {}, {1, 2, 3, 0, 4, 5, 6, 0}},
         1,
         2,
         {0xFF030201, 0xFF060504},
         false},
        {"core header", {1, 1, 24, 0, 12, {}, {}, {1, 2, 3, 0}}, 1, 1, {0xFF030201}, false},
        {"8 bits, three colours",
         {2, 2, 8, 0, 40, {0x112233, 0x445566, 0x778899}, {}, {2, 1, 0, 0, 0, 1, 0, 0}},
         2,
         2,
         {0xFF112233, 0xFF445566, 0xFF778899, 0xFF445566},
         false},
        {"4 bits",
         {3, 1, 4, 0, 40, {0, 0xAA0000, 0x00BB00}, {}, {0x12, 0x00, 0, 0}},
         3,
         1,
         {0xFFAA0000, 0xFF00BB00, 0xFF000000},
         false},
        {"1 bit, nine pixels over two bytes",
         {9, 1, 1, 0, 40, {0x000000, 0xFFFFFF}, {}, {0xA0, 0x80, 0, 0}},
         9,
         1,
         {0xFFFFFFFF, 0xFF000000, 0xFFFFFFFF, 0xFF000000, 0xFF000000, 0xFF000000, 0xFF000000,
          0xFF000000, 0xFFFFFFFF},
         false},
        {"16 bits, 5-5-5",
         {1, 1, 16, 0, 40, {}, {}, {0x1F, 0x7C, 0, 0}},
         1,
         1,
         {0xFFFF00FF},
         false},
        {"16 bits, 5-6-5 masks",
         {1, 1, 16, 3, 40, {}, {0xF800, 0x07E0, 0x001F}, {0xE0, 0x07, 0, 0}},
         1,
         1,
         {0xFF00FF00},
         false},
        {"32 bits, fourth byte ignored",
         {1, 1, 32, 0, 40, {}, {}, {1, 2, 3, 4}},
         1,
         1,
         {0xFF030201},
         false},
        {"32 bits with an alpha mask",
         {1, 1, 32, 3, 108, {}, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, {1, 2, 3, 4}},
         1,
         1,
         {0x04030201},
         true},
        {"run-length 8 bits: a run, an absolute run, end of line, end of picture",
         {4,
          2,
          8,
          1,
          40,
          {0x111111, 0x222222, 0x333333},
          {},
          {2, 1, 0, 3, 2, 0, 1, 0, 0, 0, 4, 2, 0, 1}},
         4,
         2,
         {0xFF333333, 0xFF333333, 0xFF333333, 0xFF333333, 0xFF222222, 0xFF222222, 0xFF333333,
          0xFF111111},
         false},
        {"run-length 4 bits",
         {3, 1, 4, 2, 40, {0x111111, 0x222222, 0x333333}, {}, {3, 0x12, 0, 1}},
         3,
         1,
         {0xFF222222, 0xFF333333, 0xFF222222},
         false},
    };
    for (const Case& c : cases) {
        Image image;
        ASSERT_TRUE(decode_bmp(make_bmp(c.fixture), image)) << c.what;
        EXPECT_EQ(image.width, c.width) << c.what;
        EXPECT_EQ(image.height, c.height) << c.what;
        EXPECT_EQ(image.argb, c.argb) << c.what;
        EXPECT_EQ(image.has_alpha, c.alpha) << c.what;
        EXPECT_EQ(image.bits_per_pixel, c.fixture.bpp) << c.what;
    }
}

TEST(ImageFile, DamagedBitmapsAreRejected) {
    const BmpFixture good{2, 2, 24, 0, 40, {}, {}, Bytes(16, 7)};
    Image image;
    ASSERT_TRUE(decode_bmp(make_bmp(good), image));

    auto with = [&](auto change) {
        BmpFixture f = good;
        change(f);
        return make_bmp(f);
    };
    Bytes truncated = make_bmp(good);
    truncated.resize(truncated.size() - 1);
    Bytes offset_beyond = make_bmp(good);
    offset_beyond[10] = 0xF0;
    Bytes short_header = make_bmp(good);
    short_header[14] = 39;
    Bytes palette_beyond = make_bmp({2, 2, 8, 0, 40, {1, 2}, {}, Bytes(8, 0)});
    palette_beyond[46] = 200; // colours in the table
    const Bytes cases[] = {
        {},
        {'B', 'M'},
        truncated,
        offset_beyond,
        short_header,
        with([](BmpFixture& f) { f.width = 0; }),
        with([](BmpFixture& f) { f.width = 20000; }),
        with([](BmpFixture& f) { f.width = 8000, f.height = 8000; }),
        with([](BmpFixture& f) { f.height = INT32_MIN; }),
        with([](BmpFixture& f) { f.bpp = 7; }),
        with([](BmpFixture& f) { f.compression = 3; }), // masks for 24 bits
        with([](BmpFixture& f) { f.compression = 4; }), // JPEG inside
        with([](BmpFixture& f) { f.bpp = 8, f.compression = 1, f.height = -2, f.palette = {0}; }),
        palette_beyond,
        with([](BmpFixture& f) {
            f.bpp = 8, f.compression = 1, f.palette = {0}, f.pixels = {2, 0, 0};
        }),
        // A million pixels from an end-of-picture mark alone: more than the data can honestly hold.
        with([](BmpFixture& f) {
            f.width = f.height = 1024, f.bpp = 8, f.compression = 1, f.palette = {0},
            f.pixels = {0, 1};
        }),
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_FALSE(decode_bmp(cases[i], image)) << "case " << i;
        EXPECT_EQ(image.width, 0) << "case " << i;
        EXPECT_TRUE(image.argb.empty()) << "case " << i;
    }
}

// Runs and deltas never move the position out of the picture: a run is cut at its row's end
// (not wrapped), and a delta that would leave the picture ends it there.
TEST(ImageFile, RunLengthCodesStayInsideThePicture) {
    const std::vector<uint32_t> palette = {0x000000, 0x111111, 0x222222};
    // One row of 8.5 million runs of 255 pixels: the column passes 2^31 long before the end.
    BmpFixture endless{1, 1, 8, 1, 40, palette, {}, {}};
    for (int i = 0; i < 8'500'000; ++i) endless.pixels.insert(endless.pixels.end(), {255, 1});
    endless.pixels.insert(endless.pixels.end(), {0, 1});
    Image image;
    ASSERT_TRUE(decode_bmp(make_bmp(endless), image));
    EXPECT_EQ(image.argb, std::vector<uint32_t>{0xFF111111});

    struct Case {
        const char* what;
        int width, height, bpp;
        Bytes codes;
        std::vector<uint32_t> argb; // rows top first
    } cases[] = {
        {"a run wider than its row is cut, not wrapped",
         2,
         2,
         8,
         {3, 1, 0, 0, 1, 2, 0, 1},
         {0xFF222222, 0xFF000000, 0xFF111111, 0xFF111111}},
        {"an absolute run of 4 bits wider than its row is cut",
         2,
         1,
         4,
         {0, 3, 0x12, 0x20, 0, 1},
         {0xFF111111, 0xFF222222}},
        {"a delta inside the picture moves right and up",
         2,
         2,
         8,
         {0, 2, 1, 1, 1, 2, 0, 1},
         {0xFF000000, 0xFF222222, 0xFF000000, 0xFF000000}},
        {"a delta past the row's end ends the picture",
         2,
         2,
         8,
         {0, 2, 3, 0, 0, 0, 1, 2, 0, 1},
         {0xFF000000, 0xFF000000, 0xFF000000, 0xFF000000}},
        {"a delta below the last row ends the picture",
         2,
         2,
         8,
         {1, 1, 0, 2, 0, 2, 1, 2, 0, 1},
         {0xFF000000, 0xFF000000, 0xFF111111, 0xFF000000}},
    };
    for (const Case& c : cases) {
        const BmpFixture f{c.width, c.height, c.bpp, c.bpp == 8 ? 1u : 2u,
                           40,      palette,  {},    c.codes};
        ASSERT_TRUE(decode_bmp(make_bmp(f), image)) << c.what;
        EXPECT_EQ(image.argb, c.argb) << c.what;
    }

    // Rows left at entry 0 by end-of-line marks alone: 150 pixels a data byte is an honest file.
    BmpFixture blank{300, 300, 8, 1, 40, palette, {}, {}};
    for (int i = 0; i < 300; ++i) blank.pixels.insert(blank.pixels.end(), {0, 0});
    ASSERT_TRUE(decode_bmp(make_bmp(blank), image));
    EXPECT_EQ(image.argb, std::vector<uint32_t>(300 * 300, 0xFF000000));
}

RgbPicture picture(int width, int height) {
    RgbPicture p;
    p.width = width;
    p.height = height;
    for (int i = 0; i < width * height * 3; ++i) p.rgb.push_back(static_cast<uint8_t>(i * 37 + 11));
    return p;
}

TEST(ImageFile, TargaFilesRoundTripThroughTheWriter) {
    const RgbPicture p = picture(5, 3);
    std::vector<uint8_t> alpha;
    for (int i = 0; i < 15; ++i) alpha.push_back(static_cast<uint8_t>(i * 17));
    for (bool with_alpha : {false, true})
        for (bool top_first : {false, true})
            for (bool rle : {false, true}) {
                const Bytes file = encode_targa(p, with_alpha ? &alpha : nullptr, {top_first, rle});
                Image image;
                ASSERT_TRUE(decode_targa(file, image)) << with_alpha << top_first << rle;
                ASSERT_EQ(image.width, 5);
                ASSERT_EQ(image.height, 3);
                EXPECT_EQ(image.has_alpha, with_alpha);
                EXPECT_EQ(image.bits_per_pixel, with_alpha ? 32 : 24);
                for (int i = 0; i < 15; ++i) {
                    const uint8_t* rgb = &p.rgb[i * 3];
                    const uint32_t want = (with_alpha ? uint32_t{alpha[i]} : 255u) << 24 |
                                          uint32_t{rgb[0]} << 16 | uint32_t{rgb[1]} << 8 | rgb[2];
                    EXPECT_EQ(image.argb[i], want) << "pixel " << i;
                }
            }
}

// A Targa header and pixel bytes, written by hand.
Bytes make_targa(int type, int depth, int width, int height, int descriptor, const Bytes& data,
                 const Bytes& id = {}, int colour_map = 0) {
    Bytes b = {static_cast<uint8_t>(id.size()),
               static_cast<uint8_t>(colour_map),
               static_cast<uint8_t>(type),
               0,
               0,
               0,
               0,
               0,
               0,
               0,
               0,
               0};
    put16(b, width);
    put16(b, height);
    b.push_back(static_cast<uint8_t>(depth));
    b.push_back(static_cast<uint8_t>(descriptor));
    b.insert(b.end(), id.begin(), id.end());
    b.insert(b.end(), data.begin(), data.end());
    return b;
}

TEST(ImageFile, TargaRowOrderIdFieldAndRuns) {
    // Two rows of one pixel: blue first in the file, then red.
    const Bytes two_rows = {255, 0, 0, 0, 0, 255};
    Image image;
    ASSERT_TRUE(decode_targa(make_targa(2, 24, 1, 2, 0x20, two_rows), image));
    EXPECT_EQ(image.argb, (std::vector<uint32_t>{0xFF0000FF, 0xFFFF0000}))
        << "0x20: first row on top";
    ASSERT_TRUE(decode_targa(make_targa(2, 24, 1, 2, 0, two_rows), image));
    EXPECT_EQ(image.argb, (std::vector<uint32_t>{0xFFFF0000, 0xFF0000FF}))
        << "0: first row at the bottom";

    ASSERT_TRUE(decode_targa(make_targa(2, 24, 1, 1, 0, {1, 2, 3}, {9, 9, 9, 9}), image));
    EXPECT_EQ(image.argb[0], 0xFF030201u) << "the id field is skipped";

    // A run packet longer than the picture is cut at its end.
    ASSERT_TRUE(decode_targa(make_targa(10, 32, 2, 1, 0x20, {0x85, 1, 2, 3, 4}), image));
    EXPECT_EQ(image.argb, (std::vector<uint32_t>{0x04030201, 0x04030201}));
}

TEST(ImageFile, DamagedTargaFilesAreRejected) {
    Bytes id_beyond = make_targa(2, 24, 1, 1, 0, {1, 2, 3});
    id_beyond[0] = 200; // an id field longer than the file
    const Bytes cases[] = {
        {},
        Bytes(17, 0),
        make_targa(2, 24, 2, 2, 0, Bytes(11, 0)),      // one byte short
        make_targa(10, 24, 2, 2, 0, {0x81, 1, 2, 3}),  // runs end early
        make_targa(10, 24, 2, 1, 0, {0x01, 1, 2, 3}),  // raw packet cut short
        make_targa(1, 8, 2, 2, 0, Bytes(4, 0), {}, 1), // colour-mapped
        make_targa(3, 8, 2, 2, 0, Bytes(4, 0)),        // grey
        make_targa(2, 16, 2, 2, 0, Bytes(8, 0)),       // 16 bits a pixel
        make_targa(2, 24, 0, 2, 0, {}),                // no width
        id_beyond,
        make_targa(2, 32, 65535, 65535, 0, Bytes(64, 0)), // far too large
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        Image image;
        EXPECT_FALSE(decode_targa(cases[i], image)) << "case " << i;
        EXPECT_TRUE(image.argb.empty()) << "case " << i;
    }
}

TEST(ImageFile, ChangedBytesNeverReadOutsideTheFile) {
    std::vector<Bytes> seeds = {
        make_bmp({3, 2, 24, 0, 40, {}, {}, Bytes(24, 5)}),
        make_bmp({4, 2, 8, 1, 40, {1, 2, 3}, {}, {2, 1, 0, 3, 2, 0, 1, 0, 0, 0, 4, 2, 0, 1}}),
        make_bmp({3, 1, 4, 2, 40, {1, 2, 3}, {}, {3, 0x12, 0, 1}}),
        make_targa(10, 32, 3, 2, 0,
                   {0x82, 1, 2, 3, 4, 0x02, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}),
    };
    std::mt19937 random(7);
    for (const Bytes& seed : seeds)
        for (int round = 0; round < 3000; ++round) {
            Bytes b = seed;
            for (int k = 0; k < 3; ++k) b[random() % b.size()] = static_cast<uint8_t>(random());
            if (round % 7 == 0) b.resize(random() % b.size());
            Image image;
            if (decode_image(b, image)) {
                ASSERT_EQ(image.argb.size(), static_cast<size_t>(image.width) * image.height);
            }
        }
}

} // namespace
