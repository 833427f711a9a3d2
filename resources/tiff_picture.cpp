#include "resources/tiff_picture.h"

#include <algorithm>
#include <cstring>
#include <unistd.h>

#include <tiffio.h>

#include "platform/files.h"
#include "resources/asset_file.h"
#include "resources/pixel_convert.h"

namespace {

// libtiff's messages would go to stderr; the game shows none.
int quiet_handler(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

// Options for every open: quiet, and no single allocation larger than a damaged header could
// ask for (a whole 640x480 picture is under 1 MB).
struct TiffOptions {
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    TiffOptions() {
        TIFFOpenOptionsSetMaxSingleMemAlloc(options, 64 << 20);
        TIFFOpenOptionsSetErrorHandlerExtR(options, quiet_handler, nullptr);
        TIFFOpenOptionsSetWarningHandlerExtR(options, quiet_handler, nullptr);
    }
    ~TiffOptions() { TIFFOpenOptionsFree(options); }
    TiffOptions(const TiffOptions&) = delete;
    TiffOptions& operator=(const TiffOptions&) = delete;
};

// An archive entry seen as a file of its own: every position is relative to the entry's start,
// reads stop at its end, and its size is the entry's size, not the archive's.
struct EntryClient {
    int descriptor;
    uint64_t entry_offset;
    uint64_t entry_size;
    uint64_t position = 0;
};

tmsize_t entry_read(thandle_t h, void* buf, tmsize_t size) {
    auto* c = static_cast<EntryClient*>(h);
    if (size <= 0 || c->position >= c->entry_size) return 0;
    const uint64_t n = std::min<uint64_t>(static_cast<uint64_t>(size), c->entry_size - c->position);
    const ssize_t got =
        ::pread(c->descriptor, buf, n, static_cast<off_t>(c->entry_offset + c->position));
    if (got < 0) return -1;
    c->position += static_cast<uint64_t>(got);
    return got;
}

tmsize_t no_write(thandle_t, void*, tmsize_t) {
    return -1;
}

// Honours the origin: an offset from the current position or from the end is taken relative to
// the entry, never to the archive.
toff_t entry_seek(thandle_t h, toff_t offset, int whence) {
    auto* c = static_cast<EntryClient*>(h);
    const auto delta = static_cast<int64_t>(offset);
    int64_t base = 0;
    if (whence == SEEK_CUR) base = static_cast<int64_t>(c->position);
    if (whence == SEEK_END) base = static_cast<int64_t>(c->entry_size);
    if (base + delta < 0) return static_cast<toff_t>(-1);
    c->position = static_cast<uint64_t>(base + delta);
    return c->position;
}

int entry_close(thandle_t) {
    return 0; // the loader closes the descriptor after the reader
}

toff_t entry_size(thandle_t h) {
    return static_cast<EntryClient*>(h)->entry_size;
}

int no_map(thandle_t, void**, toff_t*) {
    return 0;
}

void no_unmap(thandle_t, void*, toff_t) {}

// A TIFF in memory, for decoding a byte buffer and for writing.
struct MemoryClient {
    std::vector<uint8_t> bytes;
    std::span<const uint8_t> input;
    uint64_t position = 0;
    bool writing = false;
    uint64_t size() const { return writing ? bytes.size() : input.size(); }
};

tmsize_t memory_read(thandle_t h, void* buf, tmsize_t size) {
    auto* c = static_cast<MemoryClient*>(h);
    const uint8_t* data = c->writing ? c->bytes.data() : c->input.data();
    if (size <= 0 || c->position >= c->size()) return 0;
    const uint64_t n = std::min<uint64_t>(static_cast<uint64_t>(size), c->size() - c->position);
    std::memcpy(buf, data + c->position, n);
    c->position += n;
    return static_cast<tmsize_t>(n);
}

tmsize_t memory_write(thandle_t h, void* buf, tmsize_t size) {
    auto* c = static_cast<MemoryClient*>(h);
    if (!c->writing || size < 0) return -1;
    const uint64_t end = c->position + static_cast<uint64_t>(size);
    if (end > c->bytes.size()) c->bytes.resize(end);
    std::memcpy(c->bytes.data() + c->position, buf, static_cast<size_t>(size));
    c->position = end;
    return size;
}

toff_t memory_seek(thandle_t h, toff_t offset, int whence) {
    auto* c = static_cast<MemoryClient*>(h);
    const auto delta = static_cast<int64_t>(offset);
    int64_t base = 0;
    if (whence == SEEK_CUR) base = static_cast<int64_t>(c->position);
    if (whence == SEEK_END) base = static_cast<int64_t>(c->size());
    if (base + delta < 0) return static_cast<toff_t>(-1);
    c->position = static_cast<uint64_t>(base + delta);
    return c->position;
}

int memory_close(thandle_t) {
    return 0;
}

toff_t memory_size(thandle_t h) {
    return static_cast<MemoryClient*>(h)->size();
}

// Check the picture's shape and read its rows. The game trusted the header; a picture of another
// size or layout is refused here rather than read past its buffer.
bool read_rows(TIFF* tiff, RgbPicture& picture) {
    uint32_t width = 0, height = 0;
    uint16_t bits = 0, samples = 0, planar = PLANARCONFIG_CONTIG, photometric = 0, compression = 0;
    if (!TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width) ||
        !TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height) ||
        !TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bits) ||
        !TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples))
        return false;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &compression);
    if (width != k_tiff_width || height != k_tiff_height || bits != 8 || samples != 3 ||
        planar != PLANARCONFIG_CONTIG)
        return false;
    // JPEG pictures stored as YCbCr come out as RGB rows only when libtiff converts them.
    if (compression == COMPRESSION_JPEG && photometric == PHOTOMETRIC_YCBCR)
        TIFFSetField(tiff, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
    const size_t row_bytes = static_cast<size_t>(width) * 3;
    if (TIFFScanlineSize64(tiff) != row_bytes) return false;
    std::vector<uint8_t> rows(row_bytes * height);
    for (uint32_t y = 0; y < height; ++y)
        if (TIFFReadScanline(tiff, rows.data() + y * row_bytes, y, 0) < 0) return false;
    picture.width = static_cast<int>(width);
    picture.height = static_cast<int>(height);
    picture.rgb = std::move(rows);
    return true;
}

bool read_archived(std::string_view path, RgbPicture& picture) {
    const ArchivedDescriptor entry = open_archived_descriptor(path);
    if (entry.descriptor < 0) return false;
    EntryClient client{entry.descriptor, entry.entry_offset, entry.entry_size};
    TiffOptions options;
    TIFF* tiff = TIFFClientOpenExt("", "r", &client, entry_read, no_write, entry_seek, entry_close,
                                   entry_size, no_map, no_unmap, options.options);
    bool ok = false;
    if (tiff != nullptr) {
        ok = read_rows(tiff, picture);
        TIFFClose(tiff);
    }
    ::close(entry.descriptor);
    return ok;
}

} // namespace

bool read_tiff_picture(std::string_view path, RgbPicture& picture) {
    // The loose file as the other loaders find it (a folder of that name is none), opened by
    // libtiff under the name it has on disk.
    const std::string loose = find_file(path);
    if (loose.empty()) return read_archived(path, picture);
    TiffOptions options;
    TIFF* tiff = TIFFOpenExt(loose.c_str(), "r", options.options);
    if (tiff == nullptr) return false;
    const bool ok = read_rows(tiff, picture);
    TIFFClose(tiff);
    return ok;
}

bool decode_tiff(std::span<const uint8_t> file, RgbPicture& picture) {
    MemoryClient client;
    client.input = file;
    TiffOptions options;
    TIFF* tiff = TIFFClientOpenExt("", "r", &client, memory_read, memory_write, memory_seek,
                                   memory_close, memory_size, no_map, no_unmap, options.options);
    if (tiff == nullptr) return false;
    const bool ok = read_rows(tiff, picture);
    TIFFClose(tiff);
    return ok;
}

bool load_tiff_rgb32(std::span<uint8_t> destination, std::string_view path) {
    RgbPicture picture;
    if (destination.size() < static_cast<size_t>(k_tiff_width) * k_tiff_height * 4 ||
        !read_tiff_picture(path, picture))
        return false;
    const uint8_t* src = picture.rgb.data();
    uint8_t* dst = destination.data();
    for (size_t i = 0; i < static_cast<size_t>(k_tiff_width) * k_tiff_height;
         ++i, src += 3, dst += 4) {
        dst[0] = src[2];
        dst[1] = src[1];
        dst[2] = src[0];
    }
    return true;
}

bool load_tiff_surface(Surface& surface, int display_bpp, std::string_view path) {
    if (display_bpp != 32 && display_bpp != 16 && display_bpp != 15) return false;
    if (surface.width != k_tiff_width || surface.height != k_tiff_height ||
        bytes_per_pixel(surface.format) != display_pixel_bytes(display_bpp))
        return false;
    RgbPicture picture;
    if (!read_tiff_picture(path, picture)) return false;
    // The converter takes blue, green, red.
    for (size_t i = 0; i < picture.rgb.size(); i += 3)
        std::swap(picture.rgb[i], picture.rgb[i + 2]);
    LockedRect lock;
    if (surface_lock(surface, lock) != Result::ok) return false;
    for (int y = 0; y < k_tiff_height; ++y)
        convert_row(picture.rgb.data() + static_cast<size_t>(y) * k_tiff_width * 3, 3, k_tiff_width,
                    k_tiff_height - y, display_bpp,
                    lock.bits + static_cast<size_t>(y) * lock.pitch);
    surface_unlock(surface);
    return true;
}

bool encode_tiff(const RgbPicture& picture, TiffCompression compression, int jpeg_quality,
                 std::vector<uint8_t>& out) {
    if (picture.width < 1 || picture.height < 1 ||
        picture.rgb.size() < static_cast<size_t>(picture.width) * picture.height * 3)
        return false;
    MemoryClient client;
    client.writing = true;
    TiffOptions options;
    TIFF* tiff = TIFFClientOpenExt("", "w", &client, memory_read, memory_write, memory_seek,
                                   memory_close, memory_size, no_map, no_unmap, options.options);
    if (tiff == nullptr) return false;
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(picture.width));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(picture.height));
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 16);
    if (compression == TiffCompression::jpeg) {
        TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_JPEG);
        TIFFSetField(tiff, TIFFTAG_JPEGQUALITY, std::clamp(jpeg_quality, 1, 100));
    } else {
        TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    }
    const size_t row_bytes = static_cast<size_t>(picture.width) * 3;
    std::vector<uint8_t> row(row_bytes);
    bool ok = true;
    for (int y = 0; y < picture.height && ok; ++y) {
        // libtiff may scribble on the row it is given (JPEG), so hand it a copy.
        std::memcpy(row.data(), picture.rgb.data() + y * row_bytes, row_bytes);
        ok = TIFFWriteScanline(tiff, row.data(), static_cast<uint32_t>(y), 0) >= 0;
    }
    ok = ok && TIFFFlush(tiff) == 1;
    TIFFClose(tiff);
    if (!ok) return false;
    out = std::move(client.bytes);
    return true;
}
