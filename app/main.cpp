// The game program. The platform backend is chosen by what this file is linked with.
#include "app/game.h"

int main() {
    static Game game;
    random_seed(game.random, sys_milliseconds());
    return app_main(game);
}
