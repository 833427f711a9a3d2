// Numbered text tables: dialogue, refusal lines, zone names and tool names.
//
// UTF-16 little-endian; the first two bytes are a byte-order mark, skipped whatever they hold.
// Every line ends with CR LF. A line is a decimal number, one blank and the text up to the CR;
// lines that do not start with a number (after optional white space) are ignored, and the first
// line carrying the number asked for wins.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Longest line read at once, in code units (a longer one continues as the next line).
inline constexpr size_t k_table_line_limit = 4999;
inline constexpr size_t k_tool_table_line_limit = 1535;
// Largest table file read.
inline constexpr size_t k_table_file_max = 16u << 20;

// The code units of a table after its byte-order mark (loose first, then the archive; an archive
// entry's data ends the table, whatever follows it). False when the table is not found.
bool read_text_table(std::string_view path, std::vector<char16_t>& units);
// The same from a table file's bytes.
std::vector<char16_t> table_units(std::span<const uint8_t> file);

// The text of line n, from after the first blank that follows the number up to and including the
// first CR. A line without a blank has an empty text; a line that ends without a CR (cut at the
// line limit, or the table's last line) gets one, so a found text always ends with CR.
std::optional<std::u16string> find_table_line(std::span<const char16_t> units, int n,
                                              size_t line_limit = k_table_line_limit);

// The table file for lines of (number, text without line end): BOM, then "n text" CR LF each.
std::vector<uint8_t> encode_text_table(std::span<const std::pair<int, std::u16string>> lines);

// UTF-8 to UTF-16 and back (invalid sequences become U+FFFD), for tools and tests.
std::u16string utf8_to_utf16(std::string_view s);
std::string utf16_to_utf8(std::u16string_view s);
