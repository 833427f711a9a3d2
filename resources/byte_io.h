// Little- and big-endian words read from and written to byte buffers.
//
// Readers take a position that the caller has already checked against the buffer's size; the
// span-based helpers check it themselves and report a short buffer.
#pragma once

#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

inline uint16_t get_u16le(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

inline uint32_t get_u32le(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

inline int32_t get_i32le(const uint8_t* p) {
    return static_cast<int32_t>(get_u32le(p));
}

inline float get_f32le(const uint8_t* p) {
    const uint32_t bits = get_u32le(p);
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
}

inline uint16_t get_u16be(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] << 8 | p[1]);
}

inline uint32_t get_u32be(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
           static_cast<uint32_t>(p[2]) << 8 | static_cast<uint32_t>(p[3]);
}

inline void put_u16le(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

inline void put_u32le(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

inline void put_f32le(std::vector<uint8_t>& out, float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    put_u32le(out, bits);
}

inline void put_u16be(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
}

inline void put_u32be(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 3; i >= 0; --i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// A forward-only reader over a byte buffer that refuses to read past its end.
class ByteReader {
public:
    explicit ByteReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    size_t remaining() const { return bytes_.size() - pos_; }
    size_t position() const { return pos_; }

    bool u32(uint32_t& v) {
        if (remaining() < 4) return false;
        v = get_u32le(bytes_.data() + pos_);
        pos_ += 4;
        return true;
    }
    // The next n bytes, or an empty span (and nothing consumed) when fewer remain.
    bool take(size_t n, std::span<const uint8_t>& out) {
        if (remaining() < n) return false;
        out = bytes_.subspan(pos_, n);
        pos_ += n;
        return true;
    }

private:
    std::span<const uint8_t> bytes_;
    size_t pos_ = 0;
};
