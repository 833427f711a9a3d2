// Opening an asset by its game path: the loose file below the working directory first, and only
// when that cannot be opened, the entry of the same name in its directory's archive.
//
// The game kept the found entry's offset and size in shared variables that loaders read right
// after the open; here they travel with the opened asset instead.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string_view>
#include <vector>

struct AssetStream {
    FILE* file = nullptr;      // positioned at the asset's first byte; null when not found
    uint64_t read_size = 0;    // what the loader reads: its loose maximum, or the entry size
    uint32_t entry_offset = 0; // archive only: where the asset starts in the archive (else 0)
    uint32_t entry_size = 0;
    bool from_archive = false;

    explicit operator bool() const { return file != nullptr; }
};

// The archive entry of `path`, opened as a buffered stream positioned at its data. Fails for a
// path without '/', a missing archive or a missing entry.
AssetStream open_archived_stream(std::string_view path);

// The loose-first rule: the loose file with `mode` (its read size is `loose_max`), else the
// archived stream (its read size is the entry size).
AssetStream open_asset_stream(std::string_view path, const char* mode, uint64_t loose_max);
void close_asset(AssetStream& asset);

// Read an asset whole: at most `max_size` bytes of a loose file or of an archive entry (a larger
// asset is cut at the loader's buffer size, never read past it). False when it is not found.
bool read_asset(std::string_view path, size_t max_size, std::vector<uint8_t>& out);

// An archived asset as a low-level descriptor positioned at its data, for readers that want
// file-descriptor access (the TIFF reader). descriptor is -1 when not found.
struct ArchivedDescriptor {
    int descriptor = -1;
    uint32_t entry_offset = 0;
    uint32_t entry_size = 0;
};
ArchivedDescriptor open_archived_descriptor(std::string_view path);
