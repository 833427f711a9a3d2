// Files relative to the working directory, which holds the game data and "saves/".
//
// The game's own paths may use '\' as separator (save names, some asset names): it is mapped to
// '/' when a file is opened. Names inside archives are compared as stored, not through here.
//
// The game's data was made on a file system that ignores letter case, and its paths do not always
// match the case of the files (a mod may ship "Data/Zones.TXT" for "data/zones.txt"). Opening
// an existing file for reading therefore looks for each folder and the file by a comparison that
// ignores ASCII case when the exact name is missing. A folder never counts as a file.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>
#include <vector>

std::string native_path(std::string_view game_path);

// The native path of the existing file (not a folder) that `game_path` names: the exact name when
// there is one, else a path that differs from it only in ASCII case. Along the way each folder
// and the file are tried exact name first, then their other spellings in byte order. Empty when
// there is no such file.
std::string find_file(std::string_view game_path);

// A mode starting with 'r' opens the file find_file names (null when there is none); other
// modes create or write the exact path.
FILE* file_open(std::string_view game_path, const char* mode);
bool file_exists(std::string_view game_path);

// Read a whole file of at most `max_size` bytes. False when it cannot be opened or read, or when
// it is larger (nothing is read then): no file makes the reader allocate more than its caller
// allows.
bool file_read_all(std::string_view game_path, size_t max_size, std::vector<uint8_t>& out);

// Write a whole file so that it is either replaced completely or left as it was: the bytes go to
// a temporary file in the same folder, which is then renamed into place. Nothing is written when
// the folder does not exist or the existing file is read-only.
bool file_write_atomic(std::string_view game_path, std::span<const uint8_t> bytes);

// Names (without folder) of the files in `folder` whose names end with `suffix`, compared
// without regard to letter case, sorted by name.
std::vector<std::string> file_search(std::string_view folder, std::string_view suffix);
