// The 64 sound slots: scenes use the low slots, 52..62 hold the interface sounds and 63 the voice
// of the current spoken line.
//
// A slot holds a mixer buffer only while a sound device exists (`sound_available`). On a machine
// without one every call below returns at once and the spoken lines run on their countdown.
//
// Volumes are in hundredths of a decibel (0 full, -10,000 silence). A play call gives a base
// volume; the buffer plays at the effective volume, the base volume plus 500 for each step of
// the player's level (`effects_volume` or, for the voice slot's speech, `speech_volume`) below 4.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

struct Mixer;

inline constexpr int k_sound_slot_count = 64;
inline constexpr int k_voice_slot = 63;
inline constexpr int32_t k_silence = -10000; // hundredths of a decibel

// Slots 52..62: the interface sounds, loaded once at start-up.
inline constexpr int k_sound_talk_cursor = 52;
inline constexpr int k_sound_drop_tool = 53;
inline constexpr int k_sound_take_tool = 54;
inline constexpr int k_sound_toolbar_next = 55;
inline constexpr int k_sound_toolbar_previous = 56;
inline constexpr int k_sound_open_toolbar = 57;
inline constexpr int k_sound_exit_cursor = 58;
inline constexpr int k_sound_use_cursor = 59;
inline constexpr int k_sound_tool_obtained = 60;
inline constexpr int k_sound_look_cursor = 61;
inline constexpr int k_sound_take_cursor = 62;

struct SoundSlot {
    int32_t word = 0;    // free for the scene logic
    int32_t loaded = 0;  // set by the loader, whether the file loaded or not
    int32_t buffer = -1; // the mixer buffer; -1 = empty slot
};

struct SoundState {
    Mixer* mixer = nullptr; // the sound device's mixer, while there is one
    bool sound_available = false;
    std::array<SoundSlot, k_sound_slot_count> slots{};
    std::array<int32_t, k_sound_slot_count> base_volume{};  // last base volume of a play call
    std::array<int32_t, k_sound_slot_count> saved_volume{}; // what restore_all sets
    // What the buffer was last given: its volume, its pan, and the loop flag of its last play.
    std::array<int32_t, k_sound_slot_count> volume{};
    std::array<int32_t, k_sound_slot_count> pan{};
    std::array<bool, k_sound_slot_count> looping{};
    // The player's levels (0..4), as start_sound and recompute_saved_volumes were last given.
    int32_t effects_volume = 4;
    int32_t speech_volume = 4;
};

// Base volume plus the player's level (0..4): 500 hundredths of a decibel a step below 4, never
// below silence.
int32_t effective_volume(int32_t base_volume, int32_t level);

// Open the sound device. Without one `sound_available` stays clear and the game runs silent.
// Every slot starts empty.
void start_sound(SoundState& sound, int32_t effects_volume, int32_t speech_volume);
// Release every buffer and close the device (at exit).
void stop_sound_device(SoundState& sound);

bool slot_has_buffer(const SoundState& sound, int slot);

// Load a wave file into a slot (loose file, else "sound.res"), releasing what the slot held.
// A missing, damaged or unsupported file leaves the slot empty.
void load_sound(SoundState& sound, std::string_view path, int slot);
// Play at the effects level; play_voice at the speech level. A slot that is playing starts
// again from the beginning; one that was stopped goes on where it stopped. flags 1 = loop.
void play_sound(SoundState& sound, int slot, int32_t base_volume, int32_t pan, int32_t flags);
void play_voice(SoundState& sound, int slot, int32_t base_volume, int32_t pan, int32_t flags);
// As play_sound, but always from the start (the cursors' sounds).
void play_interface_sound(SoundState& sound, int slot, int32_t base_volume, int32_t pan,
                          int32_t flags);
// Stop, keeping the position.
void stop_sound(SoundState& sound, int slot);
bool sound_playing(const SoundState& sound, int slot);
// Set a slot's buffer volume as given, without playing it (the base volume stays).
void set_sound_volume(SoundState& sound, int slot, int32_t volume);

// Around the menu and videos: silence every slot, remembering its base volume.
void mute_all(SoundState& sound);
// The volumes restore_all brings back, from the base volumes at these levels (the voice slot at
// the speech level). Sets no volume itself.
void recompute_saved_volumes(SoundState& sound, int32_t effects_volume, int32_t speech_volume);
void restore_all(SoundState& sound);
