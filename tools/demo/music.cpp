#include "tools/demo/music.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <string>

#include "resources/wav.h"
#include "tools/demo/random.h"
#include "tools/demo/vec.h"

// A loop is rendered into one circular buffer: every note, tail and echo that runs past the end
// comes back in at the start, so the last sample leads into the first like any other.
//
// Two tracks, told apart at once: the woods in D dorian at 84 beats a minute in four, with a
// harp's arpeggios, a pad, a bass and a flute; the hall in A minor at 66 in three, with bells, a
// frame drum, a drone and a reed.

namespace {

constexpr int k_rate = 44100;

struct Loop {
    std::vector<double> left, right;

    explicit Loop(size_t frames) : left(frames, 0.0), right(frames, 0.0) {}
    size_t frames() const { return left.size(); }
    void add(size_t at, double v, double gain_left, double gain_right) {
        const size_t i = at % frames();
        left[i] += v * gain_left;
        right[i] += v * gain_right;
    }
};

double hz_of(double midi) {
    return 440.0 * std::pow(2.0, (midi - 69.0) / 12.0);
}

// One cycle of a waveform made of harmonics, read with linear interpolation.
class Wavetable {
public:
    explicit Wavetable(std::initializer_list<double> harmonics) : table_(k_size + 1, 0.0) {
        int k = 1;
        for (double a : harmonics) {
            for (size_t i = 0; i <= k_size; ++i)
                table_[i] += a * std::sin(2 * k_pi * k * static_cast<double>(i) / k_size);
            ++k;
        }
    }
    double at(double phase) const {
        const double x = (phase - std::floor(phase)) * k_size;
        const auto i = static_cast<size_t>(x);
        return table_[i] + (table_[i + 1] - table_[i]) * (x - static_cast<double>(i));
    }

private:
    static constexpr size_t k_size = 2048;
    std::vector<double> table_;
};

enum class Voice {
    harp,
    pad,
    flute,
    bass,
    bell,
    drum,
    reed,
};

struct Note {
    double beat, beats, midi, velocity;
};

struct Part {
    Voice voice;
    double pan;  // -1 left .. 1 right
    double gain; // the part's level in the mix
    std::vector<Note> notes;
};

// Seconds a voice sounds on after its note's length.
double tail_of(Voice v) {
    switch (v) {
    case Voice::harp:
        return 2.5;
    case Voice::pad:
        return 1.6;
    case Voice::bell:
        return 4.5;
    case Voice::drum:
        return 0.6;
    default:
        return 0.2;
    }
}

// Attack, hold for `length` seconds, release.
double envelope(double t, double length, double attack, double release) {
    const double rise = std::min(1.0, t / attack);
    if (t <= length) return rise;
    return rise * std::max(0.0, 1.0 - (t - length) / release);
}

// A voice: the sample at time t (seconds into the note) of a note of `length` seconds at `hz`.
// Voices with a changing pitch keep their phase in `phase`.
struct VoiceRender {
    const Wavetable harp{1, 0.5, 0.3, 0.18, 0.1, 0.06};
    const Wavetable pad{1, 0.5, 0.33, 0.25, 0.2, 0.12, 0.08};
    const Wavetable flute{1, 0.15, 0.05};
    const Wavetable bass{1, 0.35, 0.1};
    const Wavetable reed{1, 0.6, 0.45, 0.3, 0.25, 0.15, 0.1, 0.08};

    double sample(Voice v, double t, double length, double hz, double& phase, uint32_t noise_seed,
                  size_t i) const {
        switch (v) {
        case Voice::harp: {
            const double env = std::min(1.0, t / 0.003) * std::exp(-t * 2.2);
            const double p = hz * t;
            return env * (0.5 * std::sin(2 * k_pi * p) + 0.5 * std::exp(-t * 4) * harp.at(p));
        }
        case Voice::pad: {
            const double env = envelope(t, length, 0.6, 1.5);
            return env * 0.5 * (pad.at(hz * 1.003 * t) + pad.at(hz * 0.997 * t));
        }
        case Voice::flute:
        case Voice::reed: {
            const double vibrato = 0.004 * std::sin(2 * k_pi * 5.2 * t) * std::min(1.0, t / 0.3);
            phase += hz * (1 + vibrato) / k_rate;
            const double env = envelope(t, length, v == Voice::flute ? 0.07 : 0.05, 0.15);
            const double breath = unit_from_hash(hash_combine(noise_seed, uint32_t(i))) * 2 - 1;
            const Wavetable& w = v == Voice::flute ? flute : reed;
            return env * (w.at(phase) + 0.03 * breath);
        }
        case Voice::bass: {
            const double env =
                std::min(1.0, t / 0.005) * std::exp(-t * 0.9) * envelope(t, length, 1e-3, 0.15);
            return env * bass.at(hz * t);
        }
        case Voice::bell: {
            const double index = 4 * std::exp(-t * 2);
            const double m = std::sin(2 * k_pi * 1.4 * hz * t);
            return std::exp(-t * 1.3) * std::sin(2 * k_pi * hz * t + index * m);
        }
        case Voice::drum: {
            phase += (55 + 70 * std::exp(-t * 25)) / k_rate;
            const double noise = unit_from_hash(hash_combine(noise_seed, uint32_t(i))) * 2 - 1;
            return std::exp(-t * 8) * std::sin(2 * k_pi * phase) + 0.3 * std::exp(-t * 40) * noise;
        }
        }
        return 0;
    }
};

void render_part(Loop& loop, const VoiceRender& voices, const Part& part, double beat_seconds) {
    // Equal power across the stereo field.
    const double angle = (part.pan + 1) * k_pi / 4;
    const double gl = std::cos(angle) * part.gain, gr = std::sin(angle) * part.gain;
    uint32_t seed = static_cast<uint32_t>(part.voice) * 7919u;
    for (const Note& n : part.notes) {
        const auto start = static_cast<size_t>(std::lround(n.beat * beat_seconds * k_rate));
        const double length = n.beats * beat_seconds;
        const auto count = static_cast<size_t>((length + tail_of(part.voice)) * k_rate);
        const double hz = hz_of(n.midi);
        double phase = 0;
        seed = hash_u32(seed + 1);
        for (size_t i = 0; i < count; ++i) {
            const double t = static_cast<double>(i) / k_rate;
            const double v = voices.sample(part.voice, t, length, hz, phase, seed, i);
            loop.add(start + i, v * n.velocity, gl, gr);
        }
    }
}

// Early echoes of a room, crossed between the channels, wrapped round the loop like the notes.
void add_room(Loop& loop, double amount) {
    constexpr std::array<double, 9> k_taps = {0.029, 0.043, 0.067, 0.089, 0.127,
                                              0.163, 0.211, 0.277, 0.353};
    const Loop dry = loop;
    const size_t n = loop.frames();
    double gain = amount;
    for (size_t k = 0; k < k_taps.size(); ++k, gain *= 0.78) {
        const auto d = static_cast<size_t>(k_taps[k] * k_rate) % n;
        const bool cross = k % 2 == 1;
        for (size_t i = 0; i < n; ++i) {
            const size_t from = (i + n - d) % n;
            loop.left[i] += gain * (cross ? dry.right[from] : dry.left[from]);
            loop.right[i] += gain * (cross ? dry.left[from] : dry.right[from]);
        }
    }
}

std::vector<uint8_t> wave_of(const Loop& loop) {
    double peak = 1e-9;
    for (size_t i = 0; i < loop.frames(); ++i)
        peak = std::max({peak, std::fabs(loop.left[i]), std::fabs(loop.right[i])});
    const double scale = 0.8 * 32767 / peak;
    std::vector<uint8_t> pcm;
    pcm.reserve(loop.frames() * 4);
    for (size_t i = 0; i < loop.frames(); ++i) {
        for (double x : {loop.left[i], loop.right[i]}) {
            const auto v = static_cast<int16_t>(std::lround(x * scale));
            pcm.push_back(static_cast<uint8_t>(v & 0xFF));
            pcm.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
        }
    }
    WavInfo info;
    info.channels = 2;
    info.sample_rate = k_rate;
    info.bits = 16;
    return encode_wav(info, pcm);
}

// Composition.

using Chord = std::array<double, 3>; // three notes around middle C

struct Harmony {
    std::vector<Chord> chords; // one a bar
    std::vector<double> roots; // the bass note of each bar
};

// A tune over some bars: a rhythm a bar from a small set, chord tones on the strong beats, steps
// of the scale between them.
std::vector<Note> melody(const Harmony& h, int first_bar, int bars, int beats_per_bar,
                         const std::vector<std::vector<double>>& rhythms,
                         const std::vector<int>& scale, uint64_t seed) {
    SeqRandom r(seed);
    std::vector<double> pitches; // the scale over two octaves from A4
    for (int octave = 0; octave < 3; ++octave)
        for (int pc : scale) pitches.push_back(69 + (pc - 9 + 12) % 12 + 12 * octave - 12);
    std::sort(pitches.begin(), pitches.end());
    std::erase_if(pitches, [](double p) { return p < 67 || p > 88; });
    std::vector<Note> notes;
    size_t at = pitches.size() / 2;
    for (int bar = first_bar; bar < first_bar + bars; ++bar) {
        const auto& rhythm = rhythms[r.next_u32() % rhythms.size()];
        double beat = 0;
        for (double len : rhythm) {
            if (beat == 0 || beat == 2) {
                // The chord tone (an octave up) nearest the tune's last note.
                const Chord& c = h.chords[size_t(bar)];
                size_t best = at;
                double best_d = 1e9;
                for (size_t i = 0; i < pitches.size(); ++i)
                    for (double tone : c)
                        if (std::fmod(pitches[i] - tone + 120, 12) == 0 &&
                            std::fabs(double(i) - double(at)) < best_d) {
                            best_d = std::fabs(double(i) - double(at));
                            best = i;
                        }
                at = best;
            } else {
                const int step = int(r.next_u32() % 5) - 2;
                at = size_t(std::clamp<long>(long(at) + step, 0, long(pitches.size()) - 1));
            }
            notes.push_back(
                {bar * beats_per_bar + beat, len * 0.95, pitches[at], 0.5 + 0.15 * r.uniform()});
            beat += len;
        }
    }
    return notes;
}

Loop woods() {
    const double bpm = 84;
    const int bars = 16, beats = 4;
    const Chord dm{62, 65, 69}, c{60, 64, 67}, g{59, 62, 67}, f{60, 65, 69}, am{57, 60, 64},
        bb{58, 62, 65};
    Harmony h;
    h.chords = {dm, c, dm, g, f, c, dm, am, dm, c, dm, g, bb, f, g, am};
    h.roots = {38, 36, 38, 43, 41, 36, 38, 45, 38, 36, 38, 43, 46, 41, 43, 45};
    Part harp{Voice::harp, -0.35, 0.5, {}}, pad{Voice::pad, 0.1, 0.25, {}},
        bass{Voice::bass, 0, 0.55, {}}, flute{Voice::flute, 0.35, 0.35, {}};
    constexpr int k_arpeggio[8] = {0, 1, 2, 3, 4, 3, 2, 1};
    for (int bar = 0; bar < bars; ++bar) {
        const Chord& ch = h.chords[size_t(bar)];
        for (int k = 0; k < 8; ++k) {
            const int idx = k_arpeggio[k];
            const double midi = ch[size_t(idx % 3)] + 12 * (idx / 3);
            harp.notes.push_back({bar * beats + 0.5 * k, 0.5, midi, k % 4 == 0 ? 0.7 : 0.55});
        }
        for (double tone : ch) pad.notes.push_back({double(bar * beats), 4, tone - 12, 0.4});
        for (int half : {0, 2})
            bass.notes.push_back({double(bar * beats + half), 2, h.roots[size_t(bar)], 0.8});
    }
    const std::vector<std::vector<double>> rhythms = {
        {2, 1, 1}, {1, 1, 2}, {1.5, 0.5, 2}, {3, 1}, {1, 1, 1, 1}};
    const std::vector<int> dorian = {2, 4, 5, 7, 9, 11, 0};
    for (int first : {4, 12})
        for (const Note& n : melody(h, first, 4, beats, rhythms, dorian, 7 + uint64_t(first)))
            flute.notes.push_back(n);

    Loop loop(static_cast<size_t>(std::lround(bars * beats * 60.0 / bpm * k_rate)));
    const VoiceRender voices;
    for (const Part* p : {&harp, &pad, &bass, &flute}) render_part(loop, voices, *p, 60.0 / bpm);
    add_room(loop, 0.28);
    return loop;
}

Loop hall() {
    const double bpm = 66;
    const int bars = 12, beats = 3;
    const Chord am{57, 60, 64}, f{57, 60, 65}, g{59, 62, 67}, em{59, 64, 67}, e{56, 59, 64},
        dm{57, 62, 65};
    Harmony h;
    h.chords = {am, am, f, g, am, em, f, e, am, dm, e, e};
    h.roots = {45, 45, 41, 43, 45, 40, 41, 40, 45, 38, 40, 40};
    Part bells{Voice::bell, 0.3, 0.35, {}}, drone{Voice::pad, -0.1, 0.3, {}},
        drum{Voice::drum, 0, 0.6, {}}, bass{Voice::bass, -0.2, 0.5, {}},
        reed{Voice::reed, -0.35, 0.22, {}};
    for (int bar = 0; bar < bars; ++bar) {
        const Chord& ch = h.chords[size_t(bar)];
        const double b0 = bar * beats;
        bells.notes.push_back({b0, 1, ch[0] + 12, 0.55});
        bells.notes.push_back({b0 + 1, 1, ch[2], 0.4});
        bells.notes.push_back({b0 + 2, 1, ch[1], 0.4});
        drone.notes.push_back({b0, 3, 45, 0.5});
        drone.notes.push_back({b0, 3, 52, 0.35});
        drum.notes.push_back({b0, 1, 0, 0.9});
        drum.notes.push_back({b0 + 2, 1, 0, 0.4});
        if (bar % 4 == 3) drum.notes.push_back({b0 + 2.5, 0.5, 0, 0.5});
        bass.notes.push_back({b0, 3, h.roots[size_t(bar)], 0.7});
    }
    const std::vector<std::vector<double>> rhythms = {{2, 1}, {1, 1, 1}, {3}, {1.5, 0.5, 1}};
    const std::vector<int> harmonic_minor = {9, 11, 0, 2, 4, 5, 8};
    reed.notes = melody(h, 4, 8, beats, rhythms, harmonic_minor, 11);

    Loop loop(static_cast<size_t>(std::lround(bars * beats * 60.0 / bpm * k_rate)));
    const VoiceRender voices;
    for (const Part* p : {&drone, &bells, &drum, &bass, &reed})
        render_part(loop, voices, *p, 60.0 / bpm);
    add_room(loop, 0.4);
    return loop;
}

} // namespace

std::vector<MusicTrackInfo> demo_music_tracks() {
    return {{0, 16 * 4 * 60.0 / 84}, {11, 12 * 3 * 60.0 / 66}};
}

void make_music(DemoOutput& out) {
    out.add("music/000.wav", wave_of(woods()));
    out.add("music/011.wav", wave_of(hall()));
}
