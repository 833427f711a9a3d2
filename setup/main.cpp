// The setup program, on the real window system.
#include "app/game.h"
#include "setup/setup_main.h"

int main() {
    static Game game;
    return setup_main(game);
}
