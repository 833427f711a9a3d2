// Saving and loading games: named saves from the menu, the quick save (F5) and quick load (F6),
// the automatic save at every scene change and its load (F7), the menu's preview thumbnails and
// the typed save name.
#pragma once

#include <cstdint>
#include <span>
#include <string>

struct Game;
struct SaveImage;

inline constexpr const char* k_auto_save_path = "saves/auto.sav";
inline constexpr const char* k_quick_save_path = "saves/quick.sav";
inline constexpr const char* k_save_name_prefix = "saves\\";
inline constexpr size_t k_save_name_limit = 14; // the prefix and at most 8 characters

struct SaveState {
    std::string save_name = k_save_name_prefix; // the save panel's typed name, with the prefix
    int32_t name_entry = 0;                     // the save panel takes typed characters
    int32_t preview_valid = 0;                  // the thumbnail surface holds a save's picture
};

// Write the game to a file, its thumbnail from `screen_copy`; nothing when the file cannot be
// written (it is written whole or not at all).
void save_game(Game& game, const std::string& path);
// Read a game back and rebuild its scene; nothing changes when the file cannot be read or names
// no scene.
void load_game(Game& game, const std::string& path);
// The same from a file's bytes (at most one save's worth is looked at).
void load_game_data(Game& game, std::span<const uint8_t> bytes);

// The automatic save after a scene change (thumbnail: the scene picture without characters) and
// the quick save (thumbnail: the frame on screen); neither while a video plays.
void auto_save(Game& game);
void quick_save(Game& game);
// F6 and F7: load the quick or the automatic save, unless a video plays.
void quick_load(Game& game);
void load_auto_save(Game& game);

// A save's thumbnail into the menu's thumbnail surface; `preview_valid` tells whether it worked.
void read_preview(Game& game, const std::string& path);

// A typed character for the save panel's name: Backspace, Enter (saves when a game runs and no
// video plays) or a character of the name.
void edit_save_name(Game& game, uint32_t code);
// The character messages reach the name only while its entry is on.
void save_name_character(Game& game, uint32_t code);

// The state a save of the game holds now; and the thumbnail of a screen surface as a save stores
// it (4x4 averages).
void capture_save_image(const Game& game, SaveImage& image);
