// The setup program: the options dialog alone, which writes the settings file the game reads.
#pragma once

struct Game;

int setup_main(Game& game);

// Create the hidden owner window and run the dialog; returns 0.
int create_setup_window(Game& game);
