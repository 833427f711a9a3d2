#include "platform/media_input.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavformat/avformat.h>
}

#include "platform/files.h"

namespace {

constexpr int k_io_buffer_bytes = 32 * 1024;

int read_source(void* opaque, uint8_t* buf, int size) {
    MediaSource& s = *static_cast<MediaSource*>(opaque);
    if (size <= 0) return AVERROR_EOF;
    size_t n = 0;
    if (s.file) {
        n = std::fread(buf, 1, size_t(size), s.file);
    } else if (s.position < s.size) {
        n = size_t(std::min<int64_t>(size, s.size - s.position));
        std::memcpy(buf, s.memory.data() + s.position, n);
        s.position += int64_t(n);
    }
    return n == 0 ? AVERROR_EOF : int(n);
}

int64_t seek_source(void* opaque, int64_t offset, int whence) {
    return media_source_seek(*static_cast<MediaSource*>(opaque), offset, whence);
}

} // namespace

bool media_source_open_file(std::string_view path, MediaSource& source) {
    FILE* file = file_open(path, "rb");
    if (!file) return false;
    struct stat st;
    if (fstat(fileno(file), &st) != 0 || !S_ISREG(st.st_mode)) {
        std::fclose(file);
        return false;
    }
    source = {};
    source.file = file;
    source.size = int64_t(st.st_size);
    return true;
}

MediaSource media_source_memory(std::span<const uint8_t> bytes) {
    MediaSource s;
    s.memory = bytes;
    s.size = int64_t(bytes.size());
    return s;
}

void media_source_close(MediaSource& source) {
    if (source.file) std::fclose(source.file);
    source.file = nullptr;
}

int64_t media_source_seek(MediaSource& s, int64_t offset, int whence) {
    whence &= ~AVSEEK_FORCE;
    if (whence == AVSEEK_SIZE) return s.size;
    int64_t base = 0;
    if (whence == SEEK_CUR)
        base = s.file ? int64_t(ftello(s.file)) : s.position;
    else if (whence == SEEK_END)
        base = s.size;
    else if (whence != SEEK_SET)
        return -1;
    if (offset > INT64_MAX - base) return -1;
    const int64_t target = base + offset;
    if (target < 0) return -1;
    if (s.file) return fseeko(s.file, off_t(target), SEEK_SET) == 0 ? target : -1;
    s.position = target;
    return target;
}

bool media_container_open(MediaSource& source, int64_t probe_bytes, AVIOContext*& io,
                          AVFormatContext*& format) {
    // A damaged file is the game's business, not something to print on the console.
    static const bool quiet = [] {
        av_log_set_level(AV_LOG_QUIET);
        return true;
    }();
    (void)quiet;
    auto* buffer = static_cast<uint8_t*>(av_malloc(k_io_buffer_bytes));
    if (!buffer) return false;
    io = avio_alloc_context(buffer, k_io_buffer_bytes, 0, &source, read_source, nullptr,
                            seek_source);
    if (!io) {
        av_free(buffer);
        return false;
    }
    format = avformat_alloc_context();
    if (!format) return false;
    format->pb = io;
    format->flags |= AVFMT_FLAG_CUSTOM_IO;
    if (probe_bytes > 0) format->probesize = probe_bytes;
    if (avformat_open_input(&format, nullptr, nullptr, nullptr) < 0) return false;
    return avformat_find_stream_info(format, nullptr) >= 0;
}

void media_container_close(AVIOContext*& io, AVFormatContext*& format) {
    avformat_close_input(&format);
    if (io) av_freep(&io->buffer);
    avio_context_free(&io);
}
