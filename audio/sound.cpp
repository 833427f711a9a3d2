#include "audio/sound.h"

int32_t effective_volume(int32_t base_volume, int32_t level) {
    const int32_t v = base_volume + (level - 4) * 500;
    return v < k_silence ? k_silence : v;
}

bool slot_has_buffer(const SoundState& sound, int slot) {
    return sound.sound_available && slot >= 0 && slot < k_sound_slot_count &&
           sound.slots[slot].buffer != nullptr;
}

// No mixer is connected yet, so no slot can hold a buffer: every machine behaves as one without
// a sound device, on which loading and playing end at once and nothing is ever playing.

void load_sound(SoundState&, std::string_view, int) {}

void play_sound(SoundState&, int, int32_t, int32_t, int32_t) {}

void play_voice(SoundState&, int, int32_t, int32_t, int32_t) {}

void play_interface_sound(SoundState&, int, int32_t, int32_t, int32_t) {}

void stop_sound(SoundState&, int) {}

bool sound_playing(const SoundState&, int) {
    return false;
}
