// All state of the game, gathered in one object that the program entry owns and passes down.
// Each member is the state of one subsystem.
#pragma once

#include "app/app_main.h"
#include "app/config.h"
#include "app/cursor.h"
#include "app/display_device.h"
#include "app/frame_state.h"
#include "app/input.h"
#include "app/interface_assets.h"
#include "app/menu.h"
#include "app/random.h"
#include "app/save_load.h"
#include "app/toolbar.h"
#include "audio/music.h"
#include "audio/sound.h"
#include "audio/video.h"
#include "render/actor.h"
#include "render/effects.h"
#include "render/hot_air.h"
#include "render/render_state.h"
#include "resources/hardware_texture.h"
#include "resources/material.h"
#include "resources/picture.h"
#include "resources/scene_background.h"
#include "resources/scene_description.h"
#include "resources/spoken_lines.h"
#include "scenes/puzzle.h"
#include "scenes/scene_effects.h"
#include "scenes/scene_logic.h"
#include "scenes/scene_records.h"
#include "scenes/story_state.h"

struct Game {
    GameConfig config;
    AppState app;
    InputState input;
    DisplayDevice display;
    StoryState story;
    Random random;
    SceneBuffers scene_buffers;
    SceneCamera camera;
    Lighting lighting;
    FireTable fires{};
    EffectTables effects;
    HotAirState hot_air;
    FireFrames fire_frames;
    MaterialTable materials;
    TextState text;
    SoundState sound;
    MusicState music;
    VideoState video;
    MenuState menu;
    ActorState actors; // the 16 character slots and what their update shares
    FrameState frame;
    CursorState cursor;
    ToolbarState toolbar;
    SaveState saves;
    InterfaceAssets ui;
    SceneRecords records;
    SceneLogicState logic;
    SceneEmitters emitters;
    PuzzleState puzzle;
    DrawState draw;
    HardwareTextures textures;
};
