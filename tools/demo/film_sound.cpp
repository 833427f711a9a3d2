#include "tools/demo/film_sound.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "resources/wav.h"
#include "tools/demo/random.h"
#include "tools/demo/vec.h"

namespace {

constexpr int k_rate = 44100;

double hz_of(double midi) {
    return 440.0 * std::pow(2.0, (midi - 69.0) / 12.0);
}

size_t frame_at(double seconds) {
    return size_t(std::max(0.0, seconds) * k_rate);
}

// A one-pole low-pass step.
double low_pass(double& state, double in, double amount) {
    state += (in - state) * amount;
    return state;
}

} // namespace

FilmSound::FilmSound(double seconds)
    : left_(frame_at(seconds), 0.0), right_(frame_at(seconds), 0.0) {}

void FilmSound::add(size_t at, double v, double pan) {
    if (at >= frames()) return;
    // Equal-power pan, -1 left .. 1 right.
    const double angle = (std::clamp(pan, -1.0, 1.0) + 1) * k_pi / 4;
    left_[at] += v * std::cos(angle);
    right_[at] += v * std::sin(angle);
}

void FilmSound::music(const DemoOutput& out, int track, double gain, double fade_in,
                      double fade_out) {
    char name[32];
    std::snprintf(name, sizeof name, "music/%3.3d.wav", track);
    const std::vector<uint8_t>* file = out.find(name);
    WavInfo info;
    std::span<const uint8_t> data;
    if (!file || !read_wav(*file, info, data) || info.channels != 2 || info.bits != 16 ||
        info.sample_rate != k_rate)
        return;
    const size_t track_frames = data.size() / 4;
    const double seconds = double(frames()) / k_rate;
    for (size_t i = 0; i < frames() && i < track_frames; ++i) {
        const double t = double(i) / k_rate;
        const double fade = std::min(
            {1.0, fade_in > 0 ? t / fade_in : 1.0, fade_out > 0 ? (seconds - t) / fade_out : 1.0});
        const auto sample = [&](size_t k) {
            return int16_t(data[k * 2] | data[k * 2 + 1] << 8) / 32768.0;
        };
        left_[i] += sample(2 * i) * gain * fade;
        right_[i] += sample(2 * i + 1) * gain * fade;
    }
}

void FilmSound::drone(double from, double to, double midi_root, double gain) {
    const double chord[] = {0, 7, 12, 15, 19};
    const size_t end = std::min(frames(), frame_at(to + 2.5));
    for (size_t i = frame_at(from); i < end; ++i) {
        const double t = double(i) / k_rate - from;
        const double length = to - from;
        const double swell = t < length ? std::sin(k_pi / 2 * t / length) : std::exp(-(t - length));
        double v = 0;
        for (size_t k = 0; k < std::size(chord); ++k) {
            const double f = hz_of(midi_root + chord[k]);
            const double wobble = 1 + 0.002 * std::sin(2 * k_pi * (0.3 + 0.1 * double(k)) * t);
            v += std::sin(2 * k_pi * f * wobble * t) / double(k + 1);
        }
        add(i, v * gain * swell * 0.5, std::sin(t * 0.7) * 0.3);
    }
}

void FilmSound::bell(double at, double midi, double gain, double pan) {
    const double partials[][3] = {{0.56, 1.0, 2.2}, {1.0, 0.9, 1.6}, {1.19, 0.6, 1.2},
                                  {1.71, 0.5, 0.9}, {2.0, 0.4, 0.8}, {2.74, 0.3, 0.5},
                                  {3.76, 0.2, 0.35}};
    const double f0 = hz_of(midi);
    const size_t start = frame_at(at), end = std::min(frames(), start + frame_at(4.0));
    for (size_t i = start; i < end; ++i) {
        const double t = double(i - start) / k_rate;
        double v = 0;
        for (const auto& p : partials)
            v += p[1] * std::exp(-t / p[2]) * std::sin(2 * k_pi * f0 * p[0] * t);
        const double attack = std::min(1.0, t / 0.002);
        add(i, v * gain * attack * 0.3, pan);
    }
}

void FilmSound::chime(double at, double midi, double gain) {
    const double notes[] = {0, 4, 7};
    for (size_t k = 0; k < std::size(notes); ++k) {
        const size_t start = frame_at(at + 0.09 * double(k)),
                     end = std::min(frames(), start + frame_at(1.5));
        const double f = hz_of(midi + notes[k]);
        for (size_t i = start; i < end; ++i) {
            const double t = double(i - start) / k_rate;
            const double v = std::exp(-t * 3) *
                             (std::sin(2 * k_pi * f * t) + 0.3 * std::sin(2 * k_pi * 2 * f * t));
            add(i, v * gain * std::min(1.0, t / 0.003), -0.4 + 0.4 * double(k));
        }
    }
}

void FilmSound::whoosh(double at, double length, double gain) {
    const size_t start = frame_at(at), end = std::min(frames(), start + frame_at(length));
    double l = 0, r = 0, l2 = 0, r2 = 0;
    for (size_t i = start; i < end; ++i) {
        const double t = double(i - start) / (double(end - start) + 1);
        const double shape = std::sin(k_pi * t) * std::sin(k_pi * t);
        const double amount = 0.02 + 0.2 * shape; // the filter opens as it swells
        const double nl = unit_from_hash(hash3(uint32_t(i), 1, 0xF11)) * 2 - 1;
        const double nr = unit_from_hash(hash3(uint32_t(i), 2, 0xF11)) * 2 - 1;
        const double vl = low_pass(l2, low_pass(l, nl, amount), amount);
        const double vr = low_pass(r2, low_pass(r, nr, amount), amount);
        if (i < frames()) {
            left_[i] += vl * gain * shape;
            right_[i] += vr * gain * shape;
        }
    }
}

void FilmSound::step(double at, double gain, double pan) {
    const size_t start = frame_at(at), end = std::min(frames(), start + frame_at(0.12));
    double state = 0;
    for (size_t i = start; i < end; ++i) {
        const double t = double(i - start) / k_rate;
        const double noise = unit_from_hash(hash3(uint32_t(i), 3, 0x57E9)) * 2 - 1;
        const double thud = std::sin(2 * k_pi * 90 * t) * std::exp(-t * 60);
        add(i, (low_pass(state, noise, 0.15) * std::exp(-t * 40) + thud * 0.6) * gain, pan);
    }
}

void FilmSound::click(double at, double gain) {
    const size_t start = frame_at(at);
    for (size_t i = 0; i < 64; ++i) add(start + i, (i / 4 % 2 ? 1.0 : -1.0) * gain, 0);
}

std::vector<int16_t> FilmSound::samples() const {
    std::vector<int16_t> out(frames() * 2);
    for (size_t i = 0; i < frames(); ++i) {
        out[2 * i] = int16_t(std::lround(std::clamp(left_[i], -1.0, 1.0) * 32767));
        out[2 * i + 1] = int16_t(std::lround(std::clamp(right_[i], -1.0, 1.0) * 32767));
    }
    return out;
}
