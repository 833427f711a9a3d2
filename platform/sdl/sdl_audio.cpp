// The SDL sound device. SDL's audio thread asks for a block of 512 frames (11.6 ms) at a time
// and gets it straight from the mixer, which takes up what the game thread asked for at the
// start of each block: a play call is heard after at most one block plus the device's own
// buffer. The two threads share only the mixer's atomics, so neither waits for the other, and
// the sound goes on while the game thread is busy (a scene load, say). Nothing of the game runs
// on the audio thread.
#include <SDL.h>

#include <memory>

#include "platform/mixer.h"
#include "platform/system.h"

namespace {

constexpr Uint16 k_block_frames = 512;

struct SdlAudio {
    SDL_AudioDeviceID device = 0;
    std::unique_ptr<Mixer> mixer;

    // A program that ends without closing the device (the quit message skips the shutdown)
    // must stop the audio thread before the mixer it reads goes.
    ~SdlAudio() {
        if (device != 0) SDL_CloseAudioDevice(device);
    }
};

SdlAudio& sdl_audio() {
    static SdlAudio a;
    return a;
}

void SDLCALL fill_block(void* userdata, Uint8* stream, int len) {
    auto* mixer = static_cast<Mixer*>(userdata);
    mixer_render(*mixer, reinterpret_cast<int16_t*>(stream), static_cast<size_t>(len) / 4);
}

} // namespace

Mixer* sys_sound_open() {
    SdlAudio& a = sdl_audio();
    if (a.mixer) return a.mixer.get();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return nullptr;
    auto mixer = mixer_create();
    SDL_AudioSpec want{};
    want.freq = k_mixer_rate;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = k_block_frames;
    want.callback = fill_block;
    want.userdata = mixer.get();
    SDL_AudioSpec have{};
    // No changes allowed: SDL converts to whatever the device really plays.
    a.device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (a.device == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return nullptr;
    }
    a.mixer = std::move(mixer);
    SDL_PauseAudioDevice(a.device, 0);
    return a.mixer.get();
}

void sys_sound_close() {
    SdlAudio& a = sdl_audio();
    if (a.device == 0) return;
    SDL_CloseAudioDevice(a.device); // the audio thread has ended when this returns
    a.device = 0;
    a.mixer.reset();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}
