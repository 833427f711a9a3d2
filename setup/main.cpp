// The setup program, on the real window system.
#include "setup/setup_main.h"

int main() {
    static GameConfig config;
    int32_t clean_exit_written = -1;
    return setup_main(config, clean_exit_written);
}
