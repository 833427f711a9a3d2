// The silhouette edges of a part as its triangles facing the light are visited: an edge met a
// second time (shared by two such triangles) cancels. The edges are kept in a list in the order
// they were met, a cancelled edge's place taken by the last one; an index from each undirected
// edge to its place makes a visit cost the same however long the list grows.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

class SilhouetteEdges {
public:
    using Edge = std::array<uint16_t, 2>;

    // Empty, ready for up to `visits` visits.
    void reset(size_t visits);
    // Add the edge, or cancel it when it is in the list either way round.
    void visit(Edge e);
    std::span<const Edge> edges() const { return list_; }

private:
    static constexpr int32_t k_empty = -1, k_cancelled = -2;

    size_t home(uint32_t key) const;
    void cancel(size_t slot, int32_t place);

    std::vector<Edge> list_;
    // Open addressing by linear probing: a place in list_, empty, or cancelled. Cancelled slots
    // are never reused, so the table (at least twice the visits) always has empty slots.
    std::vector<int32_t> slots_;
};
