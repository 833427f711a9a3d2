#include "tools/demo/sounds.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "resources/wav.h"
#include "tools/demo/random.h"
#include "tools/demo/vec.h"

namespace {

using Buffer = std::vector<double>;
constexpr double k_rate = k_sound_rate;

Buffer silence(double seconds) {
    return Buffer(static_cast<size_t>(seconds * k_rate), 0.0);
}

// Simple filters over a buffer.
void low_pass(Buffer& b, double cutoff) {
    const double a = 1 - std::exp(-2 * k_pi * cutoff / k_rate);
    double y = 0;
    for (double& x : b) x = y += a * (x - y);
}
void high_pass(Buffer& b, double cutoff) {
    const double a = std::exp(-2 * k_pi * cutoff / k_rate);
    double prev_x = 0, y = 0;
    for (double& x : b) {
        y = a * (y + x - prev_x);
        prev_x = x;
        x = y;
    }
}
// Resonant band pass (two-pole).
void band_pass(Buffer& b, double centre, double q) {
    const double w = 2 * k_pi * centre / k_rate, alpha = std::sin(w) / (2 * q);
    const double b0 = alpha, a0 = 1 + alpha, a1 = -2 * std::cos(w), a2 = 1 - alpha;
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    for (double& x : b) {
        const double y = (b0 * x - b0 * x2 - a1 * y1 - a2 * y2) / a0;
        x2 = x1, x1 = x, y2 = y1, y1 = y;
        x = y;
    }
}

void normalise(Buffer& b, double peak) {
    double m = 1e-9;
    for (double x : b) m = std::max(m, std::fabs(x));
    for (double& x : b) x *= peak / m;
}

void mix_in(Buffer& into, const Buffer& b, double at_seconds, double gain = 1) {
    const size_t start = static_cast<size_t>(at_seconds * k_rate);
    if (into.size() < start + b.size()) into.resize(start + b.size(), 0.0);
    for (size_t i = 0; i < b.size(); ++i) into[start + i] += b[i] * gain;
}

Buffer noise(double seconds, uint64_t seed) {
    SeqRandom r(seed);
    Buffer b = silence(seconds);
    for (double& x : b) x = r.uniform() * 2 - 1;
    return b;
}

// Shape with an attack and an exponential decay.
void envelope(Buffer& b, double attack, double decay) {
    for (size_t i = 0; i < b.size(); ++i) {
        const double t = i / k_rate;
        b[i] *= std::min(1.0, t / std::max(attack, 1e-4)) *
                std::exp(-std::max(0.0, t - attack) / decay);
    }
}

// A sine (or richer) tone with a pitch that glides from f0 to f1.
Buffer tone(double seconds, double f0, double f1, double attack, double decay,
            double harmonics = 0) {
    Buffer b = silence(seconds);
    double phase = 0;
    for (size_t i = 0; i < b.size(); ++i) {
        const double t = i / (seconds * k_rate);
        phase += 2 * k_pi * (f0 + (f1 - f0) * t) / k_rate;
        b[i] = std::sin(phase) + harmonics * 0.5 * std::sin(2 * phase) +
               harmonics * 0.25 * std::sin(3 * phase);
    }
    envelope(b, attack, decay);
    return b;
}

// A footstep: a dull thump and a burst of the floor's own texture.
Buffer footstep(double thump_hz, double texture_hz, double texture_q, double grit, uint64_t seed) {
    Buffer b = tone(0.25, thump_hz * 1.4, thump_hz, 0.002, 0.035);
    Buffer n = noise(0.25, seed);
    band_pass(n, texture_hz, texture_q);
    envelope(n, 0.003, 0.05);
    mix_in(b, n, 0, 2.5);
    if (grit > 0) {
        // Little crunches after the contact (gravel, dry leaves).
        SeqRandom r(seed + 1);
        for (int k = 0; k < 6; ++k) {
            Buffer c = noise(0.02, seed + 10 + static_cast<uint64_t>(k));
            high_pass(c, 2500);
            envelope(c, 0.001, 0.004);
            mix_in(b, c, 0.01 + r.uniform() * 0.09, grit * r.range(0.5, 1));
        }
    }
    high_pass(b, 60);
    normalise(b, 0.7);
    return b;
}

// A seamless loop: the end cross-fades into the start.
Buffer make_loop(Buffer b, double fade_seconds) {
    const size_t f = static_cast<size_t>(fade_seconds * k_rate);
    if (b.size() <= 2 * f) return b;
    Buffer out(b.begin(), b.end() - static_cast<long>(f));
    for (size_t i = 0; i < f; ++i) {
        const double t = static_cast<double>(i) / f;
        out[i] = out[i] * t + b[b.size() - f + i] * (1 - t);
    }
    return out;
}

Buffer chime(const std::vector<double>& notes, double spacing, double decay) {
    Buffer b;
    for (size_t i = 0; i < notes.size(); ++i)
        mix_in(b, tone(decay * 4, notes[i], notes[i], 0.004, decay, 0.4), spacing * i, 0.6);
    normalise(b, 0.6);
    return b;
}

Buffer click(double hz, double decay, uint64_t seed) {
    Buffer b = noise(0.08, seed);
    band_pass(b, hz, 4);
    envelope(b, 0.0005, decay);
    mix_in(b, tone(0.08, hz * 0.5, hz * 0.45, 0.0005, decay), 0, 0.3);
    normalise(b, 0.6);
    return b;
}

Buffer whoosh(double seconds, double from_hz, double to_hz, uint64_t seed) {
    Buffer b = noise(seconds, seed);
    // A band sweeping across, built from short band-passed slices.
    Buffer out(b.size(), 0.0);
    const size_t slice = 512;
    for (size_t s = 0; s < b.size(); s += slice) {
        const double t = static_cast<double>(s) / b.size();
        Buffer part(b.begin() + static_cast<long>(s),
                    b.begin() + static_cast<long>(std::min(b.size(), s + slice * 2)));
        band_pass(part, from_hz + (to_hz - from_hz) * t, 2);
        for (size_t i = 0; i < slice && s + i < out.size(); ++i)
            out[s + i] = part[std::min(i + slice / 2, part.size() - 1)];
    }
    for (size_t i = 0; i < out.size(); ++i) out[i] *= std::sin(k_pi * i / out.size());
    normalise(out, 0.5);
    return out;
}

// A bird's call: a few quick chirps gliding down.
Buffer bird(uint64_t seed) {
    SeqRandom r(seed);
    Buffer b;
    double at = 0;
    for (int k = 0; k < 5; ++k) {
        const double f = r.range(2600, 3400);
        Buffer c = tone(0.09, f * 1.3, f * 0.85, 0.005, 0.03);
        mix_in(b, c, at, 0.5);
        at += r.range(0.09, 0.14);
    }
    mix_in(b, tone(0.35, 2200, 3100, 0.02, 0.12), at + 0.05, 0.5);
    normalise(b, 0.55);
    return b;
}

// A grunt or snort of the boar: a low buzz, or a burst of breath through the nose.
Buffer grunt(double hz, double seconds, uint64_t seed) {
    Buffer b = silence(seconds);
    SeqRandom r(seed);
    double phase = 0;
    for (size_t i = 0; i < b.size(); ++i) {
        const double t = i / k_rate;
        phase +=
            2 * k_pi * hz * (1 + 0.15 * std::sin(t * 17) + 0.05 * (r.uniform() - 0.5)) / k_rate;
        b[i] = std::fmod(phase / (2 * k_pi), 1.0) * 2 - 1; // rough saw
    }
    band_pass(b, hz * 3, 1.2);
    for (size_t i = 0; i < b.size(); ++i) b[i] *= std::sin(k_pi * i / b.size());
    normalise(b, 0.7);
    return b;
}

Buffer snort(uint64_t seed) {
    Buffer b = noise(0.3, seed);
    band_pass(b, 900, 1.5);
    envelope(b, 0.01, 0.07);
    normalise(b, 0.6);
    return b;
}

Buffer fire_loop(double seconds, uint64_t seed) {
    Buffer b = noise(seconds, seed);
    low_pass(b, 500);
    normalise(b, 0.25);
    SeqRandom r(seed + 1);
    for (int k = 0; k < static_cast<int>(seconds * 25); ++k) {
        Buffer c = noise(0.015, seed + 100 + static_cast<uint64_t>(k));
        high_pass(c, 1500);
        envelope(c, 0.0005, 0.003);
        mix_in(b, c, r.uniform() * (seconds - 0.02), r.range(0.2, 0.8));
    }
    normalise(b, 0.6);
    return make_loop(b, 0.3);
}

Buffer wind_leaves(double seconds, uint64_t seed) {
    Buffer b = noise(seconds, seed);
    band_pass(b, 1800, 0.6);
    // Slow gusts.
    SeqRandom r(seed + 3);
    const double p1 = r.range(0, 6), p2 = r.range(0, 6);
    for (size_t i = 0; i < b.size(); ++i) {
        const double t = i / k_rate;
        b[i] *= 0.55 + 0.3 * std::sin(t * 0.9 + p1) + 0.15 * std::sin(t * 2.3 + p2);
    }
    normalise(b, 0.4);
    return make_loop(b, 0.6);
}

Buffer water_loop(double seconds, uint64_t seed) {
    Buffer b = noise(seconds, seed);
    low_pass(b, 900);
    SeqRandom r(seed + 2);
    for (int k = 0; k < static_cast<int>(seconds * 12); ++k) {
        const double f = r.range(500, 1400);
        mix_in(b, tone(0.06, f, f * 1.6, 0.003, 0.015), r.uniform() * (seconds - 0.1),
               r.range(0.1, 0.35));
    }
    normalise(b, 0.45);
    return make_loop(b, 0.4);
}

Buffer door_creak(uint64_t seed) {
    Buffer b = silence(1.1);
    SeqRandom r(seed);
    double phase = 0;
    for (size_t i = 0; i < b.size(); ++i) {
        const double t = i / k_rate;
        const double f = 160 + 90 * std::sin(t * 3.1) + 40 * std::sin(t * 11);
        phase += 2 * k_pi * f / k_rate;
        // Stick-slip: a pulse train.
        b[i] = std::pow(std::max(0.0, std::sin(phase)), 12) - 0.1 + 0.05 * (r.uniform() - 0.5);
    }
    band_pass(b, 700, 1.0);
    for (size_t i = 0; i < b.size(); ++i) b[i] *= std::sin(k_pi * i / b.size());
    Buffer thud = tone(0.3, 90, 60, 0.002, 0.06);
    mix_in(b, thud, 1.0, 2);
    normalise(b, 0.6);
    return b;
}

Buffer shimmer(uint64_t seed) {
    SeqRandom r(seed);
    Buffer b;
    for (int k = 0; k < 14; ++k) {
        const double f = r.range(1200, 3200);
        mix_in(b, tone(0.5, f, f * 1.02, 0.01, 0.12, 0.2), k * 0.05, 0.3);
    }
    normalise(b, 0.5);
    return b;
}

} // namespace

std::vector<uint8_t> wave_file(const std::vector<double>& samples) {
    std::vector<uint8_t> pcm;
    pcm.reserve(samples.size() * 2);
    for (double x : samples) {
        const long v = std::lround(std::clamp(x, -1.0, 1.0) * 32767);
        pcm.push_back(static_cast<uint8_t>(v & 0xFF));
        pcm.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
    }
    WavInfo info;
    info.channels = 1;
    info.sample_rate = k_sound_rate;
    info.bits = 16;
    return encode_wav(info, pcm);
}

void make_sounds(DemoOutput& out) {
    auto add = [&](const std::string& path, const Buffer& b) { out.add(path, wave_file(b)); };
    // Interface sounds.
    add("sound/global/view.wav", chime({880, 1320}, 0.06, 0.08));
    add("sound/global/tool.wav", chime({784, 988, 1175, 1568}, 0.07, 0.15));
    add("sound/global/view1.wav", click(1800, 0.012, 11));
    add("sound/global/view2.wav", click(3200, 0.02, 12));
    add("sound/global/view3.wav", whoosh(0.35, 400, 1600, 13));
    add("sound/global/view4.wav", chime({660, 550}, 0.08, 0.05));
    add("sound/global/toolbar.wav", whoosh(0.4, 1400, 300, 14));
    add("sound/global/up.wav", tone(0.12, 600, 900, 0.003, 0.03));
    add("sound/global/down.wav", tone(0.12, 900, 600, 0.003, 0.03));
    add("sound/global/click.wav", click(1200, 0.02, 15));
    add("sound/global/dtool.wav", [] {
        Buffer b = tone(0.3, 140, 80, 0.002, 0.05);
        Buffer n = noise(0.3, 16);
        low_pass(n, 600);
        envelope(n, 0.002, 0.04);
        mix_in(b, n, 0, 1.5);
        normalise(b, 0.6);
        return b;
    }());

    // Footsteps: two of each floor, a little different.
    add("sound/step/paspave1.wav", footstep(110, 2400, 3, 0.3, 21)); // stone paving
    add("sound/step/paspave2.wav", footstep(120, 2700, 3, 0.3, 22));
    add("sound/scn004/step1.wav", footstep(80, 1200, 0.8, 0.8, 31)); // grass and leaves
    add("sound/scn004/step2.wav", footstep(85, 1400, 0.8, 0.8, 32));
    add("sound/scn003/step1.wav", footstep(95, 900, 1.0, 1.0, 33)); // trodden earth and chips
    add("sound/scn003/step2.wav", footstep(100, 1000, 1.0, 1.0, 34));
    add("sound/scn005/step1.wav", footstep(75, 2000, 0.7, 1.3, 35)); // gravel by the water
    add("sound/scn005/step2.wav", footstep(78, 2200, 0.7, 1.3, 36));
    add("sound/scn006/step1.wav", footstep(115, 2600, 4, 0.2, 37)); // flagstones
    add("sound/scn006/step2.wav", footstep(125, 2900, 4, 0.2, 38));

    // The hero-choice hall.
    add("sound/door5_05.wav", door_creak(41));
    add("sound/feu1.wav", fire_loop(4.0, 42));
    add("sound/s17-03.wav", shimmer(43));

    // The clearing: leaves in the wind, a bird, the boar.
    add("sound/scn004/leaves.wav", wind_leaves(6.0, 51));
    add("sound/scn004/bird.wav", bird(52));
    add("sound/scn004/boar1.wav", footstep(70, 700, 1.2, 0.6, 53));
    add("sound/scn004/boar2.wav", footstep(72, 760, 1.2, 0.6, 54));
    add("sound/scn004/boar3.wav", grunt(95, 0.45, 55));
    add("sound/scn004/boar4.wav", grunt(80, 0.6, 56));
    add("sound/scn004/boar5.wav", snort(57));
    add("sound/scn004/boar6.wav", snort(58));
    // The other places' ambient loops.
    add("sound/scn003/wind.wav", wind_leaves(5.0, 61));
    add("sound/scn005/brook.wav", water_loop(5.0, 62));
    add("sound/scn006/fire.wav", fire_loop(3.0, 63));
}
