#include "render/silhouette.h"

#include <algorithm>
#include <bit>

namespace {

uint32_t undirected(SilhouetteEdges::Edge e) {
    return uint32_t{std::min(e[0], e[1])} << 16 | std::max(e[0], e[1]);
}

} // namespace

void SilhouetteEdges::reset(size_t visits) {
    list_.clear();
    list_.reserve(visits);
    slots_.assign(std::bit_ceil(std::max<size_t>(16, 2 * visits)), k_empty);
}

size_t SilhouetteEdges::home(uint32_t key) const {
    // Fibonacci hashing: neighbouring vertex numbers spread over the table.
    return static_cast<size_t>((uint64_t{key} * 0x9E3779B97F4A7C15ull) >> 32) & (slots_.size() - 1);
}

void SilhouetteEdges::visit(Edge e) {
    const uint32_t key = undirected(e);
    const size_t mask = slots_.size() - 1;
    for (size_t s = home(key);; s = (s + 1) & mask) {
        const int32_t place = slots_[s];
        if (place == k_empty) {
            slots_[s] = static_cast<int32_t>(list_.size());
            list_.push_back(e);
            return;
        }
        if (place >= 0 && undirected(list_[size_t(place)]) == key) {
            cancel(s, place);
            return;
        }
    }
}

// The last edge moves into the cancelled one's place, and its slot follows it.
void SilhouetteEdges::cancel(size_t slot, int32_t place) {
    slots_[slot] = k_cancelled;
    const auto last = static_cast<int32_t>(list_.size() - 1);
    if (place != last) {
        const Edge moved = list_.back();
        list_[size_t(place)] = moved;
        const size_t mask = slots_.size() - 1;
        size_t s = home(undirected(moved));
        while (slots_[s] != last) s = (s + 1) & mask;
        slots_[s] = place;
    }
    list_.pop_back();
}
