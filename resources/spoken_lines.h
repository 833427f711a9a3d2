// Spoken lines with subtitles, exit captions and tool names, all taken from the text tables.
//
// A spoken line is a voice in sound slot 63 plus the same line as subtitle text. It runs until
// the voice ends, or, without sound, until `speech_countdown` (set to the line's length but at
// least 50 passes) runs out.
#pragma once

#include <array>
#include <cstdint>
#include <string>

struct Game;

// Code units of the subtitle and caption buffers (the subtitle is saved with the game in this
// size), and of a tool record's name.
inline constexpr size_t k_subtitle_units = 768;
inline constexpr size_t k_tool_name_units = 64;

struct TextState {
    std::array<char16_t, k_subtitle_units> subtitle_text{}; // ends with CR
    int32_t subtitle_length = 0;   // code units copied, the CR included; 0 = no subtitle
    int32_t speech_countdown = -1; // passes left without sound; -1 = no spoken line
    std::array<char16_t, k_subtitle_units> caption_text{};
    int32_t caption_length = 0; // code units before the CR
    int32_t last_random_line = 0;
};

using ToolName = std::array<char16_t, k_tool_name_units>;

// Table and voice names by hero selector (0 or 1) and text language.
std::string dialogue_table_path(int hero, int text_language);
std::string refusal_table_path(int hero, int text_language);
std::string zone_table_path(int text_language);
std::string tool_table_path(int text_language);
std::string dialogue_voice_path(int hero, int n);
std::string refusal_voice_path(int hero, int n);

// Play dialogue line n of the current hero and show it; the voice plays even when the text is
// missing, and a missing line leaves the subtitle as it was.
void say_line(Game& game, int n);
// A refusal line, at the sound-effects volume; the click latch is set even when no line matched.
void say_refusal(Game& game, int n);
// A line in base .. base + span, never the one chosen last time (span >= 1; a smaller span says
// `base`).
void say_random_line(Game& game, int base, int span);

// Zone name n (a scene number) into the caption; nothing changes when there is none.
void load_zone_caption(Game& game, int n);
// Tool name n with its CR into `name` (cut to 63 characters); false, untouched, when absent.
bool load_tool_name(Game& game, int n, ToolName& name);

// Once per pass while a line runs: with a voice, the line lasts while it plays; without one the
// countdown goes down by one.
void speech_step(Game& game);
void stop_voice(Game& game);
