#include "platform/mixer.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr size_t k_chunk_frames = 1024; // frames mixed at a time into the accumulator
constexpr uint64_t k_playing_bit = 1, k_loop_bit = 2;

bool valid(int id) {
    return id >= 0 && id < k_mixer_buffer_count;
}

MixerBuffer* owned_buffer(Mixer& m, int id) {
    if (!valid(id) || !m.buffers[size_t(id)].owned) return nullptr;
    return &m.buffers[size_t(id)];
}

void publish_transport(MixerBuffer& b) {
    const uint64_t word = uint64_t{b.generation} << 2 | (b.looping ? k_loop_bit : 0) |
                          (b.playing ? k_playing_bit : 0);
    b.transport.store(word, std::memory_order_release);
}

MixerStreamState& stream(Mixer& m, MixerStream s) {
    return m.streams[static_cast<size_t>(s)];
}
const MixerStreamState& stream(const Mixer& m, MixerStream s) {
    return m.streams[static_cast<size_t>(s)];
}

// The first frame the renderer will still play: what it consumed, or the clear if later.
uint64_t effective_read(const MixerStreamState& st) {
    return std::max(st.consumed.load(std::memory_order_acquire),
                    st.cleared_at.load(std::memory_order_acquire));
}

struct ChannelGains {
    int32_t left, right;
};

ChannelGains gains(int32_t volume, int32_t pan) {
    volume = std::clamp(volume, k_mixer_silence, 0);
    pan = std::clamp(pan, -k_mixer_pan_limit, k_mixer_pan_limit);
    return {mixer_gain(volume - std::max(pan, 0)), mixer_gain(volume - std::max(-pan, 0))};
}

// Add n frames of interleaved samples at the given gains (1/32768) into the accumulator.
void accumulate(int32_t* acc, const int16_t* samples, size_t n, ChannelGains g) {
    if (g.left == 0 && g.right == 0) return;
    for (size_t i = 0; i < n; ++i) {
        acc[2 * i] += (samples[2 * i] * g.left + 16384) >> 15;
        acc[2 * i + 1] += (samples[2 * i + 1] * g.right + 16384) >> 15;
    }
}

// One buffer's part of a chunk: it advances even when it is silent, as a muted sound goes on.
void render_buffer(MixerBuffer& b, int32_t* acc, size_t frames) {
    // Read after the render was counted (see mixer_release_buffer).
    const MixerPcm* pcm = b.pcm.load(std::memory_order_seq_cst);
    if (pcm == nullptr) return;
    if (pcm->serial != b.voice_serial) {
        b.voice_serial = pcm->serial;
        b.voice_position = 0;
        b.voice_rewinds = b.rewinds.load(std::memory_order_acquire);
        b.voice_finished = 0;
    }
    const uint64_t transport = b.transport.load(std::memory_order_acquire);
    const uint32_t rewinds = b.rewinds.load(std::memory_order_acquire);
    if (rewinds != b.voice_rewinds) {
        b.voice_rewinds = rewinds;
        b.voice_position = 0;
    }
    const auto generation = static_cast<uint32_t>(transport >> 2);
    const size_t total = pcm->frames();
    if ((transport & k_playing_bit) && generation != b.voice_finished && total > 0) {
        const ChannelGains g =
            gains(b.volume.load(std::memory_order_relaxed), b.pan.load(std::memory_order_relaxed));
        const bool loop = (transport & k_loop_bit) != 0;
        size_t done = 0;
        while (done < frames) {
            if (b.voice_position >= total) b.voice_position = 0;
            const size_t n = std::min(frames - done, total - b.voice_position);
            accumulate(acc + 2 * done, pcm->samples.data() + 2 * size_t{b.voice_position}, n, g);
            done += n;
            b.voice_position += static_cast<uint32_t>(n);
            if (b.voice_position < total) continue;
            b.voice_position = 0;
            if (loop) continue;
            b.voice_finished = generation;
            b.finished.store(generation, std::memory_order_release);
            break;
        }
    }
    b.position.store(b.voice_position, std::memory_order_relaxed);
}

void render_stream(MixerStreamState& st, int32_t* acc, size_t frames) {
    uint64_t read = effective_read(st);
    const uint64_t written = st.written.load(std::memory_order_acquire);
    if (!st.paused.load(std::memory_order_acquire) && st.capacity > 0) {
        const ChannelGains g = gains(st.volume.load(std::memory_order_relaxed), 0);
        size_t done = 0;
        while (done < frames && read < written) {
            const uint64_t at = read & (st.capacity - 1);
            const size_t n = static_cast<size_t>(
                std::min<uint64_t>({frames - done, written - read, st.capacity - at}));
            accumulate(acc + 2 * done, st.ring.data() + 2 * at, n, g);
            done += n;
            read += n;
        }
    }
    st.consumed.store(read, std::memory_order_release);
}

int16_t clip(int32_t v) {
    return static_cast<int16_t>(std::clamp(v, -32768, 32767));
}

} // namespace

int32_t mixer_gain(int32_t volume) {
    if (volume <= k_mixer_silence) return 0;
    if (volume >= 0) return 32768;
    return static_cast<int32_t>(std::lround(32768.0 * std::pow(10.0, volume / 2000.0)));
}

std::unique_ptr<Mixer> mixer_create() {
    auto m = std::make_unique<Mixer>();
    for (MixerStreamState& st : m->streams) {
        st.capacity = k_mixer_stream_frames;
        st.ring.assign(size_t(st.capacity) * 2, 0);
    }
    m->accumulator.assign(k_chunk_frames * 2, 0);
    return m;
}

void mixer_collect(Mixer& m) {
    const uint64_t done = m.renders_finished.load(std::memory_order_acquire);
    std::erase_if(m.retired, [done](const auto& r) { return r.second <= done; });
}

int mixer_create_buffer(Mixer& m, std::vector<int16_t> stereo_samples) {
    mixer_collect(m);
    if (stereo_samples.size() < 2) return -1;
    for (int id = 0; id < k_mixer_buffer_count; ++id) {
        MixerBuffer& b = m.buffers[size_t(id)];
        if (b.owned) continue;
        auto pcm = std::make_unique<MixerPcm>();
        pcm->samples = std::move(stereo_samples);
        pcm->samples.resize(pcm->frames() * 2); // whole frames only
        pcm->serial = m.next_serial++;
        b.playing = b.looping = false;
        b.volume.store(0, std::memory_order_relaxed);
        b.pan.store(0, std::memory_order_relaxed);
        publish_transport(b);
        b.position.store(0, std::memory_order_relaxed);
        // Published last: a renderer that sees the data also sees the settings above.
        b.pcm.store(pcm.get(), std::memory_order_release);
        b.owned = std::move(pcm);
        return id;
    }
    return -1;
}

void mixer_release_buffer(Mixer& m, int id) {
    MixerBuffer* b = owned_buffer(m, id);
    if (b == nullptr) return;
    b->pcm.store(nullptr, std::memory_order_seq_cst);
    // Every render that may have picked up the old data started before this count was read.
    const uint64_t ticket = m.renders_started.load(std::memory_order_seq_cst);
    m.retired.emplace_back(std::move(b->owned), ticket);
    b->playing = b->looping = false;
    publish_transport(*b);
    mixer_collect(m);
}

bool mixer_has_buffer(const Mixer& m, int id) {
    return valid(id) && m.buffers[size_t(id)].owned != nullptr;
}

void mixer_set_volume(Mixer& m, int id, int32_t volume) {
    if (MixerBuffer* b = owned_buffer(m, id))
        b->volume.store(std::clamp(volume, k_mixer_silence, 0), std::memory_order_relaxed);
}

void mixer_set_pan(Mixer& m, int id, int32_t pan) {
    if (MixerBuffer* b = owned_buffer(m, id))
        b->pan.store(std::clamp(pan, -k_mixer_pan_limit, k_mixer_pan_limit),
                     std::memory_order_relaxed);
}

void mixer_play(Mixer& m, int id, bool loop) {
    MixerBuffer* b = owned_buffer(m, id);
    if (b == nullptr) return;
    if (!mixer_is_playing(m, id)) ++b->generation;
    b->playing = true;
    b->looping = loop;
    publish_transport(*b);
}

void mixer_stop(Mixer& m, int id) {
    MixerBuffer* b = owned_buffer(m, id);
    if (b == nullptr) return;
    b->playing = false;
    publish_transport(*b);
}

void mixer_rewind(Mixer& m, int id) {
    if (MixerBuffer* b = owned_buffer(m, id)) b->rewinds.fetch_add(1, std::memory_order_release);
}

bool mixer_is_playing(const Mixer& m, int id) {
    if (!mixer_has_buffer(m, id)) return false;
    const MixerBuffer& b = m.buffers[size_t(id)];
    return b.playing && b.finished.load(std::memory_order_acquire) != b.generation;
}

uint32_t mixer_position(const Mixer& m, int id) {
    if (!mixer_has_buffer(m, id)) return 0;
    return m.buffers[size_t(id)].position.load(std::memory_order_relaxed);
}

uint64_t mixer_stream_room(const Mixer& m, MixerStream s) {
    const MixerStreamState& st = stream(m, s);
    const uint64_t in_ring =
        st.written.load(std::memory_order_relaxed) - st.consumed.load(std::memory_order_acquire);
    return st.capacity - std::min(in_ring, st.capacity);
}

size_t mixer_stream_push(Mixer& m, MixerStream s, std::span<const int16_t> stereo_samples) {
    MixerStreamState& st = stream(m, s);
    const size_t n =
        static_cast<size_t>(std::min<uint64_t>(stereo_samples.size() / 2, mixer_stream_room(m, s)));
    const uint64_t w = st.written.load(std::memory_order_relaxed);
    for (size_t done = 0; done < n;) {
        const uint64_t at = (w + done) & (st.capacity - 1);
        const size_t run = static_cast<size_t>(std::min<uint64_t>(n - done, st.capacity - at));
        std::copy_n(stereo_samples.data() + 2 * done, 2 * run, st.ring.data() + 2 * at);
        done += run;
    }
    st.written.store(w + n, std::memory_order_release);
    return n;
}

uint64_t mixer_stream_queued(const Mixer& m, MixerStream s) {
    const MixerStreamState& st = stream(m, s);
    return st.written.load(std::memory_order_relaxed) - effective_read(st);
}

uint64_t mixer_stream_played(const Mixer& m, MixerStream s) {
    const MixerStreamState& st = stream(m, s);
    return effective_read(st) - st.cleared_at.load(std::memory_order_relaxed);
}

void mixer_stream_clear(Mixer& m, MixerStream s) {
    MixerStreamState& st = stream(m, s);
    st.cleared_at.store(st.written.load(std::memory_order_relaxed), std::memory_order_release);
}

void mixer_stream_set_volume(Mixer& m, MixerStream s, int32_t volume) {
    stream(m, s).volume.store(std::clamp(volume, k_mixer_silence, 0), std::memory_order_relaxed);
}

void mixer_stream_pause(Mixer& m, MixerStream s, bool paused) {
    stream(m, s).paused.store(paused, std::memory_order_release);
}

void mixer_render(Mixer& m, int16_t* out, size_t frames) {
    m.renders_started.fetch_add(1, std::memory_order_seq_cst);
    int32_t* acc = m.accumulator.data();
    for (size_t done = 0; done < frames;) {
        const size_t n = std::min(frames - done, k_chunk_frames);
        std::fill_n(acc, 2 * n, 0);
        for (MixerBuffer& b : m.buffers) render_buffer(b, acc, n);
        for (MixerStreamState& st : m.streams) render_stream(st, acc, n);
        for (size_t i = 0; i < 2 * n; ++i) out[2 * done + i] = clip(acc[i]);
        done += n;
    }
    m.frames_rendered.fetch_add(frames, std::memory_order_relaxed);
    m.renders_finished.fetch_add(1, std::memory_order_release);
}
