#include "resources/text_table.h"

#include <climits>

#include "resources/asset_file.h"

namespace {

bool is_space(char16_t c) {
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

// The line's number as "%d %s" reads it: white space, an optional sign, digits. Values past
// the 32-bit range saturate (no line number of the game comes near them).
bool leading_number(std::u16string_view line, long long& value) {
    size_t i = 0;
    while (i < line.size() && is_space(line[i])) ++i;
    bool negative = false;
    if (i < line.size() && (line[i] == u'-' || line[i] == u'+')) negative = line[i++] == u'-';
    if (i >= line.size() || line[i] < u'0' || line[i] > u'9') return false;
    long long v = 0;
    for (; i < line.size() && line[i] >= u'0' && line[i] <= u'9'; ++i)
        v = std::min<long long>(v * 10 + (line[i] - u'0'), static_cast<long long>(INT_MAX) + 1);
    value = negative ? -v : v;
    return true;
}

std::u16string line_text(std::u16string_view line) {
    const size_t blank = line.size() > 1 ? line.find(u' ', 1) : std::u16string_view::npos;
    if (blank == std::u16string_view::npos) return u"\r";
    std::u16string_view rest = line.substr(blank + 1);
    const size_t cr = rest.find(u'\r');
    if (cr != std::u16string_view::npos) return std::u16string(rest.substr(0, cr + 1));
    if (!rest.empty() && rest.back() == u'\n') rest.remove_suffix(1);
    return std::u16string(rest) + u'\r';
}

} // namespace

std::vector<char16_t> table_units(std::span<const uint8_t> file) {
    std::vector<char16_t> units;
    if (file.size() < 2) return units;
    units.resize((file.size() - 2) / 2);
    for (size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<char16_t>(file[2 + 2 * i] | file[3 + 2 * i] << 8);
    return units;
}

bool read_text_table(std::string_view path, std::vector<char16_t>& units) {
    std::vector<uint8_t> file;
    if (!read_asset(path, k_table_file_max, file)) return false;
    units = table_units(file);
    return true;
}

std::optional<std::u16string> find_table_line(std::span<const char16_t> units, int n,
                                              size_t line_limit) {
    const std::u16string_view all(units.data(), units.size());
    size_t pos = 0;
    while (pos < all.size()) {
        // A line runs through its LF, or stops at the read limit.
        size_t end = pos;
        while (end < all.size() && end - pos < line_limit && all[end] != u'\n') ++end;
        if (end < all.size() && all[end] == u'\n' && end - pos < line_limit) ++end;
        const std::u16string_view line = all.substr(pos, end - pos);
        pos = end;
        long long number;
        if (leading_number(line, number) && number == n) return line_text(line);
    }
    return std::nullopt;
}

std::vector<uint8_t> encode_text_table(std::span<const std::pair<int, std::u16string>> lines) {
    std::vector<uint8_t> out = {0xFF, 0xFE};
    auto put = [&out](char16_t c) {
        out.push_back(static_cast<uint8_t>(c));
        out.push_back(static_cast<uint8_t>(c >> 8));
    };
    for (const auto& [number, text] : lines) {
        for (char c : std::to_string(number)) put(static_cast<char16_t>(c));
        put(u' ');
        for (char16_t c : text) put(c);
        put(u'\r');
        put(u'\n');
    }
    return out;
}

std::u16string utf8_to_utf16(std::string_view s) {
    std::u16string out;
    size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
        uint32_t cp = extra == 0   ? c
                      : extra == 1 ? (c & 0x1F)
                      : extra == 2 ? (c & 0x0F)
                                   : (c & 0x07);
        bool ok = extra >= 0 && i + static_cast<size_t>(extra) < s.size();
        for (int k = 1; ok && k <= extra; ++k) {
            const auto d = static_cast<unsigned char>(s[i + k]);
            ok = (d & 0xC0) == 0x80;
            cp = cp << 6 | (d & 0x3F);
        }
        if (!ok || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out += u'\uFFFD';
            ++i;
            continue;
        }
        i += static_cast<size_t>(extra) + 1;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

std::string utf16_to_utf8(std::u16string_view s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        uint32_t cp = s[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 &&
            s[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (s[++i] - 0xDC00);
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | cp >> 6);
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | cp >> 12);
            out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | cp >> 18);
            out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}
