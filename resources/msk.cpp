#include "resources/msk.h"

#include <algorithm>
#include <cstring>

#include "resources/byte_io.h"

size_t decode_msk_block(std::span<const uint8_t> file, size_t at, uint8_t* out, size_t stride,
                        bool* whole) {
    if (at > file.size() || file.size() - at < 2) {
        if (whole) *whole = false;
        return file.size();
    }
    const size_t length = get_u16be(file.data() + at);
    const size_t begin = at + 2;
    const size_t end = std::min(begin + length, file.size());
    size_t i = begin, o = 0;
    while (i < end && o < k_msk_width) {
        const auto ctl = static_cast<int8_t>(file[i++]);
        if (ctl < 0) {
            const size_t n =
                std::min<size_t>({static_cast<size_t>(-ctl), end - i, k_msk_width - o});
            for (size_t k = 0; k < n; ++k) out[(o + k) * stride] = file[i + k];
            i += static_cast<size_t>(-ctl);
            o += n;
        } else {
            if (i >= end) break;
            const uint8_t v = file[i++];
            const size_t n = std::min<size_t>(static_cast<size_t>(ctl) + 1, k_msk_width - o);
            for (size_t k = 0; k < n; ++k) out[(o + k) * stride] = v;
            o += n;
        }
    }
    if (whole && (o != k_msk_width || begin + length > file.size())) *whole = false;
    return begin + length;
}

bool decode_msk(std::span<const uint8_t> file, std::span<float, k_depth_pixels> depth) {
    file = file.first(std::min(file.size(), k_msk_file_max));
    std::fill(depth.begin(), depth.end(), 0.0f);
    if (file.size() < k_msk_rows * 4) return false;
    bool whole = true;
    uint8_t scratch[k_msk_width];
    for (size_t r = 0; r < k_msk_rows; ++r) {
        const uint32_t offset = get_u32be(file.data() + (k_msk_rows - 1 - r) * 4);
        if (offset < k_msk_offset_base) {
            whole = false;
            continue;
        }
        size_t at = offset - k_msk_offset_base;
        for (size_t block = 0; block < 3; ++block)
            at = decode_msk_block(file, at, scratch, 1, &whole);
        // Blocks 4..7 carry the float's bytes from the most significant one: they go to bytes
        // 3, 2, 1, 0 of each little-endian pixel.
        auto* row = reinterpret_cast<uint8_t*>(depth.data() + r * k_msk_width);
        for (size_t block = 0; block < 4; ++block)
            at = decode_msk_block(file, at, row + (3 - block), 4, &whole);
    }
    return whole;
}

namespace {

// Packets of one channel row: repeat packets for runs of 2 or more, literals otherwise.
void put_block(std::vector<uint8_t>& out, const uint8_t* bytes) {
    std::vector<uint8_t> packets;
    size_t i = 0;
    auto run_at = [&](size_t k) {
        size_t r = 1;
        while (k + r < k_msk_width && r < 128 && bytes[k + r] == bytes[k]) ++r;
        return r;
    };
    while (i < k_msk_width) {
        const size_t run = run_at(i);
        if (run >= 2) {
            packets.push_back(static_cast<uint8_t>(run - 1));
            packets.push_back(bytes[i]);
            i += run;
            continue;
        }
        size_t literal = 1;
        while (i + literal < k_msk_width && literal < 128 && run_at(i + literal) < 2) ++literal;
        packets.push_back(static_cast<uint8_t>(-static_cast<int>(literal)));
        packets.insert(packets.end(), bytes + i, bytes + i + literal);
        i += literal;
    }
    put_u16be(out, static_cast<uint32_t>(packets.size()));
    out.insert(out.end(), packets.begin(), packets.end());
}

} // namespace

bool encode_msk(std::span<const float, k_depth_pixels> depth, std::vector<uint8_t>& result) {
    std::vector<uint8_t> out(k_msk_rows * 4, 0);
    const uint8_t zeros[k_msk_width] = {};
    uint8_t channel[k_msk_width];
    // Scanlines are stored bottom row first, in the order of the offset table.
    for (size_t k = 0; k < k_msk_rows; ++k) {
        const size_t row = k_msk_rows - 1 - k;
        const uint32_t offset = static_cast<uint32_t>(out.size() + k_msk_offset_base);
        for (int b = 0; b < 4; ++b) out[k * 4 + b] = static_cast<uint8_t>(offset >> (24 - 8 * b));
        for (size_t c = 0; c < 3; ++c) put_block(out, zeros);
        for (int byte = 3; byte >= 0; --byte) {
            for (size_t x = 0; x < k_msk_width; ++x) {
                uint32_t bits;
                std::memcpy(&bits, &depth[row * k_msk_width + x], 4);
                channel[x] = static_cast<uint8_t>(bits >> (8 * byte));
            }
            put_block(out, channel);
        }
    }
    if (out.size() > k_msk_file_max) return false;
    result = std::move(out);
    return true;
}
