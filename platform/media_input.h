// A media file's bytes handed to libavformat through its custom I/O: a game file (the loose-first
// lookup of files.h) or a block of memory, and the container opened over them. The music reader
// and the film decoder share it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string_view>

extern "C" {
struct AVIOContext;
struct AVFormatContext;
}

struct MediaSource {
    FILE* file = nullptr; // owned once opened
    std::span<const uint8_t> memory;
    int64_t size = 0;
    int64_t position = 0; // memory only
};

// A regular file by game path; false (and nothing open) for a missing file or a folder.
bool media_source_open_file(std::string_view path, MediaSource& source);
MediaSource media_source_memory(std::span<const uint8_t> bytes);
void media_source_close(MediaSource& source);
// The seek that libavformat is given: SEEK_SET, SEEK_CUR, SEEK_END, or AVSEEK_SIZE for the size.
int64_t media_source_seek(MediaSource& source, int64_t offset, int whence);

// The container over the source, read from where it stands: false when it cannot be opened (what
// was made is left for media_container_close). `probe_bytes` 0 keeps libavformat's own probe.
bool media_container_open(MediaSource& source, int64_t probe_bytes, AVIOContext*& io,
                          AVFormatContext*& format);
void media_container_close(AVIOContext*& io, AVFormatContext*& format);
