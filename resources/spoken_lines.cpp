#include "resources/spoken_lines.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "app/game.h"
#include "resources/text_table.h"

namespace {

std::optional<std::u16string> table_line(const std::string& path, int n,
                                         size_t limit = k_table_line_limit) {
    std::vector<char16_t> units;
    if (!read_text_table(path, units)) return std::nullopt;
    return find_table_line(units, n, limit);
}

// Copy a found text (ending with CR) into a buffer of `capacity` units, keeping room for what the
// caller appends; a text too long is cut and keeps its CR. Returns the units copied.
size_t copy_text(const std::u16string& text, char16_t* out, size_t capacity) {
    const size_t n = std::min(text.size(), capacity);
    std::copy_n(text.begin(), n, out);
    if (n < text.size() && n > 0) out[n - 1] = u'\r';
    return n;
}

// The subtitle and caption texts are followed by CR, LF and NUL.
size_t copy_with_line_end(const std::u16string& text, std::array<char16_t, k_subtitle_units>& out) {
    const size_t n = copy_text(text, out.data(), out.size() - 3);
    out[n] = u'\r';
    out[n + 1] = u'\n';
    out[n + 2] = 0;
    return n;
}

void show_subtitle(Game& game, const std::u16string& text) {
    TextState& t = game.text;
    t.subtitle_length = static_cast<int32_t>(copy_with_line_end(text, t.subtitle_text));
    t.speech_countdown = std::max(t.subtitle_length, 50);
    game.frame.LeftKey = 1;
}

std::string numbered(const char* format, int n) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, n);
    return buf;
}

} // namespace

std::string dialogue_table_path(int hero, int text_language) {
    if (hero == 0) return text_language == 0 ? "data/dialog.txt" : "data/dialeng.txt";
    return text_language == 0 ? "data/dialogb.txt" : "data/dialbeng.txt";
}

std::string refusal_table_path(int hero, int text_language) {
    if (hero == 0) return text_language == 0 ? "data/otboy.txt" : "data/otboyeng.txt";
    return text_language == 0 ? "data/otboyb.txt" : "data/otboyengb.txt";
}

std::string zone_table_path(int text_language) {
    return text_language == 0 ? "data/zones.txt" : "data/zoneseng.txt";
}

std::string tool_table_path(int text_language) {
    return text_language == 0 ? "data/tools.txt" : "data/toolseng.txt";
}

std::string dialogue_voice_path(int hero, int n) {
    return numbered(hero == 0 ? "sound/dialog/dial%4.4d.wav" : "sound/dialogb/dial%4.4d.wav", n);
}

std::string refusal_voice_path(int hero, int n) {
    return numbered(hero == 0 ? "sound/totb/%3.3d.wav" : "sound/botb/%3.3d.wav", n);
}

void say_line(Game& game, int n) {
    const int hero = game.story.hero;
    load_sound(game.sound, dialogue_voice_path(hero, n), k_voice_slot);
    play_voice(game.sound, k_voice_slot, 0, 0, 0);
    const auto text = table_line(dialogue_table_path(hero, game.app.text_language), n);
    if (text) show_subtitle(game, *text);
}

void say_refusal(Game& game, int n) {
    const int hero = game.story.hero;
    load_sound(game.sound, refusal_voice_path(hero, n), k_voice_slot);
    play_sound(game.sound, k_voice_slot, 0, 0, 0);
    std::vector<char16_t> units;
    if (!read_text_table(refusal_table_path(hero, game.app.text_language), units)) return;
    if (const auto text = find_table_line(units, n))
        show_subtitle(game, *text);
    else
        game.frame.LeftKey = 1;
}

void say_random_line(Game& game, int base, int span) {
    int candidate = base;
    if (span >= 1) {
        // r * span / 32767 reaches span only for r = 32767; the loop ends because the random
        // source runs through every value.
        do {
            const int r = random_next(game.random);
            candidate = base + static_cast<int>(static_cast<double>(r) * span / 32767.0);
        } while (candidate == game.text.last_random_line);
    }
    game.text.last_random_line = candidate;
    say_line(game, candidate);
}

void load_zone_caption(Game& game, int n) {
    const auto text = table_line(zone_table_path(game.app.text_language), n);
    if (!text) return;
    TextState& t = game.text;
    const size_t copied = copy_with_line_end(*text, t.caption_text);
    t.caption_length = static_cast<int32_t>(copied - 1);
}

bool load_tool_name(Game& game, int n, ToolName& name) {
    const auto text =
        table_line(tool_table_path(game.app.text_language), n, k_tool_table_line_limit);
    if (!text) return false;
    copy_text(*text, name.data(), name.size());
    return true;
}

void speech_step(Game& game) {
    TextState& t = game.text;
    if (!slot_has_buffer(game.sound, k_voice_slot)) {
        --t.speech_countdown;
        return;
    }
    if (!sound_playing(game.sound, k_voice_slot)) {
        t.speech_countdown = 0;
    } else if (t.subtitle_length == 0) {
        stop_sound(game.sound, k_voice_slot);
        t.speech_countdown = 0;
    }
}

void stop_voice(Game& game) {
    if (slot_has_buffer(game.sound, k_voice_slot)) stop_sound(game.sound, k_voice_slot);
    game.text.speech_countdown = 0;
}
