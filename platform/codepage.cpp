#include "platform/codepage.h"

namespace {

// Upper half 0x80..0xBF; 0xC0..0xFF are the contiguous Cyrillic letters U+0410..U+044F.
constexpr char16_t k_upper[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
    0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x0000, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
    0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
    0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

} // namespace

char16_t cp1251_to_unicode(uint8_t code) {
    if (code < 0x80) return code;
    if (code >= 0xC0) return static_cast<char16_t>(0x0410 + (code - 0xC0));
    return k_upper[code - 0x80];
}

uint8_t unicode_to_cp1251(char32_t c) {
    if (c < 0x80) return static_cast<uint8_t>(c);
    if (c >= 0x0410 && c <= 0x044F) return static_cast<uint8_t>(0xC0 + (c - 0x0410));
    for (int i = 0; i < 64; ++i)
        if (k_upper[i] != 0 && k_upper[i] == c) return static_cast<uint8_t>(0x80 + i);
    return 0;
}

std::vector<uint8_t> utf8_to_cp1251(std::string_view utf8) {
    std::vector<uint8_t> codes;
    size_t i = 0;
    while (i < utf8.size()) {
        char32_t c = static_cast<unsigned char>(utf8[i++]);
        int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        if (extra) c &= 0x3Fu >> extra;
        for (; extra > 0 && i < utf8.size() && (utf8[i] & 0xC0) == 0x80; --extra)
            c = (c << 6) | (static_cast<unsigned char>(utf8[i++]) & 0x3F);
        if (extra > 0) continue; // a cut sequence stands for no character
        if (uint8_t code = unicode_to_cp1251(c)) codes.push_back(code);
    }
    return codes;
}

std::string cp1251_to_utf8(std::string_view codes) {
    std::string out;
    for (const char byte : codes) {
        const auto code = static_cast<uint8_t>(byte);
        const char16_t c = cp1251_to_unicode(code);
        if (c == 0 && code != 0) {
            out.push_back('_'); // the one code of the page without a character
        } else if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}
