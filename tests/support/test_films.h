// Small films for the decoder's and the player's tests, encoded by the project's film writer:
// every frame one flat colour that tells its number, and optionally a flash (a white frame) with
// a click in the sound at chosen frames.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "tools/common/film_writer.h"

// The colour of frame n: red counts up, blue counts down, green stays low (a flash is white).
inline void frame_colour(int n, uint8_t rgb[3]) {
    rgb[0] = uint8_t(std::min(40 + 20 * n, 250));
    rgb[1] = 40;
    rgb[2] = uint8_t(std::max(220 - 20 * n, 20));
}

// The colours of a quadrant film: red, green, blue and white quarters.
inline const uint8_t* quadrant_colour(int right, int bottom) {
    static const uint8_t colours[2][2][3] = {{{220, 30, 30}, {30, 200, 30}},
                                             {{30, 30, 220}, {230, 230, 230}}};
    return colours[bottom][right];
}

struct TestFilm {
    int width = 64, height = 48, rate = 25, frames = 10;
    std::set<int> flashes;              // frames drawn white, with a click in the sound
    bool sound = false;                 // a quiet hum all through, so the track exists
    bool quadrants = false;             // four colours, one in each quarter of the picture
    FilmCodec codec = FilmCodec::mpeg4; // the quick encoder
};

// A click: a short burst of full-scale square wave.
inline constexpr int k_click_frames = 64;

inline std::vector<uint8_t> make_test_film(const TestFilm& t) {
    FilmOptions o;
    o.width = t.width;
    o.height = t.height;
    o.rate = t.rate;
    o.frames = t.frames;
    o.codec = t.codec;
    o.quality = 4;
    o.keyframe_interval = 12;
    const auto paint = [&](int n, RgbPicture& p) {
        uint8_t c[3] = {255, 255, 255};
        if (!t.flashes.count(n)) frame_colour(n, c);
        for (size_t i = 0; i < p.rgb.size(); i += 3) {
            const int x = int(i / 3) % p.width, y = int(i / 3) / p.width;
            const uint8_t* q = quadrant_colour(x * 2 / p.width, y * 2 / p.height);
            std::copy(t.quadrants ? q : c, (t.quadrants ? q : c) + 3, p.rgb.begin() + long(i));
        }
    };
    std::vector<int16_t> sound;
    if (t.sound || !t.flashes.empty()) {
        const size_t frames = size_t(t.frames) * 44100 / size_t(t.rate);
        sound.assign(frames * 2, 0);
        for (size_t i = 0; i < frames; ++i)
            sound[2 * i] = sound[2 * i + 1] = int16_t(i / 50 % 2 ? 300 : -300); // 441 Hz hum
        for (int f : t.flashes)
            for (size_t i = 0; i < k_click_frames; ++i) {
                const size_t at = size_t(f) * 44100 / size_t(t.rate) + i;
                if (at < frames)
                    sound[2 * at] = sound[2 * at + 1] = int16_t(i / 4 % 2 ? 30000 : -30000);
            }
    }
    std::vector<uint8_t> out;
    std::string error;
    EXPECT_TRUE(write_film(o, paint, sound, out, error)) << error;
    return out;
}

// A raw YUV4MPEG2 film, whose header is plain text: sizes and rates that no encoder would write.
inline std::vector<uint8_t> make_y4m(const std::string& size_and_rate, int frames,
                                     size_t frame_bytes) {
    std::string text = "YUV4MPEG2 " + size_and_rate + " C420jpeg\n";
    for (int i = 0; i < frames; ++i) text += "FRAME\n" + std::string(frame_bytes, char(0x80));
    return {text.begin(), text.end()};
}
