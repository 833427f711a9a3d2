// A text table file: every line number the game asks for, with both line limits.
#include "resources/text_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<char16_t> units = table_units(std::span(data, size));
    for (int n : {0, 1, 5, 12, 9999, -1}) {
        for (size_t limit : {k_table_line_limit, k_tool_table_line_limit, size_t{7}}) {
            const auto text = find_table_line(units, n, limit);
            if (text && (text->empty() || text->back() != u'\r')) __builtin_trap();
        }
    }
    return 0;
}
