// The 64 sound slots: scenes use the low slots, 52..62 hold the interface sounds and 63 the voice
// of the current spoken line.
//
// A slot holds a mixer buffer only when a sound device exists (`sound_available`). On a machine
// without one every call below returns at once and the spoken lines run on their countdown; the
// mixer and the wave loader that fill the slots come with the sound device.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

struct SoundBuffer; // a mixer buffer, made by the sound device

inline constexpr int k_sound_slot_count = 64;
inline constexpr int k_voice_slot = 63;
inline constexpr int32_t k_silence = -10000; // hundredths of a decibel

struct SoundSlot {
    int32_t word = 0;   // free for the scene logic
    int32_t loaded = 0; // set by the loader
    SoundBuffer* buffer = nullptr;
};

struct SoundState {
    bool sound_available = false;
    std::array<SoundSlot, k_sound_slot_count> slots{};
    std::array<int32_t, k_sound_slot_count> base_volume{};
    std::array<int32_t, k_sound_slot_count> saved_volume{};
};

// Base volume plus the player's level (0..4): 500 hundredths of a decibel a step below 4, never
// below silence.
int32_t effective_volume(int32_t base_volume, int32_t level);

bool slot_has_buffer(const SoundState& sound, int slot);

// Load a wave file into a slot (loose file, else "sound.res").
void load_sound(SoundState& sound, std::string_view path, int slot);
// Play at the effects level; play_voice at the speech level. Nothing happens for an empty slot.
void play_sound(SoundState& sound, int slot, int32_t base_volume, int32_t pan, int32_t flags);
void play_voice(SoundState& sound, int slot, int32_t base_volume, int32_t pan, int32_t flags);
// As play_sound, but always from the start (the cursors' sounds).
void play_interface_sound(SoundState& sound, int slot, int32_t base_volume, int32_t pan,
                          int32_t flags);
void stop_sound(SoundState& sound, int slot);
bool sound_playing(const SoundState& sound, int slot);
