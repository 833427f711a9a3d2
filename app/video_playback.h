// The game's films through the player of audio/video.h, with what a film touches taken from the
// game: the settings, the frame mode, the skip key, the sound and the display.
#pragma once

#include <string_view>

struct Game;

void play_video(Game& game, std::string_view path);
void video_step(Game& game);
void stop_video(Game& game);
