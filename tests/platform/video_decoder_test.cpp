// The film decoder: pictures into the three display formats, the frame clock, the sound in step
// with the pictures, and files that are damaged or not films at all.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/mixer.h"
#include "platform/surface.h"
#include "platform/video_decoder.h"
#include "tests/support/test_films.h"

namespace {

// The picture of the current frame, copied out in `format`.
SurfacePtr copy_out(VideoDecoder& d, const PixelFormat& format) {
    SurfacePtr s = make_system_surface(video_width(d), video_height(d), format);
    EXPECT_TRUE(video_copy_to_buffer(d, s->pixels.data(), s->pitch, s->height, format));
    return s;
}

} // namespace

TEST(VideoDecoder, FramesComeOutInOrderInEveryDisplayFormat) {
    const auto film = make_test_film({});
    struct Case {
        const char* name;
        PixelFormat format;
        int tolerance; // of an 8-bit channel after the format's truncation
    } cases[] = {
        {"32", k_format_xrgb8888, 6}, {"565", k_format_rgb565, 12}, {"555", k_format_rgb555, 12}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        VideoDecoderPtr d = video_open_memory(film, nullptr, 0);
        ASSERT_TRUE(d);
        EXPECT_EQ(video_width(*d), 64);
        EXPECT_EQ(video_height(*d), 48);
        EXPECT_EQ(video_frame_count(*d), 10u);
        EXPECT_DOUBLE_EQ(video_frame_rate(*d), 25.0);
        for (int n = 0; n < 10; ++n) {
            EXPECT_EQ(video_current_frame(*d), uint32_t(n));
            ASSERT_TRUE(video_do_frame(*d)) << n;
            SurfacePtr s = copy_out(*d, c.format);
            uint8_t want[3];
            frame_colour(n, want);
            for (auto [x, y] : {std::pair{0, 0}, {63, 47}, {31, 20}}) {
                const uint32_t pixel = surface_pixel(*s, x, y);
                const Rgb8 got = unpack_rgb(c.format, pixel);
                EXPECT_NEAR(got.r, want[0], c.tolerance) << n;
                EXPECT_NEAR(got.g, want[1], c.tolerance) << n;
                EXPECT_NEAR(got.b, want[2], c.tolerance) << n;
                if (c.format.bit_count == 32) {
                    EXPECT_EQ(pixel >> 24, 0u) << "0x00RRGGBB";
                }
            }
            video_next_frame(*d);
        }
        EXPECT_EQ(video_current_frame(*d), 9u) << "never past the frame before the last";
        EXPECT_FALSE(video_do_frame(*d)) << "the data ends after the last frame";
        EXPECT_EQ(video_frame_count(*d), 10u);
    }
}

TEST(VideoDecoder, TheCopyRefusesWhatDoesNotFit) {
    const auto film = make_test_film({});
    VideoDecoderPtr d = video_open_memory(film, nullptr, 0);
    ASSERT_TRUE(d);
    std::vector<uint8_t> buffer(64 * 4 * 48, 0xAB);
    EXPECT_FALSE(video_copy_to_buffer(*d, buffer.data(), 256, 48, k_format_xrgb8888))
        << "nothing decoded yet";
    ASSERT_TRUE(video_do_frame(*d));
    EXPECT_FALSE(video_copy_to_buffer(*d, buffer.data(), 255, 48, k_format_xrgb8888));
    EXPECT_FALSE(video_copy_to_buffer(*d, buffer.data(), 256, 47, k_format_xrgb8888));
    EXPECT_FALSE(video_copy_to_buffer(*d, buffer.data(), 256, 48, k_format_z16));
    EXPECT_EQ(buffer[0], 0xAB);
    // A wider pitch leaves the bytes beyond each row alone.
    std::vector<uint8_t> wide(80 * 2 * 48, 0xAB);
    ASSERT_TRUE(video_copy_to_buffer(*d, wide.data(), 160, 48, k_format_rgb565));
    EXPECT_EQ(wide[159], 0xAB);
    EXPECT_NE(wide[160], 0xAB);
}

TEST(VideoDecoder, EachFrameIsDueAtItsTimeOnTheClockGivenAtOpen) {
    struct Case {
        int rate;
        uint32_t frame2_ms; // when frame 2 is due, after an open at 1000
    } cases[] = {{25, 1080}, {15, 1133}, {30, 1066}};
    for (const Case& c : cases) {
        TestFilm t;
        t.rate = c.rate;
        const auto film = make_test_film(t);
        VideoDecoderPtr d = video_open_memory(film, nullptr, 1000);
        ASSERT_TRUE(d);
        EXPECT_FALSE(video_wait(*d, 1000)) << "the first frame is due at once";
        for (int n = 0; n < 2; ++n) {
            ASSERT_TRUE(video_do_frame(*d));
            video_next_frame(*d);
        }
        EXPECT_TRUE(video_wait(*d, c.frame2_ms - 1)) << c.rate;
        EXPECT_FALSE(video_wait(*d, c.frame2_ms)) << c.rate;
    }
    // The clock may wrap while a film plays.
    const auto film = make_test_film({});
    VideoDecoderPtr d = video_open_memory(film, nullptr, 0xFFFFFFF0u);
    ASSERT_TRUE(d && video_do_frame(*d));
    video_next_frame(*d);
    EXPECT_TRUE(video_wait(*d, 0xFFFFFFFFu));
    EXPECT_FALSE(video_wait(*d, 0x18u));
}

// A player on a 10 ms pass with the mixer rendering in step with the clock, as the headless
// machine does: every click is heard within one frame of its flash being shown.
TEST(VideoDecoder, TheSoundKeepsToThePictures) {
    TestFilm t;
    t.width = 32;
    t.height = 32;
    t.frames = 125;
    t.flashes = {5, 30, 55, 80, 105};
    const auto film = make_test_film(t);
    auto mixer = mixer_create();
    uint32_t clock = 500;
    VideoDecoderPtr d = video_open_memory(film, mixer.get(), clock);
    ASSERT_TRUE(d);
    std::vector<double> flash_ms, click_ms;
    std::vector<int16_t> block(441 * 2);
    uint64_t heard = 0, last_loud = 0;
    while (video_current_frame(*d) + 1 < video_frame_count(*d)) {
        if (!video_wait(*d, clock)) {
            ASSERT_TRUE(video_do_frame(*d));
            SurfacePtr s = copy_out(*d, k_format_xrgb8888);
            if (unpack_rgb(k_format_xrgb8888, surface_pixel(*s, 16, 16)).g > 200)
                flash_ms.push_back(clock - 500);
            video_next_frame(*d);
        }
        clock += 10;
        mixer_render(*mixer, block.data(), 441);
        for (size_t i = 0; i < 441; ++i, ++heard) {
            if (std::abs(block[2 * i]) < 20000) continue;
            if (click_ms.empty() || heard - last_loud > 882) click_ms.push_back(heard / 44.1);
            last_loud = heard;
        }
    }
    ASSERT_EQ(flash_ms.size(), t.flashes.size());
    ASSERT_EQ(click_ms.size(), t.flashes.size());
    for (size_t i = 0; i < flash_ms.size(); ++i)
        EXPECT_LT(std::abs(click_ms[i] - flash_ms[i]), 40.0) << i;
}

TEST(VideoDecoder, DamagedFilesAndOtherFilesEndAtOnceOrWhereTheirDataEnds) {
    TestFilm t;
    t.sound = true;
    t.frames = 40;
    const auto good = make_test_film(t);
    auto cut = [&](double part) {
        return std::vector<uint8_t>(good.begin(), good.begin() + long(good.size() * part));
    };
    auto garbled = good;
    for (size_t i = good.size() / 3; i < good.size() * 2 / 3; i += 7) garbled[i] ^= 0x5A;
    std::vector<uint8_t> sound_only;
    std::string error;
    ASSERT_TRUE(write_sound_only_film(std::vector<int16_t>(44100, 1000), sound_only, error))
        << error;
    const std::string text = "this is not a film at all\n";
    // Whether a file opens; a rate of 0 may also be read as an unknown rate, which FFmpeg
    // guesses: either way the film ends where its data ends.
    enum Opens {
        no,
        yes,
        either
    };
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        Opens opens;
    } cases[] = {
        {"empty", {}, no},
        {"text", {text.begin(), text.end()}, no},
        {"sound only", sound_only, no},
        {"first bytes only", cut(0.02), no},
        {"truncated", cut(0.6), yes},
        {"garbled", garbled, yes},
        {"raw", make_y4m("W4 H2 F25:1", 3, 12), yes},
        {"zero size", make_y4m("W0 H0 F25:1", 3, 12), no},
        {"absurd size", make_y4m("W100000 H100000 F25:1", 1, 64), no},
        {"rate zero", make_y4m("W4 H2 F0:1", 3, 12), either},
        {"rate of nothing", make_y4m("W4 H2 F0:0", 3, 12), either},
        {"short raw frame", make_y4m("W64 H64 F25:1", 2, 100), yes},
    };
    auto mixer = mixer_create();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        VideoDecoderPtr d = video_open_memory(c.bytes, mixer.get(), 0);
        if (c.opens != either) {
            ASSERT_EQ(d != nullptr, c.opens == yes);
        }
        if (!d) continue;
        // A player's loop: it ends when the count says the frame before the last is reached.
        int decoded = 0;
        for (int turn = 0; turn < 1000 && video_current_frame(*d) + 1 != video_frame_count(*d);
             ++turn) {
            if (video_do_frame(*d)) {
                ++decoded;
                copy_out(*d, k_format_rgb565);
            }
            video_next_frame(*d);
        }
        EXPECT_EQ(video_current_frame(*d) + 1, video_frame_count(*d)) << "the film ended";
        EXPECT_LE(decoded, 40);
    }
}
