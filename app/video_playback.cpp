#include "app/video_playback.h"

#include "app/game.h"
#include "audio/video.h"

namespace {

VideoHost video_host(Game& game) {
    const GameConfig& c = game.config;
    VideoHost host{.video_enabled = c.video_enabled != 0,
                   .hardware = c.hardware_acceleration != 0 && game.display.device != nullptr,
                   .music_enabled = c.music_enabled != 0,
                   .Minigame = game.app.Minigame,
                   .INTRO = game.menu.INTRO,
                   .skip_requested = game.input.skip_requested,
                   .sound = game.sound,
                   .music = game.music,
                   .display = game.display.display,
                   .back_buffer = game.display.back_buffer,
                   .pass_lock = &game.frame.locked_bits};
    return host;
}

} // namespace

void play_video(Game& game, std::string_view path) {
    VideoHost host = video_host(game);
    const bool was_locked = game.frame.locked_bits != nullptr;
    play_video(game.video, host, path);
    if (was_locked && game.frame.locked_bits == nullptr) game.frame.locked_pitch = 0;
}

void video_step(Game& game) {
    VideoHost host = video_host(game);
    video_step(game.video, host);
}

void stop_video(Game& game) {
    VideoHost host = video_host(game);
    stop_video(game.video, host);
}
