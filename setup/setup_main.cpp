#include "setup/setup_main.h"

#include "app/game.h"
#include "app/options_dialog.h"

int create_setup_window(Game& game) {
    sys_create_window("Vantor");
    // Unlike the game, the setup program shows the dialog whatever the last exit was.
    show_options_dialog(game.config, DialogLanguage::french);
    return 0;
}

int setup_main(Game& game) {
    game.app.text_language = 0;
    game.config.gamma_level = 255; // a missing file is recreated with the game's own default
    read_config(game.config);
    store_config(game, 0);
    if (create_setup_window(game) == 0) store_config(game, 1);
    return 0;
}
