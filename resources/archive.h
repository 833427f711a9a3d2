// Resource archives: one file per top-level asset directory ("data.res", "gfx.res", ...).
//
// Layout (little-endian): a 32-bit entry count, then that many 136-byte entries (a 128-byte
// NUL-terminated name, the 32-bit absolute offset of the data, its 32-bit size), then the data
// anywhere after the table, each entry a byte-for-byte copy of the loose file.
//
// A lookup reads the table from the start every time, compares names without regard to ASCII
// letter case over their whole length ('/' and '\' stay different), and takes the first match.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>
#include <vector>

inline constexpr size_t k_archive_entry_bytes = 136;
inline constexpr size_t k_archive_name_bytes = 128;

struct ArchiveEntry {
    std::string name;
    uint32_t offset = 0;
    uint32_t size = 0;
};

// The archive that holds `path`: the path up to its first '/' plus ".res" ("gfx/scr_001/a.bmp"
// gives "gfx.res"). Empty when the path has no '/' and so no archive.
std::string archive_name_for(std::string_view path);

// Does a 128-byte table name equal `path`? Names without a NUL inside their field never match.
bool archive_name_matches(const uint8_t* field, std::string_view path);

// Look `path` up in an archive open at its start (buffered stream or descriptor form). On a match
// stores the entry's offset and size and returns true. An entry whose data does not lie inside
// the archive file counts as absent; a table shorter than its count ends the scan as not found.
bool archive_find_entry(FILE* archive, std::string_view path, uint32_t& offset, uint32_t& size);
bool archive_find_entry(int descriptor, std::string_view path, uint32_t& offset, uint32_t& size);

// The table in file order, for listing. Reads at most the entries the file holds; false when the
// count word is missing.
bool read_archive_table(FILE* archive, std::vector<ArchiveEntry>& entries);

// One asset to pack: its full name as the game asks for it, and its bytes.
struct ArchiveFile {
    std::string name;
    std::vector<uint8_t> data;
};

// The archive of `files`, in the given order, data right after the table. False (out untouched)
// when a name does not fit its field or the archive would not fit 32-bit offsets.
bool encode_archive(std::span<const ArchiveFile> files, std::vector<uint8_t>& out);
