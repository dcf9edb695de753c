// The airwire passes answered from a grid of all nodes: for each island the
// closest pair to any other island is found by searching rings of cells
// around each of its nodes, stopping once the rings lie farther away than
// the best pair found. Equal distances are settled as the pairwise passes
// settle them, so both give the same links.
#include "board/connection_graph.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <numeric>

namespace {

// Beyond this (mm) the grid's arithmetic is no longer trusted; such boards
// take the pairwise passes.
constexpr float kMaxGridCoordinate = 1e6f;

class NodeGrid {
public:
    struct Entry {
        GraphNode* node;
        uint32_t island; // the island the node started the passes in
    };

    explicit NodeGrid(const std::vector<Entry>& entries) {
        float minX = entries[0].node->m_x, maxX = minX;
        float minY = entries[0].node->m_y, maxY = minY;
        for (const Entry& e : entries) {
            minX = std::min(minX, e.node->m_x);
            maxX = std::max(maxX, e.node->m_x);
            minY = std::min(minY, e.node->m_y);
            maxY = std::max(maxY, e.node->m_y);
        }
        m_minX = minX;
        m_minY = minY;
        const double width = double(maxX) - minX, height = double(maxY) - minY;
        const double n = static_cast<double>(entries.size());
        // About one node per cell on an evenly spread board.
        m_cell = std::max({std::sqrt(width * height / n), std::max(width, height) / n, 1e-3});
        for (;;) {
            m_columns = static_cast<int>(width / m_cell) + 1;
            m_rows = static_cast<int>(height / m_cell) + 1;
            if (double(m_columns) * m_rows <= 4 * n + 64)
                break;
            m_cell *= 1.5;
        }
        std::vector<uint32_t> count(static_cast<size_t>(m_columns) * m_rows + 1, 0);
        for (const Entry& e : entries)
            ++count[CellIndex(e.node->m_x, e.node->m_y) + 1];
        std::partial_sum(count.begin(), count.end(), count.begin());
        m_start = count;
        m_entries.resize(entries.size());
        for (const Entry& e : entries)
            m_entries[count[CellIndex(e.node->m_x, e.node->m_y)]++] = e;
    }

    int Column(float x) const { return Clamp((double(x) - m_minX) / m_cell, m_columns); }
    int Row(float y) const { return Clamp((double(y) - m_minY) / m_cell, m_rows); }
    int Columns() const { return m_columns; }
    int Rows() const { return m_rows; }
    double CellSize() const { return m_cell; }

    template <class Visit> void ForEachInCell(int column, int row, Visit&& visit) const {
        const size_t cell = static_cast<size_t>(row) * m_columns + column;
        for (uint32_t k = m_start[cell]; k < m_start[cell + 1]; ++k)
            visit(m_entries[k]);
    }

    // Visits the cells whose column or row lies r away from (column, row).
    template <class Visit> void ForEachInRing(int column, int row, int r, Visit&& visit) const {
        if (r == 0) {
            ForEachInCell(column, row, visit);
            return;
        }
        const int left = std::max(column - r, 0), right = std::min(column + r, m_columns - 1);
        for (int y : {row - r, row + r})
            if (y >= 0 && y < m_rows)
                for (int x = left; x <= right; ++x)
                    ForEachInCell(x, y, visit);
        const int bottom = std::max(row - r + 1, 0), top = std::min(row + r - 1, m_rows - 1);
        for (int x : {column - r, column + r})
            if (x >= 0 && x < m_columns)
                for (int y = bottom; y <= top; ++y)
                    ForEachInCell(x, y, visit);
    }

private:
    static int Clamp(double v, int count) {
        return static_cast<int>(std::clamp(std::floor(v), 0.0, double(count - 1)));
    }
    size_t CellIndex(float x, float y) const {
        return static_cast<size_t>(Row(y)) * m_columns + Column(x);
    }

    double m_minX, m_minY, m_cell;
    int m_columns = 1, m_rows = 1;
    std::vector<uint32_t> m_start;
    std::vector<Entry> m_entries;
};

// Which island each starting island now belongs to.
class IslandSets {
public:
    explicit IslandSets(size_t count) : m_parent(count) {
        std::iota(m_parent.begin(), m_parent.end(), 0u);
    }
    uint32_t Find(uint32_t k) {
        while (m_parent[k] != k) {
            m_parent[k] = m_parent[m_parent[k]];
            k = m_parent[k];
        }
        return k;
    }
    void JoinInto(uint32_t absorbed, uint32_t keeper) { m_parent[absorbed] = keeper; }

private:
    std::vector<uint32_t> m_parent;
};

struct Candidate {
    GraphNode* a;    // in the island looking for its nearest
    GraphNode* b;    // in the other island
    uint32_t island; // b's island
};

// Of the nodes (some may repeat), the one met first in the walk order.
GraphNode* FirstMet(std::vector<GraphNode*>& nodes, const std::vector<GraphNode*>& walk) {
    std::sort(nodes.begin(), nodes.end(), std::less<GraphNode*>());
    if (nodes.front() == nodes.back())
        return nodes.front();
    for (GraphNode* n : walk)
        if (std::binary_search(nodes.begin(), nodes.end(), n, std::less<GraphNode*>()))
            return n;
    return nodes.front();
}

} // namespace

void LinkIslandsByAirwires(std::vector<GraphNode*>& islands) {
    if (islands.size() < 2)
        return;
    std::vector<NodeGrid::Entry> entries;
    for (size_t k = 0; k < islands.size(); ++k)
        WalkTree(islands[k], nullptr, [&](GraphNode* n) {
            entries.push_back({n, static_cast<uint32_t>(k)});
            return false;
        });
    for (const NodeGrid::Entry& e : entries)
        if (!(std::fabs(e.node->m_x) <= kMaxGridCoordinate) ||
            !(std::fabs(e.node->m_y) <= kMaxGridCoordinate)) {
            LinkIslandsPairwise(islands);
            return;
        }

    const NodeGrid grid(entries);
    IslandSets sets(islands.size());
    std::vector<char> gone(islands.size(), 0);
    std::vector<uint32_t> order(islands.size());
    std::iota(order.begin(), order.end(), 0u);
    size_t remaining = islands.size();
    std::vector<GraphNode*> tree;
    std::vector<Candidate> candidates;
    std::vector<GraphNode*> ends;

    while (remaining > 1) {
        // A pass: each island still in the list, in list order, joins its
        // nearest other island, which leaves the list.
        for (const uint32_t island : order) {
            if (gone[island])
                continue;
            if (remaining < 2)
                break;
            tree.clear();
            WalkTree(islands[island], nullptr, [&](GraphNode* n) {
                tree.push_back(n);
                return false;
            });
            candidates.clear();
            float best = std::numeric_limits<float>::infinity();
            bool found = false;
            // Every node of the far side within the best distance of a node
            // of the near side; mine says whether the far side is this island.
            auto searchAround = [&](GraphNode* near, uint32_t nearIsland, bool mine) {
                const int column = grid.Column(near->m_x), row = grid.Row(near->m_y);
                const int last =
                    std::max({column, grid.Columns() - 1 - column, row, grid.Rows() - 1 - row});
                for (int r = 0; r <= last; ++r) {
                    if (found && r >= 1) {
                        // Every node of ring r lies at least (r - 1) cells away.
                        const double gap = (r - 1) * grid.CellSize() * (1 - 1e-9);
                        if (gap * gap > double(best) * (1 + 1e-4) + 1e-10)
                            break;
                    }
                    grid.ForEachInRing(column, row, r, [&](const NodeGrid::Entry& e) {
                        const uint32_t far = sets.Find(e.island);
                        if ((far == island) != mine)
                            return;
                        const float d = SquaredDistance(near, e.node);
                        if (!found || d < best) {
                            found = true;
                            best = d;
                            candidates.clear();
                        } else if (!(d == best)) {
                            return;
                        }
                        if (mine)
                            candidates.push_back({e.node, near, nearIsland});
                        else
                            candidates.push_back({near, e.node, far});
                    });
                }
            };
            // Searched from the side with fewer nodes: around a large island
            // the rings would mostly hold its own nodes.
            if (tree.size() * 2 <= entries.size()) {
                for (GraphNode* a : tree)
                    searchAround(a, island, false);
            } else {
                for (const NodeGrid::Entry& e : entries) {
                    const uint32_t other = sets.Find(e.island);
                    if (other != island)
                        searchAround(e.node, other, true);
                }
            }
            if (candidates.empty())
                break; // no other island has a node; cannot happen with two islands left
            // Equal distances: the island earliest in the list, then the
            // pair met first walking this island's tree and then the other's.
            Candidate pick = candidates[0];
            for (const Candidate& c : candidates)
                if (c.island < pick.island)
                    pick = c;
            ends.clear();
            for (const Candidate& c : candidates)
                if (c.island == pick.island)
                    ends.push_back(c.a);
            pick.a = FirstMet(ends, tree);
            ends.clear();
            for (const Candidate& c : candidates)
                if (c.island == pick.island && c.a == pick.a)
                    ends.push_back(c.b);
            pick.b = ends[0];
            if (ends.size() > 1) {
                std::sort(ends.begin(), ends.end(), std::less<GraphNode*>());
                pick.b = WalkTree(islands[pick.island], nullptr, [&](GraphNode* n) {
                    return std::binary_search(ends.begin(), ends.end(), n, std::less<GraphNode*>());
                });
            }
            GraphNode::Link(pick.a, pick.b, LINK_AIRWIRE);
            sets.JoinInto(pick.island, island);
            gone[pick.island] = 1;
            --remaining;
        }
        order.erase(
            std::remove_if(order.begin(), order.end(), [&](uint32_t k) { return gone[k] != 0; }),
            order.end());
    }

    size_t kept = 0;
    for (size_t k = 0; k < islands.size(); ++k)
        if (!gone[k])
            islands[kept++] = islands[k];
    islands.resize(kept);
}
