#include "tools/demo/models.h"

#include <functional>

#include "resources/bmp.h"
#include "tools/demo/character.h"
#include "tools/demo/creatures.h"
#include "tools/demo/hero_motion.h"

namespace {

std::vector<ModelPartSource> hero(const HeroLook& look, const HeroAnimation& animation) {
    return hero_model(look, animation.frame_count, hero_track(look, animation));
}

// The choice models hold the cube from the catch to the throw of their gesture.
std::vector<ModelPartSource> choice_hero(const HeroLook& look, double turn) {
    const HeroAnimation choice = choice_animation();
    CubeInHand cube;
    cube.first = k_cube_caught;
    cube.last = k_cube_thrown;
    cube.place = cube_in_hand;
    return hero_model(look, choice.frame_count, hero_track(look, choice), turn, &cube);
}

struct ModelRecipe {
    const char* path;
    std::function<std::vector<ModelPartSource>()> parts;
};

const std::vector<ModelRecipe>& recipes() {
    static const std::vector<ModelRecipe> list = {
        {"models/tovi.ani", [] { return hero(tovi_look(), tovi_animation()); }},
        {"models/brask.ani", [] { return hero(brask_look(), brask_animation()); }},
        {"models/tovi_choice.ani", [] { return choice_hero(tovi_look(), k_choice_turn_tovi); }},
        {"models/brask_choice.ani", [] { return choice_hero(brask_look(), k_choice_turn_brask); }},
        {"models/kub_tovi.ani", [] { return cube_model(k_cube_rests + 1, cube_flight); }},
        {"models/boar.ani", boar_model},
        {"models/fly.ani", fly_model},
        {"models/shade.ani", shade_model},
    };
    return list;
}

} // namespace

void add_model_texture(DemoOutput& out, const std::string& name, const Canvas& canvas) {
    out.add("textures/128x128/" + name + ".bmp", encode_bmp24(canvas.downsampled(2)));
    out.add("textures/" + name + ".bmp", encode_bmp8(quantize(canvas.picture())));
}

std::vector<uint8_t> model_file(const std::string& path) {
    for (const ModelRecipe& r : recipes())
        if (path == r.path) return encode_model(r.parts());
    return {};
}

void make_models(DemoOutput& out) {
    for (const ModelRecipe& r : recipes()) out.add(r.path, encode_model(r.parts()));
    make_model_textures(out);
}

void make_model_textures(DemoOutput& out) {
    add_model_texture(out, "tovi", hero_texture(tovi_look()));
    add_model_texture(out, "brask", hero_texture(brask_look()));
    add_model_texture(out, "kub", cube_texture());
    add_model_texture(out, "boar", boar_texture());
}
