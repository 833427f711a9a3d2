// What the films are drawn with: lettering in the demo's font, soft shapes and fades on 8-bit
// pictures, and scenes of the demo as stages on which the heroes walk, traced with the scene's
// own camera and light, hidden by what stands before them and casting their shadows on it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "resources/model.h"
#include "resources/rgb_picture.h"
#include "tools/demo/character.h"
#include "tools/demo/demo_scene.h"
#include "tools/demo/hero_motion.h"
#include "tools/demo/materials.h"
#include "tools/demo/vec.h"

// Lettering as coverage (0..1) per pixel.
struct TextMask {
    int width = 0, height = 0;
    std::vector<float> coverage;
};

// `text` (UTF-8) in the font at `line_height` pixels; empty when the font cannot be read.
TextMask text_mask(const std::string& font_path, int line_height, const std::string& text);

// Blend `colour` (sRGB 0..1) through a mask at (x, y), times `alpha`; clipped to the picture.
// With `gradient` the colour runs from `colour` at the top of the mask to `gradient_to` at its
// bottom.
void draw_mask(RgbPicture& p, const TextMask& mask, int x, int y, const V3d& colour, double alpha,
               const V3d* gradient_to = nullptr);
// The same, centred on x.
void draw_mask_centred(RgbPicture& p, const TextMask& mask, int centre_x, int y, const V3d& colour,
                       double alpha, const V3d* gradient_to = nullptr);

// A vertical gradient over the whole picture, with fine grain.
void fill_gradient(RgbPicture& p, const V3d& top, const V3d& bottom, uint32_t seed);
// A soft disc of light added to the picture (a glow).
void add_glow(RgbPicture& p, double cx, double cy, double radius, const V3d& colour,
              double strength);
// Multiply the picture by `level` (0 black .. 1 unchanged).
void fade(RgbPicture& p, double level);
// A colour grade: each channel times `tint`, then mixed towards its luminance by `desaturate`.
void grade(RgbPicture& p, const V3d& tint, double desaturate);

// 0..1 smoothly between edge0 and edge1.
double smooth_step(double edge0, double edge1, double x);

// A hero of the demo as the films show him: his model's walking and resting frames, posed, and
// his texture.
struct FilmHero {
    HeroLook look;
    std::vector<ModelPartSource> parts;                 // frames: the walk clip, then the rest clip
    int walk_first = 0, walk_loop = 0, walk_frames = 0; // in `parts`' frames
    int rest_first = 0, rest_frames = 0;
    std::shared_ptr<MaterialPicture> texture; // 256x256, linear, as the tracer reads it

    // The model frame of a walk `t` frames after it started, and of a rest.
    int walking(int t) const;
    int resting(int t) const;
};

FilmHero make_film_hero(const HeroLook& look, const HeroAnimation& animation);

// A hero where the film puts him in a frame.
struct FilmActor {
    const FilmHero* hero = nullptr;
    int frame = 0; // of the hero's `parts`
    V3d position;  // world, on the floor, as the game stores characters
    double heading = 0;
};

struct FilmQuality {
    int shadow_rays = 1, ao_rays = 2, threads = 2;
};

// A scene of the demo as a stage: its traced picture and what every pixel shows.
class FilmStage {
public:
    // Null `scene` (the scene was not made, or without shading): draw() gives an empty picture.
    FilmStage(const GeneratedScene* scene, const FilmQuality& quality);

    bool ready() const { return scene_ != nullptr; }
    const SceneView& view() const { return scene_->view; }
    // The floor point seen at screen point (x, y), from the scene's own pixel information.
    V3d floor_at(int x, int y) const;

    // The stage's picture with the actors in it.
    void draw(const std::vector<FilmActor>& actors, RgbPicture& out) const;

private:
    const GeneratedScene* scene_ = nullptr;
    FilmQuality quality_;
    std::vector<uint8_t> picture_; // the background, tone-mapped
};
