// Files relative to the working directory, which holds the game data and "saves/".
//
// The game's own paths may use '\' as separator (save names, some asset names): it is mapped to
// '/' when a file is opened. Names inside archives are compared as stored, not through here.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>
#include <vector>

std::string native_path(std::string_view game_path);

FILE* file_open(std::string_view game_path, const char* mode);
bool file_exists(std::string_view game_path);

// Read a whole file; false when it cannot be opened or read.
bool file_read_all(std::string_view game_path, std::vector<uint8_t>& out);

// Write a whole file so that it is either replaced completely or left as it was: the bytes go to
// a temporary file in the same folder, which is then renamed into place. Nothing is written when
// the folder does not exist or the existing file is read-only.
bool file_write_atomic(std::string_view game_path, std::span<const uint8_t> bytes);

// Names (without folder) of the files in `folder` whose names end with `suffix`, compared
// without regard to letter case, sorted by name.
std::vector<std::string> file_search(std::string_view folder, std::string_view suffix);
