#include "tools/demo/films.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "render/actor.h"
#include "tools/common/film_writer.h"
#include "tools/demo/film_sound.h"
#include "tools/demo/painter.h"

namespace {

constexpr int k_title_rate = 25, k_staged_rate = 15;
// Updates of a walking hero per frame of a staged film: about the game's own pace.
constexpr int k_updates_per_frame = 2;

const V3d k_gold{0.98, 0.80, 0.38}, k_deep_gold{0.70, 0.42, 0.12}, k_ivory{0.96, 0.94, 0.88};

struct Film {
    std::string path;
    double seconds = 0;
    // Films staged in the scenes run at 15 frames a second, as cut-scenes of the time often
    // did: tracing the heroes is most of the cost of the demo's data. The others run at 25.
    int rate = 25;
    std::function<void(int n, RgbPicture& p)> paint;
    std::function<void(FilmSound& s)> sound;
};

double seconds_of(int n, int rate) {
    return double(n) / rate;
}

// Black at the start and the end of a film, over `in` and `out` seconds.
double fade_level(double t, double seconds, double in, double out) {
    return std::min(in > 0 ? smooth_step(0, in, t) : 1.0,
                    out > 0 ? smooth_step(seconds, seconds - out, t) : 1.0);
}

// A hero who walks from one floor point to another, starting at a frame of a staged film,
// and then stands turned towards `final_heading`.
struct Walk {
    const FilmHero* hero = nullptr;
    V3d from, to;
    int start = 0;
    double final_heading = 0;

    int walk_updates() const {
        const double d = std::hypot(to.x - from.x, to.z - from.z);
        return std::max(1, int(std::lround(d / k_walk_speed)));
    }
    double heading() const { return heading_facing(float(to.x - from.x), float(to.z - from.z)); }

    FilmActor at(int n) const {
        FilmActor a;
        a.hero = hero;
        const int u = std::max(0, n - start) * k_updates_per_frame, walking = walk_updates();
        if (u < walking) {
            a.position = lerp(from, to, double(u) / walking);
            a.heading = heading();
            a.frame = hero->walking(u);
            return a;
        }
        a.position = to;
        a.frame = hero->resting(u - walking);
        // Turn the short way round to the final heading over half a second.
        double d = std::fmod(final_heading - heading(), 2 * k_pi);
        if (d > k_pi) d -= 2 * k_pi;
        if (d < -k_pi) d += 2 * k_pi;
        a.heading = heading() + d * smooth_step(0, 15, u - walking);
        return a;
    }

    // Footsteps while walking, panned by where on the screen the hero is.
    void steps(FilmSound& s, const FilmStage& stage, double gain) const {
        for (int u = 6; u < walk_updates(); u += 15) {
            const V3d p = lerp(from, to, double(u) / walk_updates());
            const double pan = (stage.view().screen(p).x - 320) / 320;
            s.step((start + double(u) / k_updates_per_frame) / k_staged_rate, gain, pan);
        }
    }
};

// The heading that turns a hero to face the scene's camera.
double facing_camera(const FilmStage& stage) {
    const V3d forward = stage.view().trace.axis_z;
    return heading_facing(float(-forward.x), float(-forward.z));
}

struct Context {
    const DemoOutput& out;
    const FilmSources& sources;
    FilmHero tovi, brask;
    std::map<int, FilmStage> stages;

    const FilmStage& stage(int scene) const { return stages.at(scene); }
    TextMask text(int line_height, const std::string& t) const {
        return text_mask(sources.font, line_height, t);
    }
};

Film intro(const Context& c) {
    const double seconds = 6.0;
    Film f{"avis/intro.bik", seconds, k_title_rate, {}, {}};
    const TextMask title = c.text(120, "VANTOR");
    const TextMask tagline = c.text(30, "une aventure");
    RgbPicture night{640, 480, std::vector<uint8_t>(640 * 480 * 3)};
    fill_gradient(night, {0.02, 0.03, 0.08}, {0.06, 0.04, 0.10}, 11);
    f.paint = [=](int n, RgbPicture& p) {
        const double t = seconds_of(n, k_title_rate);
        p = night;
        add_glow(p, 320, 215, 330, {0.30, 0.20, 0.08}, smooth_step(0.3, 3.0, t) * 0.9);
        draw_mask_centred(p, title, 320, 150, k_gold, smooth_step(1.0, 3.0, t), &k_deep_gold);
        // A glint running along the letters once they stand.
        if (t > 2.6 && t < 4.0)
            add_glow(p, 150 + (t - 2.6) * 250, 215, 40, {1, 0.95, 0.8},
                     0.7 * std::sin(k_pi * (t - 2.6) / 1.4));
        draw_mask_centred(p, tagline, 320, 300, k_ivory, smooth_step(3.0, 4.0, t) * 0.85);
        fade(p, fade_level(t, seconds, 0.4, 0.8));
    };
    f.sound = [](FilmSound& s) {
        s.drone(0, 3.0, 45, 0.35);
        s.whoosh(0.8, 2.2, 0.25);
        s.bell(3.0, 57, 0.35);
        s.chime(3.0, 81, 0.2);
    };
    return f;
}

Film studio_logo(const Context& c) {
    const double seconds = 5.0;
    Film f{"avis/velmor.bik", seconds, k_title_rate, {}, {}};
    const TextMask name = c.text(56, "VELMOR");
    const TextMask studio = c.text(22, "studio");
    f.paint = [=](int n, RgbPicture& p) {
        const double t = seconds_of(n, k_title_rate);
        Canvas canvas(640, 480, {0.03, 0.04, 0.06});
        const double ring = 95 * smooth_step(0, 1.0, t);
        if (ring > 1) {
            canvas.ellipse(320, 190, ring, ring, k_gold, 1.5);
            canvas.ellipse(320, 190, ring - 7, ring - 7, {0.03, 0.04, 0.06}, 1.5);
        }
        // Two peaks drawn stroke by stroke into a V.
        const double draw = smooth_step(0.6, 1.6, t);
        const double pts[][2] = {{262, 160}, {290, 135}, {320, 230}, {350, 135}, {378, 160}};
        for (int k = 0; k < 4; ++k) {
            const double part = std::clamp(draw * 4 - k, 0.0, 1.0);
            if (part <= 0) break;
            const double x1 = pts[k][0] + (pts[k + 1][0] - pts[k][0]) * part;
            const double y1 = pts[k][1] + (pts[k + 1][1] - pts[k][1]) * part;
            canvas.line(pts[k][0], pts[k][1], x1, y1, 8, k_gold);
        }
        p = canvas.picture();
        draw_mask_centred(p, name, 320, 305, k_ivory, smooth_step(1.4, 2.2, t));
        draw_mask_centred(p, studio, 320, 370, k_gold, smooth_step(1.8, 2.6, t) * 0.8);
        if (t > 2.2 && t < 3.4)
            add_glow(p, 200 + (t - 2.2) * 200, 190, 70, {1, 0.9, 0.7},
                     0.5 * std::sin(k_pi * (t - 2.2) / 1.2));
        fade(p, fade_level(t, seconds, 0.2, 0.8));
    };
    f.sound = [](FilmSound& s) {
        s.drone(0.2, 1.2, 40, 0.2);
        s.bell(1.0, 64, 0.5, -0.2);
        s.bell(1.06, 71, 0.3, 0.3);
        s.chime(2.3, 88, 0.12);
    };
    return f;
}

// The heroes meet in the clearing; the title comes up over them.
Film title_film(const Context& c) {
    const double seconds = 8.0;
    Film f{"avis/start.bik", seconds, k_staged_rate, {}, {}};
    const FilmStage& stage = c.stage(4);
    const TextMask title = c.text(96, "VANTOR");
    std::vector<Walk> walks;
    if (stage.ready()) {
        const double face = facing_camera(stage);
        walks.push_back({&c.tovi, stage.floor_at(40, 250), stage.floor_at(255, 320), 6, face});
        walks.push_back({&c.brask, stage.floor_at(590, 455), stage.floor_at(375, 330), 11, face});
    }
    f.paint = [=, &stage](int n, RgbPicture& p) {
        const double t = seconds_of(n, k_staged_rate);
        std::vector<FilmActor> actors;
        for (const Walk& w : walks) actors.push_back(w.at(n));
        stage.draw(actors, p);
        draw_mask_centred(p, title, 320, 30, k_gold, smooth_step(5.5, 6.7, t), &k_deep_gold);
        fade(p, fade_level(t, seconds, 1.0, 0.9));
    };
    f.sound = [=, &c, &stage](FilmSound& s) {
        s.music(c.out, 0, 0.55, 1.0, 1.0);
        for (const Walk& w : walks) w.steps(s, stage, 0.25);
        s.chime(5.6, 76, 0.18);
    };
    return f;
}

Film credits(const Context& c) {
    const double seconds = 16.0;
    Film f{"avis/credits.bik", seconds, k_title_rate, {}, {}};
    struct Line {
        TextMask mask;
        bool heading;
        int gap; // pixels below the line
    };
    std::vector<Line> lines;
    const auto add = [&](int size, const std::string& text, bool heading, int gap) {
        lines.push_back({c.text(size, text), heading, gap});
    };
    add(72, "VANTOR", true, 50);
    add(24, "Moteur", true, 6);
    add(30, "l'équipe de Vantor", false, 40);
    add(24, "Décors et personnages", true, 6);
    add(30, "rendus par le traceur de la démo", false, 40);
    add(24, "Musique et bruitages", true, 6);
    add(30, "synthétisés pour la démo", false, 40);
    add(24, "Voix", true, 6);
    add(30, "espeak-ng", false, 40);
    add(24, "Police", true, 6);
    add(30, "DejaVu Sans", false, 40);
    add(24, "Films", true, 6);
    add(30, "FFmpeg", false, 80);
    add(36, "Merci d'avoir joué !", true, 0);
    int total = 0;
    for (const Line& l : lines) total += l.mask.height + l.gap;
    RgbPicture night{640, 480, std::vector<uint8_t>(640 * 480 * 3)};
    fill_gradient(night, {0.01, 0.01, 0.03}, {0.04, 0.03, 0.07}, 23);
    f.paint = [=](int n, RgbPicture& p) {
        const double t = seconds_of(n, k_title_rate);
        p = night;
        // From below the screen until the last line rests in the middle.
        const double travel = smooth_step(0.5, 14.5, t);
        int y = int(std::lround(480 + (240 - 480 - total) * travel));
        for (const Line& l : lines) {
            const double edge = std::min(smooth_step(0, 60, y), smooth_step(480, 400, y));
            if (y > -l.mask.height && y < 480)
                draw_mask_centred(p, l.mask, 320, y, l.heading ? k_gold : k_ivory, edge);
            y += l.mask.height + l.gap;
        }
        fade(p, fade_level(t, seconds, 0.5, 1.0));
    };
    f.sound = [&c](FilmSound& s) { s.music(c.out, 11, 0.6, 1.0, 1.5); };
    return f;
}

// A hero's story begins: he walks into his scene and a caption names the story.
Film story_opening(const Context& c, const std::string& path, int scene, const FilmHero& hero,
                   int from_x, int from_y, int to_x, int to_y, const std::string& caption,
                   double seconds, const V3d& tint) {
    Film f{path, seconds, k_staged_rate, {}, {}};
    const FilmStage& stage = c.stage(scene);
    const TextMask words = c.text(34, caption);
    std::vector<Walk> walks;
    if (stage.ready())
        walks.push_back({&hero, stage.floor_at(from_x, from_y), stage.floor_at(to_x, to_y), 3,
                         facing_camera(stage)});
    f.paint = [=, &stage](int n, RgbPicture& p) {
        const double t = seconds_of(n, k_staged_rate);
        std::vector<FilmActor> actors;
        for (const Walk& w : walks) actors.push_back(w.at(n));
        stage.draw(actors, p);
        grade(p, tint, 0.15);
        const double shown =
            std::min(smooth_step(1.0, 2.0, t), smooth_step(seconds - 1.5, seconds - 2.5, t));
        draw_mask_centred(p, words, 322, 412, {0, 0, 0}, shown * 0.7);
        draw_mask_centred(p, words, 320, 410, k_ivory, shown);
        fade(p, fade_level(t, seconds, 1.0, 1.0));
    };
    f.sound = [=, &c, &stage](FilmSound& s) {
        s.music(c.out, 0, 0.4, 1.5, 1.0);
        for (const Walk& w : walks) w.steps(s, stage, 0.3);
        s.bell(1.0, 62, 0.2);
    };
    return f;
}

// Both heroes together at the end of the road.
Film ending(const Context& c) {
    const double seconds = 8.0;
    Film f{"avis/end.bik", seconds, k_staged_rate, {}, {}};
    const FilmStage& stage = c.stage(6);
    const TextMask fin = c.text(110, "Fin");
    const TextMask thanks = c.text(28, "Merci d'avoir joué");
    std::vector<Walk> walks;
    if (stage.ready()) {
        const double face = facing_camera(stage);
        walks.push_back({&c.tovi, stage.floor_at(60, 440), stage.floor_at(270, 330), 0, face});
        walks.push_back({&c.brask, stage.floor_at(600, 450), stage.floor_at(370, 335), 7, face});
    }
    f.paint = [=, &stage](int n, RgbPicture& p) {
        const double t = seconds_of(n, k_staged_rate);
        std::vector<FilmActor> actors;
        for (const Walk& w : walks) actors.push_back(w.at(n));
        stage.draw(actors, p);
        grade(p, {1.05, 0.85, 0.7}, 0.1);
        draw_mask_centred(p, fin, 324, 334, {0, 0, 0}, smooth_step(3.5, 4.8, t) * 0.6);
        draw_mask_centred(p, fin, 320, 330, k_gold, smooth_step(3.5, 4.8, t), &k_deep_gold);
        draw_mask_centred(p, thanks, 322, 442, {0, 0, 0}, smooth_step(4.8, 5.6, t) * 0.7);
        draw_mask_centred(p, thanks, 320, 440, k_ivory, smooth_step(4.8, 5.6, t));
        fade(p, fade_level(t, seconds, 1.0, 1.5));
    };
    f.sound = [=, &c, &stage](FilmSound& s) {
        s.music(c.out, 11, 0.5, 1.0, 2.0);
        for (const Walk& w : walks) w.steps(s, stage, 0.25);
        s.bell(3.5, 57, 0.35);
        s.bell(3.55, 64, 0.25, 0.3);
    };
    return f;
}

std::vector<Film> films(const Context& c) {
    const V3d daylight{1, 1, 1}, dusk{1.0, 0.78, 0.62};
    return {
        intro(c),
        studio_logo(c),
        title_film(c),
        credits(c),
        story_opening(c, "avis/tovi_intro.bik", 3, c.tovi, 440, 215, 330, 330, "L'histoire de Tovi",
                      7.0, daylight),
        story_opening(c, "avis/tostart.bik", 4, c.brask, 30, 245, 270, 330,
                      "Voici l'histoire de Brask", 6.0, dusk),
        ending(c),
    };
}

bool encode(const Film& film, std::vector<uint8_t>& bytes, std::string& error) {
    FilmOptions o;
    o.rate = film.rate;
    o.frames = int(std::lround(film.seconds * film.rate));
    FilmSound sound(film.seconds);
    film.sound(sound);
    return write_film(o, film.paint, sound.samples(), bytes, error);
}

} // namespace

std::vector<FilmInfo> demo_films() {
    return {{"avis/intro.bik", 6.0},    {"avis/velmor.bik", 5.0},     {"avis/start.bik", 8.0},
            {"avis/credits.bik", 16.0}, {"avis/tovi_intro.bik", 7.0}, {"avis/tostart.bik", 6.0},
            {"avis/end.bik", 8.0}};
}

bool make_films(DemoOutput& out, const FilmSources& sources, std::string& error) {
    Context c{out,
              sources,
              make_film_hero(tovi_look(), tovi_animation()),
              make_film_hero(brask_look(), brask_animation()),
              {}};
    for (int scene : {3, 4, 6}) {
        const auto found = sources.scenes.find(scene);
        c.stages.emplace(scene, FilmStage(found == sources.scenes.end() ? nullptr : found->second,
                                          sources.quality));
    }
    for (const Film& film : films(c)) {
        if (!sources.only.empty() &&
            std::find(sources.only.begin(), sources.only.end(), film.path) == sources.only.end())
            continue;
        std::vector<uint8_t> bytes;
        if (!encode(film, bytes, error)) {
            error = film.path + ": " + error;
            return false;
        }
        out.add(film.path, std::move(bytes));
    }
    return true;
}
