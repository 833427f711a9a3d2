// Windows bitmap files of every kind the device-texture reader takes, written field by field
// from a description: core, information and longer headers, colour tables, bit-field masks,
// and pixel bytes (rows or run-length codes) given as stored. For tests and fuzzing seeds.
#pragma once

#include <cstdint>
#include <vector>

inline void put16(std::vector<uint8_t>& b, uint32_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}

inline void put32(std::vector<uint8_t>& b, uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

struct BmpFixture {
    int width = 0, height = 0; // a negative height stores rows top first
    int bpp = 24;
    uint32_t compression = 0;
    uint32_t header = 40;          // 12, 40, 56 or 108
    std::vector<uint32_t> palette; // 0x00RRGGBB
    std::vector<uint32_t> masks;   // red, green, blue (, alpha)
    std::vector<uint8_t> pixels;   // as stored, rows padded by the caller
};

inline std::vector<uint8_t> make_bmp(const BmpFixture& f) {
    std::vector<uint8_t> info;
    if (f.header == 12) {
        put32(info, 12);
        put16(info, f.width);
        put16(info, f.height);
        put16(info, 1);
        put16(info, f.bpp);
    } else {
        put32(info, f.header);
        put32(info, static_cast<uint32_t>(f.width));
        put32(info, static_cast<uint32_t>(f.height));
        put16(info, 1);
        put16(info, f.bpp);
        put32(info, f.compression);
        for (int i = 0; i < 3; ++i) put32(info, 0); // image size, resolution
        put32(info, static_cast<uint32_t>(f.palette.size()));
        put32(info, 0);
        if (f.header == 40) {
            for (uint32_t m : f.masks) put32(info, m);
        } else {
            for (size_t i = 0; i < 4; ++i) put32(info, i < f.masks.size() ? f.masks[i] : 0);
            info.resize(f.header); // the rest of the longer header: colour space, zeros
        }
    }
    for (uint32_t c : f.palette) {
        info.push_back(static_cast<uint8_t>(c));
        info.push_back(static_cast<uint8_t>(c >> 8));
        info.push_back(static_cast<uint8_t>(c >> 16));
        if (f.header != 12) info.push_back(0);
    }
    std::vector<uint8_t> file = {'B', 'M'};
    put32(file, static_cast<uint32_t>(14 + info.size() + f.pixels.size()));
    put32(file, 0);
    put32(file, static_cast<uint32_t>(14 + info.size()));
    file.insert(file.end(), info.begin(), info.end());
    file.insert(file.end(), f.pixels.begin(), f.pixels.end());
    return file;
}
