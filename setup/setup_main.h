// The setup program: the options dialog alone, which writes the settings file the game reads.
#pragma once

#include "app/config.h"

// Read the settings (or take the defaults), show the dialog, write them with clean-exit word 1.
// `clean_exit_written` is the clean-exit word of the last file written (left as it is when the
// file cannot be written).
int setup_main(GameConfig& config, int32_t& clean_exit_written);

// Create the hidden owner window and run the dialog; returns 0.
int create_setup_window(GameConfig& config);
