#include "audio/video.h"

#include "audio/music.h"
#include "audio/sound.h"
#include "platform/display.h"
#include "platform/system.h"

namespace {

// The film, its surface and its sound go; the sound slots come back. The music resumes at the
// next music step.
void close_video(VideoState& video, VideoHost& host) {
    video.handle.reset();
    video.video_surface.reset();
    restore_all(host.sound);
}

void end_mode(VideoHost& host) {
    host.INTRO = 0;
    host.Minigame = 0;
}

SurfacePtr create_video_surface(Display& display, int width, int height) {
    SurfacePtr s;
    if (display_create_surface(display, {width, height, {}, Memory::anywhere}, s) == Result::ok)
        return s;
    display_create_surface(display, {width, height, {}, Memory::video}, s);
    return s;
}

// The next picture into the film's surface.
void show_next_picture(VideoState& video) {
    VideoDecoder& d = *video.handle;
    video_do_frame(d);
    if (Surface* s = video.video_surface.get()) {
        LockedRect lock;
        if (surface_lock(*s, lock) == Result::ok) {
            video_copy_to_buffer(d, lock.bits, lock.pitch, s->height, video.surface_type);
            surface_unlock(*s);
        }
    }
    video_next_frame(d);
}

} // namespace

void play_video(VideoState& video, VideoHost& host, std::string_view path) {
    if (!host.video_enabled) return end_mode(host);
    host.skip_requested = 0;
    pause_music(host.music, host.music_enabled);
    mute_all(host.sound);
    // The scene logic may start a film inside a software pass that holds the back buffer; the
    // film draws into it from the next pass on.
    if (!host.hardware && !host.INTRO && host.pass_lock && *host.pass_lock && host.back_buffer) {
        surface_unlock(*host.back_buffer);
        *host.pass_lock = nullptr;
    }
    // A film started over another replaces it.
    video.handle.reset();
    video.video_surface.reset();
    video.path = std::string(path);
    Mixer* mixer = host.sound.sound_available ? host.sound.mixer : nullptr;
    video.handle = video_open(path, mixer, sys_milliseconds());
    host.Minigame = 2;
    if (!video.handle) {
        restore_all(host.sound);
        return end_mode(host);
    }
    // Without a surface the mode stays; the film then runs unseen until its end.
    video.video_surface =
        create_video_surface(host.display, video_width(*video.handle), video_height(*video.handle));
    if (video.video_surface) video.surface_type = video.video_surface->format;
}

void video_step(VideoState& video, VideoHost& host) {
    if (!host.video_enabled) return;
    if (!video.handle) return end_mode(host);
    VideoDecoder& d = *video.handle;
    if (video_current_frame(d) + 1 == video_frame_count(d) || host.skip_requested) {
        close_video(video, host);
        return end_mode(host);
    }
    if (!video_wait(d, sys_milliseconds())) show_next_picture(video);
    if (video.video_surface && host.back_buffer)
        surface_copy_stretched(*host.back_buffer, nullptr, *video.video_surface, nullptr, false);
}

void stop_video(VideoState& video, VideoHost& host) {
    if (host.video_enabled && video.handle && host.Minigame == 2) close_video(video, host);
    end_mode(host);
}
