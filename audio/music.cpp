#include "audio/music.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <vector>

#include "platform/files.h"
#include "platform/mixer.h"

namespace {

// How far ahead of what plays the track is read: long enough to cover the longest pass (a scene
// load), short enough that a change of track drops little.
constexpr uint64_t k_lead_frames = k_mixer_rate;
constexpr size_t k_read_frames = 4096;

constexpr std::array<int32_t, 5> k_volume_by_level = {-5000, -2000, -1000, -500, 0};

bool reached_end(const MusicState& m) {
    const uint64_t position = music_position(m);
    return (m.file_ended && position >= m.pushed) || (m.length > 0 && position >= m.length);
}

// Keep the stream a second ahead, never past the length the file announces.
void feed(MusicState& m) {
    if (!m.graph || !m.reader || m.file_ended) return;
    std::vector<int16_t> block(k_read_frames * 2);
    for (;;) {
        const uint64_t queued = mixer_stream_queued(*m.mixer, MixerStream::music);
        if (queued >= k_lead_frames) return;
        uint64_t want = std::min<uint64_t>({k_read_frames, k_lead_frames - queued,
                                            mixer_stream_room(*m.mixer, MixerStream::music)});
        if (m.length > 0) want = std::min(want, m.length - std::min(m.length, m.pushed));
        if (want == 0) {
            m.file_ended = m.length > 0 && m.pushed >= m.length;
            return;
        }
        const size_t got = music_reader_read(*m.reader, block.data(), size_t(want));
        m.pushed += mixer_stream_push(*m.mixer, MixerStream::music, {block.data(), got * 2});
        if (got < want) {
            m.file_ended = true;
            return;
        }
    }
}

// Drop what is queued and play the track from its first frame.
void play_from_start(MusicState& m) {
    mixer_stream_clear(*m.mixer, MixerStream::music);
    m.pushed = 0;
    m.file_ended = false;
    if (!music_reader_rewind(*m.reader)) m.file_ended = true;
    feed(m);
}

} // namespace

int32_t music_volume_of_level(int32_t level) {
    return k_volume_by_level[size_t(std::clamp(level, 0, 4))];
}

std::string music_track_path(int track) {
    char name[32];
    std::snprintf(name, sizeof name, "music/%3.3d.wav", track);
    return name;
}

void start_music_graph(MusicState& m, Mixer* mixer, bool music_enabled) {
    if (!music_enabled) return;
    m.mixer = mixer;
    m.graph = mixer != nullptr;
    if (!m.graph) return;
    mixer_stream_clear(*mixer, MixerStream::music);
    mixer_stream_pause(*mixer, MixerStream::music, false);
}

int music_step(MusicState& m, bool music_enabled, int32_t music_volume, int track) {
    if (!music_enabled) return 0;
    feed(m);
    if (m.music_paused) {
        if (m.graph) mixer_stream_pause(*m.mixer, MixerStream::music, false);
        m.music_paused = 0;
        return 0;
    }
    if (m.graph && m.reader && reached_end(m)) play_from_start(m);
    if (track == m.loaded_track) return 0;
    m.loaded_track = track;
    const std::string path = music_track_path(track);
    if (!file_exists(path)) return 2;
    if (!m.graph) return 0;
    // The old track stops and goes; a file that cannot be played leaves the music silent.
    mixer_stream_clear(*m.mixer, MixerStream::music);
    m.reader = music_reader_open(path);
    m.length = m.reader ? music_reader_length(*m.reader) : 0;
    m.pushed = 0;
    m.file_ended = false;
    if (m.reader) {
        mixer_stream_pause(*m.mixer, MixerStream::music, false);
        feed(m);
    }
    apply_music_volume(m, music_enabled, music_volume);
    return 0;
}

void music_feed(MusicState& m, bool music_enabled) {
    if (music_enabled) feed(m);
}

void pause_music(MusicState& m, bool music_enabled) {
    if (!music_enabled) return;
    if (m.graph) mixer_stream_pause(*m.mixer, MixerStream::music, true);
    m.music_paused = 1;
}

void apply_music_volume(MusicState& m, bool music_enabled, int32_t music_volume) {
    if (!music_enabled || !m.graph) return;
    mixer_stream_set_volume(*m.mixer, MixerStream::music, music_volume_of_level(music_volume));
}

void stop_music(MusicState& m) {
    if (m.graph) {
        mixer_stream_pause(*m.mixer, MixerStream::music, true);
        mixer_stream_clear(*m.mixer, MixerStream::music);
    }
    m.reader.reset();
    m.graph = false;
    m.mixer = nullptr;
}

uint64_t music_position(const MusicState& m) {
    if (!m.graph || !m.reader) return 0;
    return mixer_stream_played(*m.mixer, MixerStream::music);
}

bool music_playing(const MusicState& m) {
    return m.graph && m.reader && !m.music_paused && !reached_end(m);
}
