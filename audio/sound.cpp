#include "audio/sound.h"

#include <algorithm>
#include <climits>
#include <vector>

#include "audio/wave_sound.h"
#include "platform/mixer.h"
#include "platform/system.h"
#include "resources/asset_file.h"

namespace {

// More than any sound effect or spoken line needs; a larger file is read only this far.
constexpr size_t k_max_sound_file_bytes = size_t{64} << 20;
constexpr int32_t k_loop_flag = 1;

bool valid_slot(int slot) {
    return slot >= 0 && slot < k_sound_slot_count;
}

void set_buffer_volume(SoundState& sound, int slot, int32_t volume) {
    sound.volume[size_t(slot)] = volume;
    mixer_set_volume(*sound.mixer, sound.slots[size_t(slot)].buffer, volume);
}

void release_slot(SoundState& sound, int slot) {
    SoundSlot& s = sound.slots[size_t(slot)];
    if (s.buffer < 0) return;
    mixer_stop(*sound.mixer, s.buffer);
    mixer_release_buffer(*sound.mixer, s.buffer);
    s.buffer = -1;
}

// The effective volume and the pan, then the start: from the beginning when `from_start` or
// when the slot is playing, else from where it stopped.
void start_slot(SoundState& sound, int slot, int32_t base_volume, int32_t level, int32_t pan,
                int32_t flags, bool from_start) {
    if (!slot_has_buffer(sound, slot)) return;
    Mixer& m = *sound.mixer;
    const int buffer = sound.slots[size_t(slot)].buffer;
    sound.base_volume[size_t(slot)] = base_volume;
    set_buffer_volume(sound, slot, effective_volume(base_volume, level));
    sound.pan[size_t(slot)] = pan;
    mixer_set_pan(m, buffer, pan);
    if (mixer_is_playing(m, buffer)) {
        mixer_stop(m, buffer);
        from_start = true;
    }
    if (from_start) mixer_rewind(m, buffer);
    const bool loop = (flags & k_loop_flag) != 0;
    sound.looping[size_t(slot)] = loop;
    mixer_play(m, buffer, loop);
}

} // namespace

int32_t effective_volume(int32_t base_volume, int32_t level) {
    const int64_t v = int64_t{base_volume} + (int64_t{level} - 4) * 500;
    return v < k_silence ? k_silence : static_cast<int32_t>(std::min<int64_t>(v, INT32_MAX));
}

void start_sound(SoundState& sound, int32_t effects_volume, int32_t speech_volume) {
    if (sound.mixer)
        for (int slot = 0; slot < k_sound_slot_count; ++slot) release_slot(sound, slot);
    sound = SoundState{};
    sound.effects_volume = effects_volume;
    sound.speech_volume = speech_volume;
    sound.mixer = sys_sound_open();
    sound.sound_available = sound.mixer != nullptr;
}

void stop_sound_device(SoundState& sound) {
    if (!sound.mixer) return;
    for (int slot = 0; slot < k_sound_slot_count; ++slot) release_slot(sound, slot);
    sound.mixer = nullptr;
    sound.sound_available = false;
    sys_sound_close();
}

bool slot_has_buffer(const SoundState& sound, int slot) {
    return sound.sound_available && valid_slot(slot) && sound.slots[size_t(slot)].buffer >= 0;
}

void load_sound(SoundState& sound, std::string_view path, int slot) {
    if (!sound.sound_available || !valid_slot(slot)) return;
    SoundSlot& s = sound.slots[size_t(slot)];
    s.loaded = 1;
    release_slot(sound, slot);
    std::vector<uint8_t> file;
    std::vector<int16_t> stereo;
    if (!read_asset(path, k_max_sound_file_bytes, file) || !decode_wave_sound(file, stereo)) return;
    s.buffer = mixer_create_buffer(*sound.mixer, std::move(stereo));
    sound.volume[size_t(slot)] = 0;
    sound.pan[size_t(slot)] = 0;
    sound.looping[size_t(slot)] = false;
}

void play_sound(SoundState& sound, int slot, int32_t base_volume, int32_t pan, int32_t flags) {
    start_slot(sound, slot, base_volume, sound.effects_volume, pan, flags, false);
}

void play_voice(SoundState& sound, int slot, int32_t base_volume, int32_t pan, int32_t flags) {
    start_slot(sound, slot, base_volume, sound.speech_volume, pan, flags, false);
}

void play_interface_sound(SoundState& sound, int slot, int32_t base_volume, int32_t pan,
                          int32_t flags) {
    start_slot(sound, slot, base_volume, sound.effects_volume, pan, flags, true);
}

void stop_sound(SoundState& sound, int slot) {
    if (slot_has_buffer(sound, slot)) mixer_stop(*sound.mixer, sound.slots[size_t(slot)].buffer);
}

bool sound_playing(const SoundState& sound, int slot) {
    return slot_has_buffer(sound, slot) &&
           mixer_is_playing(*sound.mixer, sound.slots[size_t(slot)].buffer);
}

void set_sound_volume(SoundState& sound, int slot, int32_t volume) {
    if (slot_has_buffer(sound, slot)) set_buffer_volume(sound, slot, volume);
}

void mute_all(SoundState& sound) {
    for (int slot = 0; slot < k_sound_slot_count; ++slot) {
        if (!slot_has_buffer(sound, slot)) continue;
        sound.saved_volume[size_t(slot)] = sound.base_volume[size_t(slot)];
        set_buffer_volume(sound, slot, k_silence);
    }
}

void recompute_saved_volumes(SoundState& sound, int32_t effects_volume, int32_t speech_volume) {
    sound.effects_volume = effects_volume;
    sound.speech_volume = speech_volume;
    for (int slot = 0; slot < k_sound_slot_count; ++slot) {
        if (!slot_has_buffer(sound, slot)) continue;
        const int32_t level = slot == k_voice_slot ? speech_volume : effects_volume;
        sound.saved_volume[size_t(slot)] = effective_volume(sound.base_volume[size_t(slot)], level);
    }
}

void restore_all(SoundState& sound) {
    for (int slot = 0; slot < k_sound_slot_count; ++slot)
        if (slot_has_buffer(sound, slot))
            set_buffer_volume(sound, slot, sound.saved_volume[size_t(slot)]);
}
