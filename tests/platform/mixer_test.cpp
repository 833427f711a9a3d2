// The mixer on its own: the volume and pan laws, clipping, the transport of a buffer (play, stop,
// rewind, loop, the end), reuse of a released buffer, the streams, and the two sides running on
// two threads at once.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

#include "platform/mixer.h"

namespace {

// A buffer whose left sample is the frame number and right sample its negative, so a render
// tells which frames played.
std::vector<int16_t> ramp(int frames) {
    std::vector<int16_t> s;
    for (int i = 0; i < frames; ++i) {
        s.push_back(int16_t(i + 1));
        s.push_back(int16_t(-(i + 1)));
    }
    return s;
}

std::vector<int16_t> constant(int frames, int16_t left, int16_t right) {
    std::vector<int16_t> s;
    for (int i = 0; i < frames; ++i) s.insert(s.end(), {left, right});
    return s;
}

std::vector<int16_t> render(Mixer& m, size_t frames) {
    std::vector<int16_t> out(frames * 2);
    mixer_render(m, out.data(), frames);
    return out;
}

} // namespace

TEST(Mixer, GainIsTenToTheVolumeOver2000) {
    struct Case {
        int32_t volume;
        double gain;
    } cases[] = {{0, 1.0},      {-2000, 0.1},  {-600, 0.50119}, {-5000, 0.0031623},
                 {-10000, 0.0}, {-12000, 0.0}, {500, 1.0}};
    for (const Case& c : cases)
        EXPECT_NEAR(mixer_gain(c.volume) / 32768.0, c.gain, 0.5 / 32768 + c.gain * 1e-4)
            << c.volume;
}

TEST(Mixer, PanAttenuatesTheOtherChannelByItsHundredthsOfADecibel) {
    struct Case {
        int32_t volume, pan;
        double left, right; // gains
    } cases[] = {
        {0, 0, 1, 1},       {0, -10000, 1, 0},        {0, 10000, 0, 1},
        {0, -2000, 1, 0.1}, {0, 600, 0.50119, 1},     {-2000, -2000, 0.1, 0.01},
        {0, -20000, 1, 0},  {-8000, 3000, 0, 0.0001}, // -11,000 on the left is silence
    };
    for (const Case& c : cases) {
        auto m = mixer_create();
        const int id = mixer_create_buffer(*m, constant(64, 20000, 20000));
        mixer_set_volume(*m, id, c.volume);
        mixer_set_pan(*m, id, c.pan);
        mixer_play(*m, id, true);
        const auto out = render(*m, 16);
        EXPECT_NEAR(out[0], 20000 * c.left, 1.5) << c.volume << " " << c.pan;
        EXPECT_NEAR(out[1], 20000 * c.right, 1.5) << c.volume << " " << c.pan;
    }
}

TEST(Mixer, FullVolumeCopiesSamplesAndTheSumClipsInsteadOfWrapping) {
    auto m = mixer_create();
    const int a = mixer_create_buffer(*m, constant(8, 30000, -30000));
    const int b = mixer_create_buffer(*m, constant(8, 30000, -30000));
    const int c = mixer_create_buffer(*m, ramp(8));
    mixer_play(*m, c, false);
    EXPECT_EQ(render(*m, 2), (std::vector<int16_t>{1, -1, 2, -2}));
    mixer_play(*m, a, false);
    mixer_play(*m, b, false);
    const auto out = render(*m, 2);
    EXPECT_EQ(out[0], 32767);
    EXPECT_EQ(out[1], -32768);
}

TEST(Mixer, OneShotPlaysToItsEndThenStopsBackAtTheStart) {
    auto m = mixer_create();
    const int id = mixer_create_buffer(*m, ramp(10));
    mixer_play(*m, id, false);
    EXPECT_TRUE(mixer_is_playing(*m, id));
    const auto out = render(*m, 16);
    EXPECT_EQ(out[18], 10);
    EXPECT_EQ(out[20], 0); // silence after the last frame
    EXPECT_FALSE(mixer_is_playing(*m, id));
    EXPECT_EQ(mixer_position(*m, id), 0u);
    mixer_play(*m, id, false); // again from the start
    EXPECT_TRUE(mixer_is_playing(*m, id));
    EXPECT_EQ(render(*m, 1)[0], 1);
}

TEST(Mixer, StopKeepsThePositionAndRewindGoesBackToTheStart) {
    auto m = mixer_create();
    const int id = mixer_create_buffer(*m, ramp(100));
    mixer_play(*m, id, false);
    render(*m, 4);
    mixer_stop(*m, id);
    EXPECT_FALSE(mixer_is_playing(*m, id));
    EXPECT_EQ(render(*m, 3), std::vector<int16_t>(6, 0));
    EXPECT_EQ(mixer_position(*m, id), 4u);
    mixer_play(*m, id, false);
    EXPECT_EQ(render(*m, 1)[0], 5); // resumes where it stopped
    mixer_rewind(*m, id);
    EXPECT_EQ(render(*m, 1)[0], 1); // a playing buffer goes on from the start
    // Stop, rewind and play before the next render: it starts afresh.
    render(*m, 10);
    mixer_stop(*m, id);
    mixer_rewind(*m, id);
    mixer_play(*m, id, false);
    EXPECT_EQ(render(*m, 1)[0], 1);
}

TEST(Mixer, LoopWrapsWithoutAGapAndPlaysOn) {
    auto m = mixer_create();
    const int id = mixer_create_buffer(*m, ramp(3));
    mixer_play(*m, id, true);
    const auto out = render(*m, 7);
    for (int i = 0; i < 7; ++i) EXPECT_EQ(out[size_t(2 * i)], i % 3 + 1) << i;
    EXPECT_TRUE(mixer_is_playing(*m, id));
    mixer_play(*m, id, false); // playing on, now to the end of this pass through it
    render(*m, 3);
    EXPECT_FALSE(mixer_is_playing(*m, id));
}

TEST(Mixer, AReleasedBufferGoesAndANewOneInItsPlaceStartsAtTheBeginning) {
    auto m = mixer_create();
    const int id = mixer_create_buffer(*m, ramp(100));
    mixer_play(*m, id, false);
    render(*m, 50);
    mixer_release_buffer(*m, id);
    EXPECT_FALSE(mixer_has_buffer(*m, id));
    EXPECT_FALSE(mixer_is_playing(*m, id));
    EXPECT_EQ(render(*m, 2), std::vector<int16_t>(4, 0));
    EXPECT_EQ(mixer_create_buffer(*m, constant(100, 7, 7)), id);
    mixer_play(*m, id, false);
    EXPECT_EQ(render(*m, 1)[0], 7);
    EXPECT_EQ(mixer_position(*m, id), 1u);
    mixer_play(*m, -1, false); // ids without a buffer are ignored
    mixer_set_volume(*m, 64, 0);
    EXPECT_FALSE(mixer_is_playing(*m, 99));
}

TEST(Mixer, SixtyFourBuffersAtMostAndNoneWithoutSamples) {
    auto m = mixer_create();
    EXPECT_EQ(mixer_create_buffer(*m, {}), -1);
    EXPECT_EQ(mixer_create_buffer(*m, {5}), -1); // half a frame
    for (int i = 0; i < k_mixer_buffer_count; ++i) EXPECT_EQ(mixer_create_buffer(*m, ramp(2)), i);
    EXPECT_EQ(mixer_create_buffer(*m, ramp(2)), -1);
    mixer_release_buffer(*m, 17);
    EXPECT_EQ(mixer_create_buffer(*m, ramp(2)), 17);
}

TEST(Mixer, StreamPlaysWhatWasPushedCountsItAndRunsDrySilently) {
    auto m = mixer_create();
    const MixerStream s = MixerStream::video;
    EXPECT_EQ(mixer_stream_push(*m, s, ramp(5)), 5u);
    EXPECT_EQ(mixer_stream_queued(*m, s), 5u);
    auto out = render(*m, 3);
    EXPECT_EQ(out[4], 3);
    EXPECT_EQ(mixer_stream_played(*m, s), 3u);
    EXPECT_EQ(mixer_stream_queued(*m, s), 2u);
    out = render(*m, 4);
    EXPECT_EQ(out[2], 5);
    EXPECT_EQ(out[4], 0); // dry
    EXPECT_EQ(mixer_stream_played(*m, s), 5u);

    // Paused, it keeps its queue; cleared, the queue goes and the count starts again.
    mixer_stream_push(*m, s, constant(10, 9, 9));
    mixer_stream_pause(*m, s, true);
    EXPECT_EQ(render(*m, 2)[0], 0);
    EXPECT_EQ(mixer_stream_queued(*m, s), 10u);
    mixer_stream_pause(*m, s, false);
    EXPECT_EQ(render(*m, 2)[0], 9);
    mixer_stream_clear(*m, s);
    EXPECT_EQ(mixer_stream_queued(*m, s), 0u);
    EXPECT_EQ(mixer_stream_played(*m, s), 0u);
    EXPECT_EQ(render(*m, 2)[0], 0);
    mixer_stream_push(*m, s, constant(4, 1000, 1000));
    mixer_stream_set_volume(*m, s, -2000);
    EXPECT_EQ(render(*m, 1)[0], 100);
    EXPECT_EQ(mixer_stream_played(*m, s), 1u);
}

TEST(Mixer, StreamTakesNoMoreThanItHasRoomFor) {
    auto m = mixer_create();
    const MixerStream s = MixerStream::music;
    const auto big = constant(int(k_mixer_stream_frames) + 100, 1, 1);
    EXPECT_EQ(mixer_stream_push(*m, s, big), k_mixer_stream_frames);
    EXPECT_EQ(mixer_stream_room(*m, s), 0u);
    render(*m, 60);
    EXPECT_EQ(mixer_stream_room(*m, s), 60u);
    // Frames still in the ring after a clear hold their room until the next render.
    mixer_stream_clear(*m, s);
    EXPECT_EQ(mixer_stream_room(*m, s), 60u);
    render(*m, 1);
    EXPECT_EQ(mixer_stream_room(*m, s), k_mixer_stream_frames);
}

// The render side on its own thread, as on a desktop, while the game thread makes, plays and
// releases buffers and feeds a stream: nothing is read after it was freed (the sanitizer build
// watches), and what the game thread asks for is what it sees.
TEST(Mixer, TheTwoSidesRunOnTwoThreadsWithoutWaitingForEachOther) {
    auto m = mixer_create();
    std::atomic<bool> stop{false};
    std::thread device([&] {
        std::vector<int16_t> out(512 * 2);
        while (!stop.load()) mixer_render(*m, out.data(), 512);
    });
    std::vector<int> ids;
    uint64_t renders_seen = 0;
    for (int round = 0; round < 3000; ++round) {
        // Now and then let the device catch up, so the two sides really overlap however the
        // machine schedules them.
        if (round % 50 == 0) {
            while (m->renders_finished.load() == renders_seen) std::this_thread::yield();
            renders_seen = m->renders_finished.load();
        }
        const int id = mixer_create_buffer(*m, ramp(50 + round % 700));
        ASSERT_GE(id, 0);
        mixer_set_volume(*m, id, -(round % 3000));
        mixer_play(*m, id, round % 2 == 0);
        EXPECT_TRUE(mixer_is_playing(*m, id));
        ids.push_back(id);
        if (ids.size() > 40) {
            mixer_release_buffer(*m, ids.front());
            ids.erase(ids.begin());
        }
        mixer_stream_push(*m, MixerStream::music, ramp(64));
        if (round % 97 == 0) mixer_stream_clear(*m, MixerStream::music);
    }
    stop = true;
    device.join();
    for (int id : ids) mixer_release_buffer(*m, id);
    mixer_collect(*m);
    EXPECT_TRUE(m->retired.empty());
    EXPECT_GT(m->frames_rendered.load(), 0u);
}
