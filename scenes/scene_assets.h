// Loader operations the scene branches share: character textures on either drawing path, the
// scene's sound slots, the hero's footsteps, and the end of every asset branch.
#pragma once

#include <cstdint>

struct Game;
struct Actor;
struct Vec3;

// Texture entry `entry` from "textures/128x128/NAME.bmp" on the 3D device, else the full-size
// "textures/NAME.bmp" into the software texture of the same number. Character materials cull
// clockwise faces, which the models wind on their inside.
void load_scene_texture(Game& game, int entry, const char* name);

// Stop every sound slot that holds a sound.
void stop_scene_sounds(Game& game);
// Load a wave file into a scene sound slot (0..51).
void load_scene_sound(Game& game, int slot, const char* path);
// Start an ambient loop at a base volume.
void start_ambient_loop(Game& game, int slot, int32_t base_volume);

// The hero's eleven footstep events (slot 0 and 1 sounds at the frames where a foot lands) for
// the current hero.
void set_hero_footsteps(Game& game);
// One animation sound event of an actor slot: `sound` plays when the actor's frame reaches
// `frame`.
void set_anim_sound_event(Game& game, int actor, int event, float frame, int32_t sound);

// A fog volume into the first free of the scene's 16 (none free: nothing happens). The centre is
// in world units; colour 0x00RRGGBB.
void add_fog_volume(Game& game, const Vec3& centre, float radius, float density, uint32_t colour,
                    float factor);
// Once the scene's fog volumes are written: their centres and the camera's eye into camera
// space, where the per-vertex fog test runs for the rest of the scene.
void prepare_scene_fog(Game& game);
// How far the stencil shadow volumes reach (0.25 unless the scene sets it).
void set_shadow_extrusion(Game& game, float extrusion);

// Place an actor, resting and not walking.
void place_actor(Actor& a, const Vec3& position, float heading);

// What every asset branch does last: nothing pending, no timed animation, no close-up, and the
// light the stencil shadows are cast from.
void finish_scene_assets(Game& game, const Vec3& shadow_light);
