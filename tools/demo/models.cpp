#include "tools/demo/models.h"

#include "resources/bmp.h"
#include "tools/demo/character.h"
#include "tools/demo/creatures.h"
#include "tools/demo/hero_motion.h"

void add_model_texture(DemoOutput& out, const std::string& name, const Canvas& canvas) {
    out.add("textures/128x128/" + name + ".bmp", encode_bmp24(canvas.downsampled(2)));
    out.add("textures/" + name + ".bmp", encode_bmp8(quantize(canvas.picture())));
}

void make_models(DemoOutput& out) {
    const HeroLook tovi = tovi_look(), brask = brask_look();
    const HeroAnimation tovi_anim = tovi_animation(), brask_anim = brask_animation();
    out.add("models/tovi.ani",
            encode_model(hero_model(tovi, tovi_anim.frame_count, hero_track(tovi, tovi_anim))));
    out.add("models/brask.ani",
            encode_model(hero_model(brask, brask_anim.frame_count, hero_track(brask, brask_anim))));

    // The choice models hold the cube from the catch to the throw of their gesture.
    const HeroAnimation choice = choice_animation();
    CubeInHand cube;
    cube.first = k_cube_caught;
    cube.last = k_cube_thrown;
    cube.place = cube_in_hand;
    out.add("models/tovi_choice.ani",
            encode_model(hero_model(tovi, choice.frame_count, hero_track(tovi, choice),
                                    k_choice_turn_tovi, &cube)));
    out.add("models/brask_choice.ani",
            encode_model(hero_model(brask, choice.frame_count, hero_track(brask, choice),
                                    k_choice_turn_brask, &cube)));
    out.add("models/kub_tovi.ani", encode_model(cube_model(k_cube_rests + 1, cube_flight)));

    out.add("models/boar.ani", encode_model(boar_model()));
    out.add("models/fly.ani", encode_model(fly_model()));
    out.add("models/shade.ani", encode_model(shade_model()));

    add_model_texture(out, "tovi", hero_texture(tovi));
    add_model_texture(out, "brask", hero_texture(brask));
    add_model_texture(out, "kub", cube_texture());
    add_model_texture(out, "boar", boar_texture());
}
