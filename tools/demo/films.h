// The demo's films, under the game's file names in "avis/": the engine's title, the studio's
// logo, the title film with the heroes, the credits, the opening of Tovi's story, the hand-over
// to Brask's story and the ending. Pictures drawn with the demo's painter and font or traced in
// the demo's scenes; sound from the demo's music and synthesised accents; encoded by the film
// writer (see docs/content.md for the codecs and why).
#pragma once

#include <map>
#include <string>
#include <vector>

#include "tools/demo/demo_output.h"
#include "tools/demo/demo_scene.h"
#include "tools/demo/film_art.h"

struct FilmInfo {
    std::string path; // "avis/NAME.bik"
    double seconds;
};

// The films make_films writes, with their lengths.
std::vector<FilmInfo> demo_films();

struct FilmSources {
    std::string font;                            // the demo's font file
    std::map<int, const GeneratedScene*> scenes; // the scenes made in this run, by number
    FilmQuality quality;
    std::vector<std::string> only; // the films to make, by path; empty: all
};

// The films into the output. Scenes that were not made (or made without shading) leave their
// films without the heroes' stage. False, with `error` set, when the encoder fails.
bool make_films(DemoOutput& out, const FilmSources& sources, std::string& error);
