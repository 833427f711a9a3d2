#include "resources/bmp.h"

#include "resources/byte_io.h"

namespace {

void put_headers(std::vector<uint8_t>& out, uint32_t width, uint32_t height, uint32_t bit_count,
                 uint32_t pixels_at, uint32_t image_bytes, uint32_t colours) {
    out.push_back('B');
    out.push_back('M');
    put_u32le(out, pixels_at + image_bytes);
    put_u32le(out, 0);
    put_u32le(out, pixels_at);
    put_u32le(out, 40);
    put_u32le(out, width);
    put_u32le(out, height);
    put_u16le(out, 1);
    put_u16le(out, bit_count);
    put_u32le(out, 0); // no compression
    put_u32le(out, image_bytes);
    put_u32le(out, 2835); // 72 dots per inch
    put_u32le(out, 2835);
    put_u32le(out, colours);
    put_u32le(out, 0);
}

} // namespace

bool bmp24_layout(std::span<const uint8_t> file, Bmp24Layout& layout) {
    if (file.size() < 26) return false;
    const int32_t width = get_i32le(file.data() + 18);
    const int32_t height = get_i32le(file.data() + 22);
    const uint32_t pixels_at = get_u32le(file.data() + 10);
    if (width < 1 || height < 1) return false;
    const uint64_t row_bytes = 3ull * static_cast<uint32_t>(width) + (width % 4);
    if (pixels_at > file.size() ||
        row_bytes * static_cast<uint32_t>(height) > file.size() - pixels_at)
        return false;
    layout.width = width;
    layout.height = height;
    layout.pixels_at = pixels_at;
    layout.row_bytes = row_bytes;
    return true;
}

std::vector<uint8_t> encode_bmp24(const RgbPicture& picture) {
    const uint32_t w = static_cast<uint32_t>(picture.width);
    const uint32_t h = static_cast<uint32_t>(picture.height);
    const uint32_t row_bytes = 3 * w + (w % 4);
    std::vector<uint8_t> out;
    out.reserve(k_bmp_header_bytes + static_cast<size_t>(row_bytes) * h);
    put_headers(out, w, h, 24, k_bmp_header_bytes, row_bytes * h, 0);
    for (int y = picture.height - 1; y >= 0; --y) {
        for (int x = 0; x < picture.width; ++x) {
            const uint8_t* p = picture.pixel(x, y);
            out.insert(out.end(), {p[2], p[1], p[0]});
        }
        out.resize(out.size() + w % 4, 0);
    }
    return out;
}

std::vector<uint8_t> encode_bmp8(const Bmp8Picture& picture) {
    std::vector<uint8_t> out;
    if (picture.indices.size() != 65536) return out;
    out.reserve(k_bmp8_file_bytes);
    put_headers(out, 256, 256, 8, k_bmp8_pixels_at, 65536, 256);
    for (const auto& c : picture.palette) out.insert(out.end(), {c[2], c[1], c[0], 0});
    for (int y = 255; y >= 0; --y) {
        const uint8_t* row = picture.indices.data() + static_cast<size_t>(y) * 256;
        out.insert(out.end(), row, row + 256);
    }
    return out;
}
