// A saved game loaded over a running game: the reader of both formats and every value the file
// gives brought into range before the scene is rebuilt from it (in a folder without game data).
#include <memory>

#include "app/game.h"
#include "app/save_load.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::unique_ptr<Game> game = [] {
        auto g = std::make_unique<Game>();
        g->config.hardware_acceleration = 0;
        g->story.current_scene = 4;
        return g;
    }();
    load_game_data(*game, std::span(data, size));
    return 0;
}
