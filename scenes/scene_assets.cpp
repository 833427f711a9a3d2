#include "scenes/scene_assets.h"

#include <string>

#include "app/game.h"
#include "render/lighting.h"
#include "resources/material.h"

namespace {

// The highest slot a scene loads sounds into; 52..62 are the interface sounds and 63 the voice.
constexpr int k_last_scene_sound_slot = 51;

// Footstep events: slot and frame, for Brask (hero selector 1) and Tovi (0).
struct Footstep {
    int32_t slot;
    float brask_frame, tovi_frame;
};
constexpr Footstep k_footsteps[] = {
    {0, 10, 10},    {0, 817, 854},  {0, 933, 928}, {1, 25, 25},   {1, 830, 867},  {1, 921, 941},
    {0, 778, 2010}, {1, 788, 2020}, {0, 816, 853}, {0, 880, 917}, {0, 909, 1293},
};

bool hardware(const Game& game) {
    return game.config.hardware_acceleration && game.display.device;
}

} // namespace

void load_scene_texture(Game& game, int entry, const char* name) {
    if (entry < 0 || entry >= k_material_count) return;
    game.materials.materials[size_t(entry)].cull_mode = 1;
    if (hardware(game)) {
        const std::string path = std::string("textures/128x128/") + name + ".bmp";
        load_texture_file(game.textures, game.display.device.get(), path.c_str(), entry);
    } else {
        load_software_texture(game.materials, entry, std::string("textures/") + name + ".bmp", 1);
    }
}

void stop_scene_sounds(Game& game) {
    // Every slot that holds a sound, the interface sounds and the voice included: nothing of the
    // previous scene goes on playing into the new one.
    for (int slot = 0; slot < k_sound_slot_count; ++slot)
        if (slot_has_buffer(game.sound, slot)) stop_sound(game.sound, slot);
}

void load_scene_sound(Game& game, int slot, const char* path) {
    if (slot < 0 || slot > k_last_scene_sound_slot) return;
    load_sound(game.sound, path, slot);
}

void start_ambient_loop(Game& game, int slot, int32_t base_volume) {
    play_sound(game.sound, slot, base_volume, 0, 1);
}

void add_fog_volume(Game& game, const Vec3& centre, float radius, float density, uint32_t colour,
                    float factor) {
    for (FogVolume& v : game.draw.fog_volumes) {
        if (v.in_use != 0) continue;
        v = {1, centre, radius, density, colour, factor};
        return;
    }
}

void prepare_scene_fog(Game& game) {
    prepare_fog_volumes(game.draw.fog_volumes, game.camera);
}

void set_shadow_extrusion(Game& game, float extrusion) {
    game.draw.shadows.shadow_extrusion = extrusion;
}

void set_hero_footsteps(Game& game) {
    const bool brask = game.story.hero == 1;
    int event = 0;
    for (const Footstep& f : k_footsteps)
        set_anim_sound_event(game, 0, event++, brask ? f.brask_frame : f.tovi_frame, f.slot);
}

void set_anim_sound_event(Game& game, int actor, int event, float frame, int32_t sound) {
    if (actor < 0 || actor >= k_actor_count || event < 0 || event >= k_sound_events) return;
    game.actors.anim_sound_events[size_t(actor)][size_t(event)] = {frame, sound};
}

void place_actor(Actor& a, const Vec3& position, float heading) {
    a.position = position;
    a.heading = heading;
    a.state = 0;
    a.walking = 0;
}

void finish_scene_assets(Game& game, const Vec3& shadow_light) {
    game.story.EXE = 0;
    game.logic.timed_running = 0;
    close_closeup(game);
    game.draw.shadows.shadow_lights[0] = shadow_light;
}
