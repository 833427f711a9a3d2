#include <gtest/gtest.h>

#include "platform/image_file.h"
#include "resources/targa_writer.h"

TEST(Targa, WriterRoundTripsThroughTheTextureReader) {
    RgbPicture p{5, 3, {}};
    std::vector<uint8_t> alpha;
    for (int i = 0; i < 15; ++i) {
        // Runs and single pixels, so that both packet kinds appear.
        const uint8_t v = i < 7 ? 0x20 : static_cast<uint8_t>(i * 13);
        p.rgb.insert(p.rgb.end(), {v, static_cast<uint8_t>(v + 1), static_cast<uint8_t>(v + 2)});
        alpha.push_back(static_cast<uint8_t>(i * 17));
    }
    for (bool top_first : {true, false}) {
        for (bool run_length : {false, true}) {
            for (bool with_alpha : {false, true}) {
                const auto file =
                    encode_targa(p, with_alpha ? &alpha : nullptr, {top_first, run_length});
                EXPECT_EQ(file[17] & 0x20, top_first ? 0x20 : 0);
                Image image;
                ASSERT_TRUE(decode_targa(file, image));
                ASSERT_EQ(image.width, 5);
                ASSERT_EQ(image.height, 3);
                for (int y = 0; y < 3; ++y)
                    for (int x = 0; x < 5; ++x) {
                        const uint8_t* q = p.pixel(x, y);
                        const uint32_t a = with_alpha ? alpha[y * 5 + x] : 255u;
                        EXPECT_EQ(image.argb[y * 5 + x], a << 24 | q[0] << 16 | q[1] << 8 | q[2])
                            << top_first << run_length << with_alpha << " " << x << "," << y;
                    }
            }
        }
    }
}
