#include "resources/targa_writer.h"

#include <cstring>

#include "resources/byte_io.h"

namespace {

// Run-length packets, kept within one row: runs of equal pixels become repeat packets, the rest
// literal packets, each of at most 128 pixels.
void put_rle_row(std::vector<uint8_t>& out, const uint8_t* row, int width, int bytes) {
    auto same = [&](int a, int b) {
        return std::memcmp(row + a * bytes, row + b * bytes, bytes) == 0;
    };
    int x = 0;
    while (x < width) {
        int run = 1;
        while (x + run < width && run < 128 && same(x, x + run)) ++run;
        if (run > 1) {
            out.push_back(static_cast<uint8_t>(0x80 | (run - 1)));
            out.insert(out.end(), row + x * bytes, row + (x + 1) * bytes);
            x += run;
            continue;
        }
        int literal = 1;
        while (x + literal < width && literal < 128 &&
               !(x + literal + 1 < width && same(x + literal, x + literal + 1)))
            ++literal;
        out.push_back(static_cast<uint8_t>(literal - 1));
        out.insert(out.end(), row + x * bytes, row + (x + literal) * bytes);
        x += literal;
    }
}

} // namespace

std::vector<uint8_t> encode_targa(const RgbPicture& picture, const std::vector<uint8_t>* alpha,
                                  const TargaOptions& options) {
    std::vector<uint8_t> out;
    const int w = picture.width, h = picture.height;
    const size_t pixels = static_cast<size_t>(w) * h;
    if (w < 1 || h < 1 || w > 65535 || h > 65535 || picture.rgb.size() < pixels * 3 ||
        (alpha && alpha->size() != pixels))
        return out;
    const int bytes = alpha ? 4 : 3;
    out.push_back(0);                           // no identification field
    out.push_back(0);                           // no colour map
    out.push_back(options.run_length ? 10 : 2); // image type
    out.insert(out.end(), 5, 0);                // colour map: first entry, length, entry size
    put_u16le(out, 0);                          // x origin
    put_u16le(out, 0);                          // y origin
    put_u16le(out, static_cast<uint32_t>(w));
    put_u16le(out, static_cast<uint32_t>(h));
    out.push_back(static_cast<uint8_t>(bytes * 8));
    out.push_back(static_cast<uint8_t>((options.top_first ? 0x20 : 0) | (alpha ? 8 : 0)));

    std::vector<uint8_t> row(static_cast<size_t>(w) * bytes);
    for (int k = 0; k < h; ++k) {
        const int y = options.top_first ? k : h - 1 - k;
        for (int x = 0; x < w; ++x) {
            const uint8_t* p = picture.pixel(x, y);
            uint8_t* q = row.data() + static_cast<size_t>(x) * bytes;
            q[0] = p[2];
            q[1] = p[1];
            q[2] = p[0];
            if (alpha) q[3] = (*alpha)[static_cast<size_t>(y) * w + x];
        }
        if (options.run_length)
            put_rle_row(out, row.data(), w, bytes);
        else
            out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}
