// A music file through the streaming reader: opened, read to its end in pieces, rewound and read
// a little again, as the music player does at a track's loop.
#include <vector>

#include "platform/music_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MusicReaderPtr reader = music_reader_open_memory(std::span(data, size));
    if (!reader) return 0;
    std::vector<int16_t> block(4096 * 2);
    // Bounded, so that a file announcing hours of sound in a few bytes does not take hours.
    for (int i = 0; i < 256 && music_reader_read(*reader, block.data(), 4096) == 4096; ++i) {}
    if (music_reader_rewind(*reader)) music_reader_read(*reader, block.data(), 4096);
    return 0;
}
