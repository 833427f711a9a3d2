// All state of the game, gathered in one object that the program entry owns and passes down.
// Each member is the state of one subsystem.
#pragma once

#include "app/app_main.h"
#include "app/config.h"
#include "app/display_device.h"
#include "app/input.h"
#include "app/random.h"
#include "scenes/story_state.h"

struct Game {
    GameConfig config;
    AppState app;
    InputState input;
    DisplayDevice display;
    StoryState story;
    Random random;
};
