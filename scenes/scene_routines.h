// The three routines that make a scene: its assets, its characters and its per-pass logic. Each
// scene with content has a file scenes/scene_NNN.cpp giving the three branches; the routines
// dispatch on `current_scene` and do nothing for a scene without an entry or outside 0..86.
#pragma once

struct Game;

struct SceneBranches {
    void (*load_assets)(Game&) = nullptr;
    void (*setup_characters)(Game&) = nullptr;
    void (*run_logic)(Game&) = nullptr;
};

// The branches of a scene number, or nullptr.
const SceneBranches* scene_branches(int scene);

void load_scene_assets(Game& game);
void setup_scene_characters(Game& game);
void run_scene_logic(Game& game);
