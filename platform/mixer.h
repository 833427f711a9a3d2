// The sound mixer both backends play: 64 sound buffers, the music stream and the stream of a
// video's sound, mixed into 44.1 kHz stereo 16-bit.
//
// The mixer has two sides that share nothing but atomics, so neither ever waits for the other:
// - the control side (every function below except mixer_render) belongs to the game thread;
// - mixer_render belongs to whoever produces the sound: the audio device's thread on a desktop,
//   the virtual clock on the headless machine. It applies what the control side asked for at the
//   start of each call, so a play call is heard from the next rendered block on.
//
// Volumes are in hundredths of a decibel: 0 is full level, -10,000 silence, and a level v plays
// at gain 10^(v / 2000). A pan p attenuates the channel away from it by |p| hundredths of a
// decibel (-10,000 silences the right channel, 10,000 the left). Both are clamped to their
// ranges.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <utility>
#include <vector>

inline constexpr int k_mixer_rate = 44100;
inline constexpr int k_mixer_buffer_count = 64;
inline constexpr int32_t k_mixer_silence = -10000;
inline constexpr int32_t k_mixer_pan_limit = 10000;

// Sound in the mixer's format: interleaved left and right 16-bit samples at 44.1 kHz.
struct MixerPcm {
    std::vector<int16_t> samples;
    uint64_t serial = 0; // given by the mixer; no two buffers ever share one
    size_t frames() const { return samples.size() / 2; }
};

// One of the 64 buffers. The fields are grouped by the side that writes them.
struct MixerBuffer {
    // Control side.
    std::atomic<const MixerPcm*> pcm{nullptr};
    std::atomic<int32_t> volume{0};
    std::atomic<int32_t> pan{0};
    // Play generation << 2 | loop << 1 | playing. A new generation starts at every play call
    // made while the buffer is not playing; the renderer reports the generation that ran out.
    std::atomic<uint64_t> transport{0};
    std::atomic<uint32_t> rewinds{0};
    // Render side.
    std::atomic<uint32_t> finished{0};
    std::atomic<uint32_t> position{0}; // frames, as of the last render

    // The control side's own.
    std::unique_ptr<MixerPcm> owned;
    uint32_t generation = 0;
    bool playing = false;
    bool looping = false;

    // The renderer's own.
    uint64_t voice_serial = 0;
    uint32_t voice_position = 0;
    uint32_t voice_rewinds = 0;
    uint32_t voice_finished = 0;
};

enum class MixerStream {
    music = 0,
    video = 1,
};

// A stream that someone pushes samples into while the renderer plays them: a ring of frames
// counted from the stream's start. Frames before `cleared_at` are dropped unplayed.
struct MixerStreamState {
    std::vector<int16_t> ring; // capacity frames x 2 samples
    uint64_t capacity = 0;     // frames, a power of two
    // Control side.
    std::atomic<uint64_t> written{0};
    std::atomic<uint64_t> cleared_at{0};
    std::atomic<int32_t> volume{0};
    std::atomic<bool> paused{false};
    // Render side.
    std::atomic<uint64_t> consumed{0};
};

struct Mixer {
    std::array<MixerBuffer, k_mixer_buffer_count> buffers;
    std::array<MixerStreamState, 2> streams;
    uint64_t next_serial = 1;
    // Released sound data, freed by the control side once no render can still be reading it.
    std::vector<std::pair<std::unique_ptr<MixerPcm>, uint64_t>> retired;
    std::atomic<uint64_t> renders_started{0};
    std::atomic<uint64_t> renders_finished{0};
    std::atomic<uint64_t> frames_rendered{0};
    std::vector<int32_t> accumulator; // the renderer's scratch
};

// Stream capacity: about three seconds, so a stream kept a second ahead still has room right
// after it was cleared, while the renderer may still be reading the dropped frames.
inline constexpr uint64_t k_mixer_stream_frames = uint64_t{1} << 17;

std::unique_ptr<Mixer> mixer_create();

// Buffers. An id is 0..63; -1 means none. Operations on an id without a buffer do nothing.
// A new buffer starts stopped at position 0, volume 0, pan 0; -1 when all 64 are in use or
// there are no samples.
int mixer_create_buffer(Mixer& m, std::vector<int16_t> stereo_samples);
void mixer_release_buffer(Mixer& m, int id);
bool mixer_has_buffer(const Mixer& m, int id);
void mixer_set_volume(Mixer& m, int id, int32_t volume);
void mixer_set_pan(Mixer& m, int id, int32_t pan);
// Start from the current position (a buffer that is playing goes on, taking the new loop
// flag). A buffer that played to its end is back at position 0.
void mixer_play(Mixer& m, int id, bool loop);
// Stop, keeping the position.
void mixer_stop(Mixer& m, int id);
// Back to the start; a playing buffer goes on from there.
void mixer_rewind(Mixer& m, int id);
bool mixer_is_playing(const Mixer& m, int id);
uint32_t mixer_position(const Mixer& m, int id); // frames, as of the last render

// Streams: the pushing side gives 44.1 kHz stereo 16-bit samples, and may push as much as there
// is room for (mixer_stream_room). A stream that runs dry is silent until more arrives.
size_t mixer_stream_push(Mixer& m, MixerStream s, std::span<const int16_t> stereo_samples);
uint64_t mixer_stream_room(const Mixer& m, MixerStream s);   // frames that fit now
uint64_t mixer_stream_queued(const Mixer& m, MixerStream s); // frames pushed, not yet played
uint64_t mixer_stream_played(const Mixer& m, MixerStream s); // frames played since the clear
// Drop everything queued; the played count starts again at 0.
void mixer_stream_clear(Mixer& m, MixerStream s);
void mixer_stream_set_volume(Mixer& m, MixerStream s, int32_t volume);
// A paused stream keeps its queue and plays nothing.
void mixer_stream_pause(Mixer& m, MixerStream s, bool paused);

// Free the released sound data that no render can still read. Also done by every buffer
// operation that releases or creates.
void mixer_collect(Mixer& m);

// The render side: mix `frames` frames into `out` (interleaved stereo), with clipping.
void mixer_render(Mixer& m, int16_t* out, size_t frames);

// Gain in 1/32768 for a volume in hundredths of a decibel (0 for silence and below).
int32_t mixer_gain(int32_t volume);
