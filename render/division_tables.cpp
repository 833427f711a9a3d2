#include "render/division_tables.h"

#include <algorithm>

void build_division_tables(DivisionTables& t) {
    for (int d = 0; d < 256; ++d) {
        for (int n = 0; n < 256; ++n) {
            const size_t i = static_cast<size_t>(d) * 256 + static_cast<size_t>(n);
            t.division_table[i] = d == 0 ? 0 : static_cast<int16_t>((256 * n) / d);
            t.negative_division_table[i] = d == 0 ? 0 : static_cast<int16_t>((256 * n - 65536) / d);
        }
    }
}

int32_t colour_step(const DivisionTables& t, int32_t difference, int32_t count) {
    if (count <= 0) return 0;
    difference = std::clamp(difference, -255, 255);
    // Row 1 does not fit 16 bits for differences of 128 and more; it and counts beyond the
    // tables are divided exactly.
    if (count == 1 || count >= 256) return (difference * 256) / count;
    const size_t row = static_cast<size_t>(count) * 256;
    if (difference >= 0) return t.division_table[row + static_cast<size_t>(difference)];
    return t.negative_division_table[row + static_cast<size_t>(256 + difference)];
}
