#include "app/word_wrap.h"

namespace {

constexpr char16_t k_blank = u' ';

std::u16string_view up_to_line_end(std::u16string_view text) {
    const size_t end = text.find_first_of(u"\r\0", 0, 2);
    return end == std::u16string_view::npos ? text : text.substr(0, end);
}

size_t skip_blanks(std::u16string_view text, size_t pos) {
    while (pos < text.size() && text[pos] == k_blank) ++pos;
    return pos;
}

// Append the word at `pos` and the blank after it; the position after both.
size_t append_word(std::u16string_view text, size_t pos, std::u16string& line) {
    const size_t start = pos;
    while (pos < text.size() && text[pos] != k_blank) ++pos;
    if (pos < text.size()) ++pos;
    line.append(text.substr(start, pos - start));
    return pos;
}

// One line from `pos` (at a word); `pos` moves past the words the line took.
WrappedLine take_line(std::u16string_view text, size_t& pos, int limit,
                      const MeasureText& measure) {
    WrappedLine line;
    int words = 0;
    size_t word_at = pos, length_before = 0;
    int width_before = 0;
    // The first word is always taken, so every line makes progress whatever the limit.
    while (words == 0 || line.width < limit) {
        pos = skip_blanks(text, pos);
        if (pos >= text.size()) break;
        word_at = pos;
        length_before = line.text.size();
        width_before = line.width;
        pos = append_word(text, pos, line.text);
        ++words;
        line.width = measure(line.text);
    }
    if (line.width > limit && words > 1) {
        line.text.resize(length_before);
        line.width = width_before;
        pos = word_at;
    }
    return line;
}

} // namespace

std::vector<WrappedLine> wrap_words(std::u16string_view text, int limit,
                                    const MeasureText& measure) {
    text = up_to_line_end(text);
    std::vector<WrappedLine> lines;
    for (size_t pos = skip_blanks(text, 0); pos < text.size(); pos = skip_blanks(text, pos))
        lines.push_back(take_line(text, pos, limit, measure));
    return lines;
}
