// A music file read from disk a piece at a time and decoded into the mixer's format (44.1 kHz
// stereo 16-bit), so a track of any length costs only what is queued of it. libavformat reads
// the container, so besides the PCM wave files of the game any format it knows will do.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

struct MusicReader;
struct MusicReaderClose {
    void operator()(MusicReader* reader) const;
};
using MusicReaderPtr = std::unique_ptr<MusicReader, MusicReaderClose>;

// A loose file by game path. Null when it cannot be opened or holds no sound the reader can
// decode (no audio stream, no channels, a sample rate outside 1,000..384,000).
MusicReaderPtr music_reader_open(std::string_view path);
// The same over bytes in memory, which must outlive the reader.
MusicReaderPtr music_reader_open_memory(std::span<const uint8_t> bytes);

// The length the file announces, in mixer frames; 0 when it announces none. The file may end
// earlier (or hold more, which is not read).
uint64_t music_reader_length(const MusicReader& reader);

// Up to `frames` frames into `out` (interleaved stereo). Fewer only at the end of the file or at
// damaged data, which ends it; 0 once it has ended.
size_t music_reader_read(MusicReader& reader, int16_t* out, size_t frames);

// Back to the first frame. False when the file cannot be read again (the reader then stays at
// its end).
bool music_reader_rewind(MusicReader& reader);
