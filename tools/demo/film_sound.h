// The films' sound tracks: the demo's own music under them, and a few synthesised accents (a
// swelling drone, bells, a chime, a whoosh, footsteps), mixed in 44.1 kHz stereo.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/demo/demo_output.h"

class FilmSound {
public:
    explicit FilmSound(double seconds);

    size_t frames() const { return left_.size(); }

    // A music track of the output ("music/NNN.wav") from its start, at `gain`, faded in over
    // `fade_in` seconds and out over the last `fade_out` seconds of the film. Nothing when the
    // output has no such track.
    void music(const DemoOutput& out, int track, double gain, double fade_in, double fade_out);
    // A low chord of soft partials that swells from `from` to `to` seconds and dies away.
    void drone(double from, double to, double midi_root, double gain);
    // A struck bell: inharmonic partials with long decays.
    void bell(double at, double midi, double gain, double pan = 0);
    // A short bright chime of three notes.
    void chime(double at, double midi, double gain);
    // Filtered noise rising and falling over `length` seconds.
    void whoosh(double at, double length, double gain);
    // A footstep on soft ground.
    void step(double at, double gain, double pan);
    // A click: a few milliseconds of full-scale square wave (the test films' marker).
    void click(double at, double gain);

    // Interleaved stereo 16-bit, clipped.
    std::vector<int16_t> samples() const;

private:
    void add(size_t at, double v, double pan);

    std::vector<double> left_, right_;
};
