// Division tables: the software rasteriser's colour steps are looked up instead of divided.
// Row d (1..255), index n (0..255): (256 n) / d, and (256 n - 65536) / d for negative
// differences, truncated toward zero and held in 16 bits. Row 0 stays 0.
#pragma once

#include <cstdint>
#include <vector>

struct DivisionTables {
    std::vector<int16_t> division_table = std::vector<int16_t>(256 * 256);
    std::vector<int16_t> negative_division_table = std::vector<int16_t>(256 * 256);
};

void build_division_tables(DivisionTables& t);

// The 8.8 step of a colour channel that changes by `difference` (-255..255) over `count` rows or
// pixels. Counts of 256 and more, beyond the tables, and count 1 (whose row wraps in 16 bits) are
// divided exactly.
int32_t colour_step(const DivisionTables& t, int32_t difference, int32_t count);
