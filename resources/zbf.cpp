#include "resources/zbf.h"

#include <algorithm>
#include <cstring>

size_t unpack_packets(std::span<const uint8_t> in, std::span<uint8_t> out) {
    size_t i = 0, o = 0;
    while (i < in.size() && o < out.size()) {
        const uint8_t ctl = in[i++];
        if (ctl < 128) {
            size_t n = std::min<size_t>({ctl + 1u, in.size() - i, out.size() - o});
            std::memcpy(out.data() + o, in.data() + i, n);
            i += ctl + 1u;
            o += n;
        } else {
            if (i >= in.size()) break;
            const size_t n = std::min<size_t>(ctl - 127u, out.size() - o);
            std::memset(out.data() + o, in[i++], n);
            o += n;
        }
    }
    return o;
}

std::vector<uint8_t> pack_packets(std::span<const uint8_t> bytes) {
    std::vector<uint8_t> out;
    size_t i = 0;
    const size_t n = bytes.size();
    auto run_at = [&](size_t k) {
        size_t r = 1;
        while (k + r < n && r < 128 && bytes[k + r] == bytes[k]) ++r;
        return r;
    };
    while (i < n) {
        const size_t run = run_at(i);
        if (run >= 2) {
            out.push_back(static_cast<uint8_t>(127 + run));
            out.push_back(bytes[i]);
            i += run;
            continue;
        }
        size_t literal = 1;
        while (i + literal < n && literal < 128 && run_at(i + literal) < 2) ++literal;
        out.push_back(static_cast<uint8_t>(literal - 1));
        out.insert(out.end(), bytes.begin() + i, bytes.begin() + i + literal);
        i += literal;
    }
    return out;
}

bool decode_zbf(std::span<const uint8_t> file, std::span<uint16_t, k_depth_pixels> depth) {
    // A stream that stops early leaves zeros, not the previous scene's bytes.
    std::vector<uint8_t> planes(k_zbf_unpacked_bytes, 0);
    const size_t unpacked =
        unpack_packets(file.first(std::min(file.size(), k_zbf_file_max)), planes);
    const uint8_t* low = planes.data();
    const uint8_t* high = planes.data() + k_depth_pixels;
    uint8_t value = low[0];
    depth[0] = static_cast<uint16_t>(high[0] << 8 | value);
    for (size_t k = 1; k < k_depth_pixels; ++k) {
        value = static_cast<uint8_t>(value - low[k]);
        depth[k] = static_cast<uint16_t>(high[k] << 8 | value);
    }
    return unpacked == k_zbf_unpacked_bytes;
}

bool encode_zbf(std::span<const uint16_t, k_depth_pixels> depth, std::vector<uint8_t>& out) {
    std::vector<uint8_t> planes(k_zbf_unpacked_bytes);
    uint8_t previous = 0;
    for (size_t k = 0; k < k_depth_pixels; ++k) {
        const auto low = static_cast<uint8_t>(depth[k]);
        planes[k] = k == 0 ? low : static_cast<uint8_t>(previous - low);
        planes[k_depth_pixels + k] = static_cast<uint8_t>(depth[k] >> 8);
        previous = low;
    }
    std::vector<uint8_t> packed = pack_packets(planes);
    if (packed.size() > k_zbf_file_max) return false;
    out = std::move(packed);
    return true;
}
