#include "setup/setup_main.h"

#include "app/options_dialog.h"
#include "platform/system.h"

int create_setup_window(GameConfig& config) {
    sys_create_window("Vantor");
    // Unlike the game, the setup program shows the dialog whatever the last exit was.
    show_options_dialog(config, DialogLanguage::french);
    return 0;
}

int setup_main(GameConfig& config, int32_t& clean_exit_written) {
    const auto store = [&](int32_t clean_exit) {
        if (write_config(config, clean_exit)) clean_exit_written = clean_exit;
    };
    config.gamma_level = 255; // a missing file is recreated with the game's own default
    read_config(config);
    store(0);
    if (create_setup_window(config) == 0) store(1);
    return 0;
}
