#include "platform/image_file.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>

#include "platform/files.h"

namespace {

uint32_t le16(const uint8_t* p) {
    return static_cast<uint32_t>(p[0] | p[1] << 8);
}

uint32_t le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

uint32_t argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
    return a << 24 | r << 16 | g << 8 | b;
}

bool size_ok(int64_t width, int64_t height) {
    return width > 0 && height > 0 && width <= k_image_max_side && height <= k_image_max_side &&
           width * height <= k_image_max_pixels;
}

void start_image(Image& out, int width, int height, int bpp, bool alpha) {
    out.width = width;
    out.height = height;
    out.bits_per_pixel = bpp;
    out.has_alpha = alpha;
    out.argb.assign(static_cast<size_t>(width) * height, 0xFF000000u);
}

bool fail(Image& out) {
    out = Image{};
    return false;
}

// ---- Targa ---------------------------------------------------------------------------------

constexpr size_t k_targa_header = 18;

struct TargaPixels {
    const uint8_t* data;
    size_t size;
    size_t pos = 0;
    int bytes; // 3 or 4

    bool next(uint32_t& out) {
        if (size - pos < static_cast<size_t>(bytes)) return false;
        const uint8_t* p = data + pos;
        out = argb(bytes == 4 ? p[3] : 255, p[2], p[1], p[0]);
        pos += bytes;
        return true;
    }
};

// Can `available` bytes hold the pixels? Checked before the picture is allocated: plain data
// holds every pixel, run-length data at least one packet (a header byte and one pixel) for each
// 128 pixels.
bool targa_data_fits(size_t available, int width, int height, int bytes, bool rle) {
    const uint64_t pixels = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
    const uint64_t need = rle ? (pixels + 127) / 128 * (1 + bytes) : pixels * bytes;
    return available >= need;
}

} // namespace

bool decode_targa(std::span<const uint8_t> file, Image& out) {
    if (file.size() < k_targa_header) return fail(out);
    const uint8_t* h = file.data();
    const int id_length = h[0], colour_map_type = h[1], image_type = h[2];
    const int width = static_cast<int>(le16(h + 12)), height = static_cast<int>(le16(h + 14));
    const int depth = h[16], descriptor = h[17];
    if (colour_map_type != 0 || (image_type != 2 && image_type != 10)) return fail(out);
    if ((depth != 24 && depth != 32) || !size_ok(width, height)) return fail(out);
    const size_t start = k_targa_header + static_cast<size_t>(id_length);
    if (start > file.size() ||
        !targa_data_fits(file.size() - start, width, height, depth / 8, image_type == 10))
        return fail(out);

    start_image(out, width, height, depth, depth == 32);
    TargaPixels in{file.data() + start, file.size() - start, 0, depth / 8};
    const bool top_first = (descriptor & 0x20) != 0;
    const size_t total = out.argb.size();
    // Pixels arrive in file order; the k-th goes to its row from the top or from the bottom.
    auto place = [&](size_t k, uint32_t value) {
        const size_t row = k / width, col = k % width;
        const size_t y = top_first ? row : height - 1 - row;
        out.argb[y * width + col] = value;
    };
    size_t k = 0;
    while (k < total) {
        uint32_t value;
        if (image_type == 2) {
            if (!in.next(value)) return fail(out);
            place(k++, value);
            continue;
        }
        if (in.pos >= in.size) return fail(out);
        const uint8_t packet = in.data[in.pos++];
        // A packet running past the picture's end is cut at the end.
        const size_t n = std::min<size_t>((packet & 0x7F) + 1, total - k);
        if (packet & 0x80) {
            if (!in.next(value)) return fail(out);
            for (size_t i = 0; i < n; ++i) place(k++, value);
        } else {
            for (size_t i = 0; i < n; ++i) {
                if (!in.next(value)) return fail(out);
                place(k++, value);
            }
        }
    }
    return true;
}

namespace {

// ---- Bitmaps -------------------------------------------------------------------------------

constexpr size_t k_file_header = 14;
constexpr uint64_t k_rle_free_pixels = 256 * 256;

enum Compression : uint32_t {
    BI_RGB = 0,
    BI_RLE8 = 1,
    BI_RLE4 = 2,
    BI_BITFIELDS = 3,
};

struct BmpInfo {
    int width = 0, height = 0;
    bool top_first = false;
    int bpp = 0;
    uint32_t compression = BI_RGB;
    uint32_t masks[4] = {}; // red, green, blue, alpha
    std::vector<uint32_t> palette;
    size_t pixels_at = 0;
};

bool is_rle(const BmpInfo& info) {
    return info.compression == BI_RLE8 || info.compression == BI_RLE4;
}

// One channel from a pixel word through a bit-field mask, scaled to 8 bits.
uint32_t channel(uint32_t pixel, uint32_t mask) {
    if (mask == 0) return 0;
    const int shift = std::countr_zero(mask);
    const int bits = std::popcount(mask >> shift);
    const uint32_t v = (pixel & mask) >> shift;
    if (bits >= 8) return v >> (bits - 8);
    const uint32_t max = (1u << bits) - 1;
    return (v * 255 + max / 2) / max;
}

bool read_header(std::span<const uint8_t> file, BmpInfo& info) {
    if (file.size() < k_file_header + 12 || file[0] != 'B' || file[1] != 'M') return false;
    const uint8_t* p = file.data();
    info.pixels_at = le32(p + 10);
    const size_t header = le32(p + 14);
    const size_t at = k_file_header;
    bool core = false;
    if (header == 12) {
        core = true;
        info.width = static_cast<int>(le16(p + at + 4));
        info.height = static_cast<int>(le16(p + at + 6));
        info.bpp = static_cast<int>(le16(p + at + 10));
    } else {
        if (header < 40 || file.size() < at + 40 || header > file.size() - at) return false;
        info.width = static_cast<int32_t>(le32(p + at + 4));
        const int32_t h = static_cast<int32_t>(le32(p + at + 8));
        if (h == INT32_MIN) return false;
        info.top_first = h < 0;
        info.height = h < 0 ? -h : h;
        info.bpp = static_cast<int>(le16(p + at + 14));
        info.compression = le32(p + at + 16);
    }
    if (!size_ok(info.width, info.height)) return false;

    size_t after = at + header;
    if (info.compression == BI_BITFIELDS) {
        if (info.bpp != 16 && info.bpp != 32) return false;
        // Masks follow a 40-byte header; longer headers hold them (and alpha) inside.
        const size_t masks_at = at + 40;
        const int n = header >= 56 ? 4 : 3;
        if (file.size() < masks_at + 4 * n) return false;
        for (int i = 0; i < n; ++i) info.masks[i] = le32(p + masks_at + 4 * i);
        if (header == 40) after += 12;
    } else if (info.bpp == 16) {
        info.masks[0] = 0x7C00, info.masks[1] = 0x03E0, info.masks[2] = 0x001F;
    } else if (info.bpp == 24 || info.bpp == 32) {
        info.masks[0] = 0xFF0000, info.masks[1] = 0xFF00, info.masks[2] = 0xFF;
    }
    const bool rle = is_rle(info);
    if (info.compression > BI_BITFIELDS || (info.compression == BI_RLE8 && info.bpp != 8) ||
        (info.compression == BI_RLE4 && info.bpp != 4) || (rle && info.top_first))
        return false;

    if (info.bpp <= 8) {
        if (info.bpp != 1 && info.bpp != 4 && info.bpp != 8) return false;
        const size_t entry = core ? 3 : 4;
        size_t count = core ? 0 : le32(p + at + 32);
        if (count == 0 || count > (1u << info.bpp)) count = size_t{1} << info.bpp;
        if (after > file.size() || (file.size() - after) / entry < count) return false;
        for (size_t i = 0; i < count; ++i) {
            const uint8_t* e = p + after + i * entry;
            info.palette.push_back(argb(255, e[2], e[1], e[0]));
        }
        info.palette.resize(size_t{1} << info.bpp, 0xFF000000u);
    } else if (info.bpp != 16 && info.bpp != 24 && info.bpp != 32) {
        return false;
    }
    return info.pixels_at < file.size();
}

uint32_t pixel_word(const uint8_t* row, int x, int bpp) {
    switch (bpp) {
    case 1:
        return (row[x / 8] >> (7 - x % 8)) & 1;
    case 4:
        return (row[x / 2] >> (x % 2 ? 0 : 4)) & 15;
    case 8:
        return row[x];
    case 16:
        return le16(row + 2 * x);
    case 24:
        return static_cast<uint32_t>(row[3 * x] | row[3 * x + 1] << 8 | row[3 * x + 2] << 16);
    default:
        return le32(row + 4 * x);
    }
}

size_t plain_row_bytes(const BmpInfo& info) {
    return ((static_cast<size_t>(info.width) * info.bpp + 31) / 32) * 4;
}

// Does the pixel data hold enough bytes for the picture its header announces? Checked before the
// picture is allocated, so a short file never costs a large allocation. Uncompressed rows have a
// fixed size. Run-length data has no fixed size (an end-of-picture mark leaves the rest at
// palette entry 0), so a picture larger than 256x256 is accepted only up to 256 pixels per data
// byte: twice what runs of 255 pixels give, and what a row of 512 skipped with an end-of-line
// mark gives.
bool data_fits_picture(std::span<const uint8_t> file, const BmpInfo& info) {
    const size_t available = file.size() - info.pixels_at;
    const auto pixels = static_cast<uint64_t>(info.width) * static_cast<uint64_t>(info.height);
    if (is_rle(info)) return pixels <= std::max<uint64_t>(k_rle_free_pixels, available * 256);
    return available / plain_row_bytes(info) >= static_cast<size_t>(info.height);
}

bool decode_plain(std::span<const uint8_t> file, const BmpInfo& info, Image& out) {
    const size_t row_bytes = plain_row_bytes(info);
    const bool alpha = info.masks[3] != 0;
    for (int k = 0; k < info.height; ++k) {
        const uint8_t* row = file.data() + info.pixels_at + k * row_bytes;
        const int y = info.top_first ? k : info.height - 1 - k;
        uint32_t* dst = out.argb.data() + static_cast<size_t>(y) * info.width;
        for (int x = 0; x < info.width; ++x) {
            const uint32_t w = pixel_word(row, x, info.bpp);
            if (info.bpp <= 8) {
                dst[x] = info.palette[w];
                continue;
            }
            dst[x] = argb(alpha ? channel(w, info.masks[3]) : 255, channel(w, info.masks[0]),
                          channel(w, info.masks[1]), channel(w, info.masks[2]));
        }
    }
    return true;
}

// Run-length coded 4- and 8-bit bitmaps: pairs (count, index) or escapes (0, code). Pixels the
// runs skip keep palette entry 0. The position never leaves the picture: a run is cut at the end
// of its row (the rest of it is dropped, not wrapped), and a delta that would move past the row's
// end or below the last row ends the picture there.
bool decode_rle(std::span<const uint8_t> file, const BmpInfo& info, Image& out) {
    const uint8_t* p = file.data() + info.pixels_at;
    const size_t size = file.size() - info.pixels_at;
    const bool four = info.bpp == 4;
    std::fill(out.argb.begin(), out.argb.end(), info.palette[0]);
    int x = 0, k = 0; // 0 <= x <= width; k: stored row, bottom first, below height
    // Pixels n = 0.. of a run, `index(n)` giving each one's palette index; x stays within the row.
    auto put_run = [&](int count, auto index) {
        const int n = std::min(count, info.width - x);
        uint32_t* row = out.argb.data() + static_cast<size_t>(info.height - 1 - k) * info.width;
        for (int i = 0; i < n; ++i) row[x + i] = info.palette[index(i)];
        x += n;
    };
    size_t i = 0;
    while (i + 1 < size) {
        const uint8_t count = p[i], value = p[i + 1];
        i += 2;
        if (count > 0) {
            put_run(count, [&](int n) { return four ? (n % 2 ? value & 15 : value >> 4) : value; });
            continue;
        }
        if (value == 0) {
            x = 0, ++k;
        } else if (value == 1) {
            return true;
        } else if (value == 2) {
            if (i + 1 >= size) return false;
            const int dx = p[i], dy = p[i + 1];
            i += 2;
            if (dx > info.width - x || dy >= info.height - k) return true;
            x += dx, k += dy;
        } else {
            // An absolute run of `value` indices, padded to a whole number of 16-bit words.
            const size_t bytes = four ? (value + 1) / 2 : value;
            if (size - i < bytes) return false;
            const uint8_t* run = p + i;
            put_run(value, [&](int n) {
                return four ? (n % 2 ? run[n / 2] & 15 : run[n / 2] >> 4) : run[n];
            });
            i += (bytes + 1) & ~size_t{1};
        }
        if (k >= info.height) return true;
    }
    return false; // the data ended without its end-of-picture mark
}

} // namespace

bool decode_bmp(std::span<const uint8_t> file, Image& out) {
    BmpInfo info;
    if (!read_header(file, info) || !data_fits_picture(file, info)) return fail(out);
    start_image(out, info.width, info.height, info.bpp, info.masks[3] != 0);
    const bool ok = is_rle(info) ? decode_rle(file, info, out) : decode_plain(file, info, out);
    return ok ? true : fail(out);
}

bool decode_image(std::span<const uint8_t> file, Image& out) {
    if (file.size() >= 2 && file[0] == 'B' && file[1] == 'M') return decode_bmp(file, out);
    return decode_targa(file, out);
}

namespace {

// Enough for the Targa header and the bitmap file and information headers up to the compression.
constexpr size_t k_image_head = 64;

// The longest file of a picture either decoder accepts: a 32-bit Targa file of the most pixels,
// run-length coded one pixel a packet, after the longest id field.
constexpr uint64_t k_image_file_max = k_targa_header + 255 + uint64_t{k_image_max_pixels} * 5;

uint64_t bmp_limit(std::span<const uint8_t> head) {
    if (head.size() < k_file_header + 16) return head.size();
    const uint8_t* p = head.data();
    const uint64_t pixels_at = le32(p + 10);
    const uint64_t header = le32(p + 14);
    const bool core = header == 12;
    if (!core && head.size() < k_file_header + 20) return head.size();
    const uint8_t* info = p + k_file_header;
    // Signed: a negative height stores the rows top first.
    const int64_t width =
        core ? int64_t{le16(info + 4)} : int64_t{static_cast<int32_t>(le32(info + 4))};
    int64_t height = core ? int64_t{le16(info + 6)} : int64_t{static_cast<int32_t>(le32(info + 8))};
    const uint64_t bpp = std::min<uint64_t>(core ? le16(info + 10) : le16(info + 14), 32);
    const uint32_t compression = core ? BI_RGB : le32(info + 16);
    height = height < 0 ? -height : height;
    if (!size_ok(width, height)) return head.size();
    const auto w = static_cast<uint64_t>(width), h = static_cast<uint64_t>(height);
    // The headers, bit-field masks and a full colour table, wherever the pixels start.
    const uint64_t tables = k_file_header + header + 12 + 4 * 256;
    // Run-length rows need at most two bytes a pixel (a run of one), an end-of-line mark each and
    // the end-of-picture mark.
    const bool rle = compression == BI_RLE8 || compression == BI_RLE4;
    const uint64_t data = rle ? 2 * w * h + 2 * h + 2 : (w * bpp + 31) / 32 * 4 * h;
    return std::max(tables, pixels_at + data);
}

uint64_t targa_limit(std::span<const uint8_t> head) {
    if (head.size() < k_targa_header) return head.size();
    const uint8_t* h = head.data();
    const uint64_t pixels = uint64_t{le16(h + 12)} * le16(h + 14);
    const uint64_t bytes = std::max<uint64_t>(h[16] / 8, 1);
    // A run-length file is longest when every packet holds a single pixel.
    const uint64_t data = h[2] == 10 ? pixels * (1 + bytes) : pixels * bytes;
    return k_targa_header + h[0] + data;
}

} // namespace

uint64_t image_file_limit(std::span<const uint8_t> head) {
    const uint64_t limit =
        head.size() >= 2 && head[0] == 'B' && head[1] == 'M' ? bmp_limit(head) : targa_limit(head);
    return std::clamp<uint64_t>(limit, head.size(),
                                std::max<uint64_t>(k_image_file_max, head.size()));
}

bool read_image_file(std::string_view path, std::vector<uint8_t>& out) {
    FILE* f = file_open(path, "rb");
    if (f == nullptr) return false;
    std::vector<uint8_t> bytes(k_image_head);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
    const uint64_t limit = image_file_limit(bytes);
    // Grown step by step, so that a header's claim is paid for only by bytes that exist.
    uint8_t chunk[65536];
    while (bytes.size() < limit) {
        const auto want =
            static_cast<size_t>(std::min<uint64_t>(sizeof chunk, limit - bytes.size()));
        const size_t got = std::fread(chunk, 1, want, f);
        bytes.insert(bytes.end(), chunk, chunk + got);
        if (got < want) break;
    }
    const bool ok = !std::ferror(f);
    std::fclose(f);
    if (ok) out = std::move(bytes);
    return ok;
}
